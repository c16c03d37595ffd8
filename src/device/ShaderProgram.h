#pragma once
// A GLSL program made of a vertex shader and an optional fragment shader
// (without one, OpenGL's fixed-function texture stages colour the pixels).
// The program keeps its source and its constants in main memory: when the
// OpenGL context is replaced (a device reset), every program is rebuilt on
// its next use and its constants are sent again.
//
// Uniform conventions, shared with the GLSL the effect runtime writes:
// "c[96]" vertex constants, "pc[8]" pixel constants, "s#" the sampler of
// texture stage #, "fx_flipY" the sign of clip-space y. Attribute v# is
// bound to location #.

#include <memory>
#include <string>
#include <vector>

namespace device {

class ShaderProgram {
public:
    // Compiles and links once to check the text; null with OpenGL's log in
    // *log when that fails. Needs a current OpenGL context.
    static std::unique_ptr<ShaderProgram> Create(const std::string &vertexText,
                                                 const std::string &fragmentText, std::string *log);
    ~ShaderProgram();
    ShaderProgram(const ShaderProgram &) = delete;
    ShaderProgram &operator=(const ShaderProgram &) = delete;

    static constexpr int kVertexConstants = 96;
    static constexpr int kPixelConstants = 8;

    // Constants are kept and sent when the program is next made current.
    void SetVertexConstants(int first, const float *values, int count);
    void SetPixelConstants(int first, const float *values, int count);
    const float *VertexConstant(int index) const;
    void SetFlipY(bool flip);
    bool HasFragmentShader() const { return !fragmentText_.empty(); }
    // The inputs v# the program reads (bit #).
    unsigned Inputs() const { return inputs_; }

    // Makes the program current (rebuilding it after a context change) and
    // sends changed constants. False when it cannot be rebuilt.
    bool Use();
    static void UseNone();

    // The context is gone: every program forgets its OpenGL objects.
    static void ForgetAll();

private:
    ShaderProgram(const std::string &vertexText, const std::string &fragmentText);
    bool Build(std::string *log);
    void Release();

    std::string vertexText_, fragmentText_;
    unsigned program_ = 0;
    int locConstants_ = -1, locPixelConstants_ = -1, locFlip_ = -1;
    std::vector<float> constants_;       // 96 x 4
    std::vector<float> pixelConstants_;  // 8 x 4
    unsigned inputs_ = 0;
    bool flip_ = false;
    bool dirty_ = true;
};

}  // namespace device
