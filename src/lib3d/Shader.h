// A mesh's script effect: the shader script compiled for this device, the
// effect made from the text, and its chosen technique. The caller sets the
// script's parameters (WORLD, VIEWPROJ, Light, ...) with the setters, then
// draws; each setter does nothing until an effect is loaded.
#pragma once

#include <memory>
#include <string>

#include "fx/Effect.h"
#include "shaderc/ShaderCompiler.h"

namespace device {
class VertexBuffer;
class IndexBuffer;
}  // namespace device

namespace lib3d {

class Engine;

class Shader {
public:
    // The mesh flag that marks a loaded script effect.
    static constexpr int kLoadedFlag = 0x4000;

    explicit Shader(Engine *engine) : engine_(engine) {}
    ~Shader();
    Shader(const Shader &) = delete;
    Shader &operator=(const Shader &) = delete;

    // Compiles the script with the device's capabilities and creates its
    // effect with the first technique the device can run. Returns null on
    // success, else "ERROR Create Effect", "ERROR effect=NULL" or
    // "ERROR find technique" (and, with the log on, the effect text is
    // logged). A loaded shader is not compiled again.
    const char *Load(const char *scriptText);
    bool Loaded() const { return (flags & kLoadedFlag) != 0; }

    void SetWorld(const char *name);
    void SetViewProj(const char *name);
    void SetVector(const char *name, float x, float y, float z);
    void SetScalar(const char *name, float v);
    void SetTexture(const char *name, int slot);

    // Begin, then each pass and the triangles, then End. False when no
    // effect is loaded or the device refuses to begin (device lost).
    bool Draw(const device::VertexBuffer &vertices, const device::IndexBuffer &indices,
              int firstIndex, int triangleCount);

    int flags = 0;  // kLoadedFlag once loaded
    ShaderCompiler compiler;
    std::unique_ptr<fx::Effect> effect;
    std::string techniqueName;
    int passCount = 0;

private:
    Engine *engine_;
};

}  // namespace lib3d
