#include "device/ShaderProgram.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "device/Gl.h"

namespace device {
namespace {

// Every live program, so that a context change can reach them all.
std::vector<ShaderProgram *> &Programs() {
    static std::vector<ShaderProgram *> programs;
    return programs;
}

unsigned g_current = 0;  // the program OpenGL has current, 0 for none

std::string ShaderLog(GLuint shader) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::string log(length > 0 ? length : 1, '\0');
    glGetShaderInfoLog(shader, (GLsizei)log.size(), nullptr, &log[0]);
    return log.c_str();
}

GLuint CompileShader(GLenum kind, const std::string &text, std::string *log) {
    GLuint shader = glCreateShader(kind);
    const char *source = text.c_str();
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        if (log) *log = ShaderLog(shader);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

}  // namespace

ShaderProgram::ShaderProgram(const std::string &vertexText, const std::string &fragmentText)
    : vertexText_(vertexText),
      fragmentText_(fragmentText),
      constants_(kVertexConstants * 4, 0.0f),
      pixelConstants_(kPixelConstants * 4, 0.0f) {
    Programs().push_back(this);
}

ShaderProgram::~ShaderProgram() {
    Release();
    auto &all = Programs();
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

std::unique_ptr<ShaderProgram> ShaderProgram::Create(const std::string &vertexText,
                                                     const std::string &fragmentText,
                                                     std::string *log) {
    std::unique_ptr<ShaderProgram> p(new ShaderProgram(vertexText, fragmentText));
    if (!p->Build(log)) return nullptr;
    return p;
}

void ShaderProgram::Release() {
    if (program_) {
        if (g_current == program_) {
            glUseProgram(0);
            g_current = 0;
        }
        glDeleteProgram(program_);
    }
    program_ = 0;
}

bool ShaderProgram::Build(std::string *log) {
    Release();
    GLuint vs = CompileShader(GL_VERTEX_SHADER, vertexText_, log);
    if (!vs) return false;
    GLuint fs = 0;
    if (!fragmentText_.empty()) {
        fs = CompileShader(GL_FRAGMENT_SHADER, fragmentText_, log);
        if (!fs) {
            glDeleteShader(vs);
            return false;
        }
    }
    GLuint p = glCreateProgram();
    glAttachShader(p, vs);
    if (fs) glAttachShader(p, fs);
    for (int i = 0; i < 16; i++) {
        char name[16];
        snprintf(name, sizeof name, "v%d", i);
        glBindAttribLocation(p, i, name);
    }
    glLinkProgram(p);
    glDeleteShader(vs);
    if (fs) glDeleteShader(fs);
    GLint ok = 0;
    glGetProgramiv(p, GL_LINK_STATUS, &ok);
    if (!ok) {
        if (log) {
            GLint length = 0;
            glGetProgramiv(p, GL_INFO_LOG_LENGTH, &length);
            std::string text(length > 0 ? length : 1, '\0');
            glGetProgramInfoLog(p, (GLsizei)text.size(), nullptr, &text[0]);
            *log = text.c_str();
        }
        glDeleteProgram(p);
        return false;
    }
    program_ = p;
    inputs_ = 0;
    for (int i = 0; i < 16; i++) {
        char name[16];
        snprintf(name, sizeof name, "v%d", i);
        if (glGetAttribLocation(p, name) >= 0) inputs_ |= 1u << i;
    }
    locConstants_ = glGetUniformLocation(p, "c");
    locPixelConstants_ = glGetUniformLocation(p, "pc");
    locFlip_ = glGetUniformLocation(p, "fx_flipY");
    // Samplers are tied to their stages once; they never change.
    const GLuint previous = g_current;
    glUseProgram(p);
    for (int i = 0; i < 8; i++) {
        char name[16];
        snprintf(name, sizeof name, "s%d", i);
        GLint loc = glGetUniformLocation(p, name);
        if (loc >= 0) glUniform1i(loc, i);
    }
    glUseProgram(previous);
    dirty_ = true;
    return true;
}

void ShaderProgram::SetVertexConstants(int first, const float *values, int count) {
    for (int i = 0; i < count; i++) {
        const int r = first + i;
        if (r < 0 || r >= kVertexConstants) continue;
        std::memcpy(&constants_[r * 4], values + i * 4, 4 * sizeof(float));
    }
    dirty_ = true;
}

void ShaderProgram::SetPixelConstants(int first, const float *values, int count) {
    for (int i = 0; i < count; i++) {
        const int r = first + i;
        if (r < 0 || r >= kPixelConstants) continue;
        std::memcpy(&pixelConstants_[r * 4], values + i * 4, 4 * sizeof(float));
    }
    dirty_ = true;
}

const float *ShaderProgram::VertexConstant(int index) const {
    if (index < 0 || index >= kVertexConstants) return nullptr;
    return &constants_[index * 4];
}

void ShaderProgram::SetFlipY(bool flip) {
    if (flip != flip_) dirty_ = true;
    flip_ = flip;
}

bool ShaderProgram::Use() {
    if (!program_ && !Build(nullptr)) return false;
    if (g_current != program_) {
        glUseProgram(program_);
        g_current = program_;
    }
    if (dirty_) {
        if (locConstants_ >= 0) glUniform4fv(locConstants_, kVertexConstants, constants_.data());
        if (locPixelConstants_ >= 0)
            glUniform4fv(locPixelConstants_, kPixelConstants, pixelConstants_.data());
        if (locFlip_ >= 0) glUniform1f(locFlip_, flip_ ? -1.0f : 1.0f);
        dirty_ = false;
    }
    return true;
}

void ShaderProgram::UseNone() {
    if (g_current) glUseProgram(0);
    g_current = 0;
}

void ShaderProgram::ForgetAll() {
    for (ShaderProgram *p : Programs()) {
        p->program_ = 0;
        p->dirty_ = true;
    }
    g_current = 0;
}

}  // namespace device
