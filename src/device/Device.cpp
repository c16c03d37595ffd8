#include "device/Device.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "device/Conventions.h"
#include "device/Gl.h"
#include "device/ShaderProgram.h"

namespace device {
namespace {

GLenum GlCompare(uint32_t cmp) {
    switch (cmp) {
        case CmpNever:
            return GL_NEVER;
        case CmpLess:
            return GL_LESS;
        case CmpEqual:
            return GL_EQUAL;
        case CmpLessEqual:
            return GL_LEQUAL;
        case CmpGreater:
            return GL_GREATER;
        case CmpNotEqual:
            return GL_NOTEQUAL;
        case CmpGreaterEqual:
            return GL_GEQUAL;
        default:
            return GL_ALWAYS;
    }
}

GLenum GlBlend(uint32_t blend) {
    switch (blend) {
        case BlendZero:
            return GL_ZERO;
        case BlendOne:
            return GL_ONE;
        case BlendSrcColour:
            return GL_SRC_COLOR;
        case BlendInvSrcColour:
            return GL_ONE_MINUS_SRC_COLOR;
        case BlendSrcAlpha:
            return GL_SRC_ALPHA;
        case BlendInvSrcAlpha:
            return GL_ONE_MINUS_SRC_ALPHA;
        case BlendDestAlpha:
            return GL_DST_ALPHA;
        case BlendInvDestAlpha:
            return GL_ONE_MINUS_DST_ALPHA;
        case BlendDestColour:
            return GL_DST_COLOR;
        case BlendInvDestColour:
            return GL_ONE_MINUS_DST_COLOR;
        default:
            return GL_ONE;
    }
}

GLenum GlStencilOp(uint32_t op) {
    switch (op) {
        case StencilZero:
            return GL_ZERO;
        case StencilReplace:
            return GL_REPLACE;
        case StencilIncrSat:
            return GL_INCR;
        case StencilDecrSat:
            return GL_DECR;
        case StencilInvert:
            return GL_INVERT;
        case StencilIncr:
            return GL_INCR_WRAP;
        case StencilDecr:
            return GL_DECR_WRAP;
        default:
            return GL_KEEP;
    }
}

GLenum GlSource(uint32_t arg) {
    switch (arg & 0xF) {
        case TaDiffuse:
        case TaSpecular:
            return GL_PRIMARY_COLOR;
        case TaTexture:
            return GL_TEXTURE;
        case TaTFactor:
            return GL_CONSTANT;
        default:
            return GL_PREVIOUS;
    }
}

GLenum GlPrimitive(Primitive type, int count, int *vertices) {
    switch (type) {
        case PrimPointList:
            *vertices = count;
            return GL_POINTS;
        case PrimLineList:
            *vertices = count * 2;
            return GL_LINES;
        case PrimLineStrip:
            *vertices = count + 1;
            return GL_LINE_STRIP;
        case PrimTriangleStrip:
            *vertices = count + 2;
            return GL_TRIANGLE_STRIP;
        case PrimTriangleFan:
            *vertices = count + 2;
            return GL_TRIANGLE_FAN;
        default:
            *vertices = count * 3;
            return GL_TRIANGLES;
    }
}

void SetColour(GLenum light, GLenum name, const Colour &c) {
    const GLfloat v[4] = {c.r, c.g, c.b, c.a};
    glLightfv(light, name, v);
}

bool SameColour(const Colour &a, const Colour &b) {
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

bool SameMaterial(const Material &a, const Material &b) {
    return SameColour(a.diffuse, b.diffuse) && SameColour(a.ambient, b.ambient) &&
           SameColour(a.specular, b.specular) && SameColour(a.emissive, b.emissive) &&
           a.power == b.power;
}

void SetMaterialColour(GLenum name, const Colour &c) {
    const GLfloat v[4] = {c.r, c.g, c.b, c.a};
    glMaterialfv(GL_FRONT_AND_BACK, name, v);
}

struct GlTextureFormat {
    GLint internal;
    GLenum format, type;
};

// The pixels stay 16-bit in main memory and are sent as such, but OpenGL
// keeps them at 8 bits a channel: widening loses nothing, and a software
// rasteriser filters 8-bit texels much faster than it unpacks 16-bit ones
// at every sample.
GlTextureFormat GlFormatOf(Format format) {
    switch (format) {
        case FormatX1R5G5B5:
            return {GL_RGB8, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV};
        case FormatA4R4G4B4:
            return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV};
        default:
            return {GL_RGB8, GL_RGB, GL_UNSIGNED_SHORT_5_6_5};
    }
}

}  // namespace

// ---------------------------------------------------------------- Texture

Texture::Texture(Device *device, int size, int levels, Format format)
    : device_(device), size_(size), format_(format) {
    levels_.resize(levels);
    for (int i = 0; i < levels; i++) {
        const int side = LevelSize(i);
        levels_[i].assign(static_cast<size_t>(side) * side, 0);
    }
    dirtyRect_ = Rect{0, 0, size, size};
}

Texture::Texture(Device *device, int width, int height)
    : device_(device), size_(width), format_(FormatX8R8G8B8), renderTarget_(true), height_(height) {
    dirty_ = false;
}

Texture::~Texture() {
    if (device_) device_->Unregister(this);
    if (glName_) glDeleteTextures(1, &glName_);
}

int Texture::LevelSize(int level) const {
    const int side = size_ >> level;
    return side > 0 ? side : 1;
}

uint16_t *Texture::LockRect(int level, int *pitch, bool noDirtyUpdate) {
    if (level < 0 || level >= Levels()) return nullptr;
    *pitch = LevelSize(level) * 2;
    if (!noDirtyUpdate) AddDirtyRect(nullptr);
    return levels_[level].data();
}

void Texture::UnlockRect(int) {}

void Texture::AddDirtyRect(const Rect *rect) {
    Rect r = rect ? *rect : Rect{0, 0, size_, size_};
    r.left = std::max(0, r.left);
    r.top = std::max(0, r.top);
    r.right = std::min(size_, r.right);
    r.bottom = std::min(size_, r.bottom);
    if (r.left >= r.right || r.top >= r.bottom) return;
    if (!dirty_) {
        dirtyRect_ = r;
        dirty_ = true;
        return;
    }
    dirtyRect_.left = std::min(dirtyRect_.left, r.left);
    dirtyRect_.top = std::min(dirtyRect_.top, r.top);
    dirtyRect_.right = std::max(dirtyRect_.right, r.right);
    dirtyRect_.bottom = std::max(dirtyRect_.bottom, r.bottom);
}

void Texture::ForgetGlName() {
    glName_ = 0;
    for (int &p : glParams_) p = -1;
    dirty_ = true;
    dirtyRect_ = Rect{0, 0, size_, size_};
}

void Texture::Upload() {
    if (renderTarget_) {  // drawn by OpenGL itself: nothing to send
        glBindTexture(GL_TEXTURE_2D, glName_);
        return;
    }
    const GlTextureFormat gl = GlFormatOf(format_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    if (!glName_) {
        glGenTextures(1, &glName_);
        glBindTexture(GL_TEXTURE_2D, glName_);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, Levels() - 1);
        for (int i = 0; i < Levels(); i++) {
            const int side = LevelSize(i);
            glTexImage2D(GL_TEXTURE_2D, i, gl.internal, side, side, 0, gl.format, gl.type,
                         levels_[i].data());
        }
        dirty_ = false;
        return;
    }
    glBindTexture(GL_TEXTURE_2D, glName_);
    if (!dirty_) return;
    for (int i = 0; i < Levels(); i++) {
        const int side = LevelSize(i);
        // The level's share of the level-0 rectangle, rounded outwards.
        const int left = std::min(side - 1, dirtyRect_.left >> i);
        const int top = std::min(side - 1, dirtyRect_.top >> i);
        const int right =
            std::max(left + 1, std::min(side, (dirtyRect_.right + (1 << i) - 1) >> i));
        const int bottom =
            std::max(top + 1, std::min(side, (dirtyRect_.bottom + (1 << i) - 1) >> i));
        glPixelStorei(GL_UNPACK_ROW_LENGTH, side);
        glTexSubImage2D(GL_TEXTURE_2D, i, left, top, right - left, bottom - top, gl.format, gl.type,
                        levels_[i].data() + static_cast<size_t>(top) * side + left);
    }
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    dirty_ = false;
}

// ---------------------------------------------------------------- buffers

VertexBuffer::VertexBuffer(int count, uint32_t format, bool dynamic)
    : count_(count > 0 ? count : 0), format_(format), layout_(LayoutOf(format)), dynamic_(dynamic) {
    data_.assign(static_cast<size_t>(count_) * layout_.stride, 0);
}

// ---------------------------------------------------------------- Device

Device::Device(const PresentParameters &params, const Caps &caps) : params_(params), caps_(caps) {
    const char *renderer = reinterpret_cast<const char *>(glGetString(GL_RENDERER));
    softwareRasteriser_ =
        renderer && (std::strstr(renderer, "llvmpipe") || std::strstr(renderer, "softpipe") ||
                     std::strstr(renderer, "Software Rasterizer"));
    lights_.resize(kMaxLights);
    lightEnabled_.assign(kMaxLights, 0);
    GLint glLights = 8;
    glGetIntegerv(GL_MAX_LIGHTS, &glLights);
    glLightCount_ = glLights;
    GLint glUnits = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &glUnits);
    glUnitCount_ = std::max(1, std::min(kMaxStages, static_cast<int>(glUnits)));
    ApplyDefaults();
}

Device::~Device() {
    if (target_) glBindFramebuffer(GL_FRAMEBUFFER, 0);
    for (RenderTarget *target : allTargets_) {
        if (target->framebuffer_) glDeleteFramebuffers(1, &target->framebuffer_);
        if (target->depth_) glDeleteRenderbuffers(1, &target->depth_);
        target->framebuffer_ = target->depth_ = 0;
        target->device_ = nullptr;
        if (target->texture_->glName_) glDeleteTextures(1, &target->texture_->glName_);
        target->texture_->glName_ = 0;
    }
    if (presentedCopy_) glDeleteTextures(1, &presentedCopy_);
    for (Texture *texture : allTextures_) {
        if (texture->glName_) glDeleteTextures(1, &texture->glName_);
        texture->glName_ = 0;
        texture->device_ = nullptr;
    }
}

void Device::Unregister(Texture *texture) {
    // Its OpenGL name is about to be deleted (and may be handed out again).
    for (GlStage &stage : glStages_) {
        if (stage.texture == texture->glName_) stage.known = false;
    }
    allTextures_.erase(std::remove(allTextures_.begin(), allTextures_.end(), texture),
                       allTextures_.end());
    for (auto &bound : textures_) {
        if (bound == texture) bound = nullptr;
    }
}

void Device::ApplyDefaults() {
    ForgetGlState();
    const bool depth = FormatDepthBits(params_.depthStencilFormat) > 0;
    const uint32_t defaults[RsCount] = {
        depth ? 1u : 0u,  // RsZEnable
        1,                // RsZWriteEnable
        CmpLessEqual,     // RsZFunc
        CullCCW,          // RsCullMode
        0,                // RsAlphaBlendEnable
        BlendOne,         // RsSrcBlend
        BlendZero,        // RsDestBlend
        1,                // RsLighting
        0,                // RsAmbient
        0,                // RsSpecularEnable
        0,                // RsZBias
        0,                // RsDitherEnable
        0,                // RsAlphaTestEnable
        0,                // RsAlphaRef
        CmpAlways,        // RsAlphaFunc
        ShadeGouraud,     // RsShadeMode
        0xF,              // RsColourWriteEnable
        0,                // RsStencilEnable
        CmpAlways,        // RsStencilFunc
        0,                // RsStencilRef
        0xFFFFFFFFu,      // RsStencilMask
        0xFFFFFFFFu,      // RsStencilWriteMask
        StencilKeep,      // RsStencilFail
        StencilKeep,      // RsStencilZFail
        StencilKeep,      // RsStencilPass
        0,                // RsWrap0
        0,                // RsWrap1
    };
    std::memcpy(renderStates_, defaults, sizeof(defaults));
    for (int stage = 0; stage < kMaxStages; stage++) {
        uint32_t *s = stageStates_[stage];
        s[TssColourOp] = stage == 0 ? TopModulate : TopDisable;
        s[TssColourArg1] = TaTexture;
        s[TssColourArg2] = TaCurrent;
        s[TssAlphaOp] = stage == 0 ? TopSelectArg1 : TopDisable;
        s[TssAlphaArg1] = TaTexture;
        s[TssAlphaArg2] = TaCurrent;
        s[TssTexCoordIndex] = stage;
        s[TssAddressU] = AddressWrap;
        s[TssAddressV] = AddressWrap;
        s[TssMagFilter] = FilterPoint;
        s[TssMinFilter] = FilterPoint;
        s[TssMipFilter] = FilterNone;
        textures_[stage] = nullptr;
    }
    for (auto &m : transforms_) MatrixIdentity(m);
    viewport_ = Viewport{0, 0, params_.width, params_.height, 0.0f, 1.0f};
    material_ = Material();
    std::fill(lights_.begin(), lights_.end(), Light());
    std::fill(lightEnabled_.begin(), lightEnabled_.end(), 0);
    lightsDirty_ = true;

    // Fixed OpenGL settings that mirror how the engine's device lights and
    // shades: local viewer, specular added after texturing.
    glEnable(GL_NORMALIZE);
    glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_TRUE);
    glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL, GL_SEPARATE_SPECULAR_COLOR);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
    glFrontFace(GL_CCW);
    for (int i = 0; i < RsCount; i++) ApplyRenderState(static_cast<RenderState>(i));
    SetViewport(viewport_);
}

CooperativeLevel Device::TestCooperativeLevel() {
    if (lostFrames_ > 0) {
        lostFrames_--;
        return DeviceLost;
    }
    return needsReset_ ? DeviceNotReset : DeviceOk;
}

void Device::ForceLoss(int lostFrames) {
    lostFrames_ = lostFrames > 0 ? lostFrames : 0;
    needsReset_ = true;
}

bool Device::Reset(const PresentParameters &params) {
    if (lostFrames_ > 0) return false;
    // Re-opening the window gives a fresh OpenGL context, just as a real reset
    // loses everything the driver held; managed textures are restored below.
    const char *error = "";
    const int bits = params.backBufferFormat == FormatX8R8G8B8 ? 32 : 16;
    if (!adapter::OpenWindow(params.width, params.height, bits, params.fullscreen, &error)) {
        return false;
    }
    params_ = params;
    // Whether or not the window system kept the old context, nothing of it is
    // trusted: every managed texture is sent again from its copy.
    for (Texture *texture : allTextures_) {
        if (texture->glName_) glDeleteTextures(1, &texture->glName_);
        texture->ForgetGlName();
    }
    if (presentedCopy_) glDeleteTextures(1, &presentedCopy_);
    presentedCopy_ = 0;
    presentedValid_ = false;
    sampleQuery_ = 0;  // a count running across a reset is lost
    // Render targets do not survive a reset; their owner makes new ones.
    for (RenderTarget *target : allTargets_) {
        if (target->framebuffer_) glDeleteFramebuffers(1, &target->framebuffer_);
        if (target->depth_) glDeleteRenderbuffers(1, &target->depth_);
        target->framebuffer_ = target->depth_ = 0;
        target->texture_->glName_ = 0;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    target_ = nullptr;
    glFrontFace(GL_CCW);
    ShaderProgram::ForgetAll();
    program_ = nullptr;
    ApplyDefaults();
    SetScissorRect(nullptr);
    needsReset_ = false;
    backBufferFresh_ = false;
    resetCount_++;
    return true;
}

void Device::BeginScene() {}

void Device::EndScene() {
    glFlush();
}

void Device::Clear(int flags, uint32_t colour, float z, int stencil) {
    GLbitfield mask = 0;
    if (flags & ClearTarget) {
        glClearColor(((colour >> 16) & 0xFF) / 255.0f, ((colour >> 8) & 0xFF) / 255.0f,
                     (colour & 0xFF) / 255.0f, ((colour >> 24) & 0xFF) / 255.0f);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if ((flags & ClearZBuffer) && FormatDepthBits(params_.depthStencilFormat) > 0) {
        glClearDepth(z);
        glDepthMask(GL_TRUE);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if ((flags & ClearStencil) && HasStencil()) {
        glClearStencil(stencil);
        glStencilMask(0xFFFFFFFFu);
        mask |= GL_STENCIL_BUFFER_BIT;
    }
    // Clearing covers the viewport only, whatever the write masks say.
    int x = 0, y = 0;
    GlViewportOrigin(&x, &y);
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, viewport_.width, viewport_.height);
    if (mask) glClear(mask);
    ApplyScissor();
    ApplyRenderState(RsColourWriteEnable);
    ApplyRenderState(RsZWriteEnable);
    ApplyStencil();
    backBufferFresh_ = true;
}

void Device::Present() {
    if (keepPresented_ && params_.lockableBackBuffer && params_.width > 0 && params_.height > 0) {
        glActiveTexture(GL_TEXTURE0);
        if (!presentedCopy_) {
            glGenTextures(1, &presentedCopy_);
            glBindTexture(GL_TEXTURE_2D, presentedCopy_);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, params_.width, params_.height, 0, GL_RGBA,
                         GL_UNSIGNED_BYTE, nullptr);
        }
        glBindTexture(GL_TEXTURE_2D, presentedCopy_);
        glReadBuffer(GL_BACK);
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, params_.width, params_.height);
        glBindTexture(GL_TEXTURE_2D, 0);
        glStages_[0].known = false;
        presentedValid_ = true;
    }
    SDL_GL_SwapBuffers();
    backBufferFresh_ = false;
}

void Device::KeepPresentedPicture(bool keep) {
    keepPresented_ = keep;
    if (keep) return;
    // A copy left from before would be read back as if it were the last frame.
    if (presentedCopy_) glDeleteTextures(1, &presentedCopy_);
    presentedCopy_ = 0;
    presentedValid_ = false;
}

bool Device::BeginSampleCount() {
    if (sampleQuery_) return false;
    GLint bits = 0;
    glGetQueryiv(GL_SAMPLES_PASSED, GL_QUERY_COUNTER_BITS, &bits);
    if (bits <= 0) return false;
    glGenQueries(1, &sampleQuery_);
    if (!sampleQuery_) return false;
    glBeginQuery(GL_SAMPLES_PASSED, sampleQuery_);
    return true;
}

bool Device::EndSampleCount(uint64_t *samples) {
    if (samples) *samples = 0;
    if (!sampleQuery_) return false;
    glEndQuery(GL_SAMPLES_PASSED);
    GLuint count = 0;
    glGetQueryObjectuiv(sampleQuery_, GL_QUERY_RESULT, &count);
    glDeleteQueries(1, &sampleQuery_);
    sampleQuery_ = 0;
    if (samples) *samples = count;
    return true;
}

bool Device::ReadBackBuffer(std::vector<uint8_t> *pixels, int *pitch) {
    const int w = params_.width, h = params_.height;
    if (w <= 0 || h <= 0) return false;
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    if (!backBufferFresh_ && presentedValid_) {
        // After a swap: the picture just presented.
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, presentedCopy_);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        glBindTexture(GL_TEXTURE_2D, 0);
        glStages_[0].known = false;
    } else {
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    }
    const bool wide = params_.backBufferFormat == FormatX8R8G8B8;
    *pitch = w * (wide ? 4 : 2);
    pixels->assign(static_cast<size_t>(*pitch) * h, 0);
    for (int y = 0; y < h; y++) {
        const uint8_t *src = rgba.data() + static_cast<size_t>(h - 1 - y) * w * 4;  // bottom-up
        uint8_t *dst = pixels->data() + static_cast<size_t>(y) * *pitch;
        for (int x = 0; x < w; x++, src += 4) {
            const unsigned r = src[0], g = src[1], b = src[2];
            if (wide) {
                dst[x * 4 + 0] = static_cast<uint8_t>(b);
                dst[x * 4 + 1] = static_cast<uint8_t>(g);
                dst[x * 4 + 2] = static_cast<uint8_t>(r);
                dst[x * 4 + 3] = 0xFF;
                continue;
            }
            uint16_t v;
            if (params_.backBufferFormat == FormatX1R5G5B5) {
                v = static_cast<uint16_t>(((r & 0xF8) << 7) | ((g & 0xF8) << 2) | (b >> 3));
            } else {
                v = static_cast<uint16_t>(((r & 0xF8) << 8) | ((g & 0xFC) << 3) | (b >> 3));
            }
            std::memcpy(dst + x * 2, &v, 2);
        }
    }
    return true;
}

// ---------------------------------------------------------------- states

void Device::SetRenderState(RenderState state, uint32_t value) {
    if (state < 0 || state >= RsCount) return;
    if (renderStates_[state] == value) return;  // OpenGL already has it
    renderStates_[state] = value;
    ApplyRenderState(state);
}

void Device::ApplyStencil() {
    const uint32_t *rs = renderStates_;
    if (!HasStencil() || !rs[RsStencilEnable]) {
        glDisable(GL_STENCIL_TEST);
        return;
    }
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GlCompare(rs[RsStencilFunc]), static_cast<GLint>(rs[RsStencilRef]),
                  rs[RsStencilMask]);
    glStencilMask(rs[RsStencilWriteMask]);
    glStencilOp(GlStencilOp(rs[RsStencilFail]), GlStencilOp(rs[RsStencilZFail]),
                GlStencilOp(rs[RsStencilPass]));
}

void Device::ApplyRenderState(RenderState state) {
    const uint32_t v = renderStates_[state];
    switch (state) {
        case RsZEnable:
            if (v && FormatDepthBits(params_.depthStencilFormat) > 0) {
                glEnable(GL_DEPTH_TEST);
            } else {
                glDisable(GL_DEPTH_TEST);
            }
            // With its test off OpenGL writes no depth either, which is what
            // a switched-off depth buffer means to the engine.
            break;
        case RsZWriteEnable:
            glDepthMask(v ? GL_TRUE : GL_FALSE);
            break;
        case RsZFunc:
            glDepthFunc(GlCompare(v));
            break;
        case RsCullMode: {
            bool front = false;
            if (CullToGl(static_cast<int>(v), &front)) {
                glEnable(GL_CULL_FACE);
                glCullFace(front ? GL_FRONT : GL_BACK);
            } else {
                glDisable(GL_CULL_FACE);
            }
            break;
        }
        case RsAlphaBlendEnable:
            if (v) {
                glEnable(GL_BLEND);
            } else {
                glDisable(GL_BLEND);
            }
            break;
        case RsSrcBlend:
        case RsDestBlend:
            glBlendFunc(GlBlend(renderStates_[RsSrcBlend]), GlBlend(renderStates_[RsDestBlend]));
            break;
        case RsAmbient: {
            const GLfloat c[4] = {((v >> 16) & 0xFF) / 255.0f, ((v >> 8) & 0xFF) / 255.0f,
                                  (v & 0xFF) / 255.0f, ((v >> 24) & 0xFF) / 255.0f};
            glLightModelfv(GL_LIGHT_MODEL_AMBIENT, c);
            break;
        }
        case RsZBias:
            if (v) {
                glEnable(GL_POLYGON_OFFSET_FILL);
                glPolygonOffset(0.0f, -static_cast<float>(v));
            } else {
                glDisable(GL_POLYGON_OFFSET_FILL);
            }
            break;
        case RsDitherEnable:
            if (v) {
                glEnable(GL_DITHER);
            } else {
                glDisable(GL_DITHER);
            }
            break;
        case RsAlphaTestEnable:
            if (v) {
                glEnable(GL_ALPHA_TEST);
            } else {
                glDisable(GL_ALPHA_TEST);
            }
            break;
        case RsAlphaRef:
        case RsAlphaFunc:
            glAlphaFunc(GlCompare(renderStates_[RsAlphaFunc]),
                        (renderStates_[RsAlphaRef] & 0xFF) / 255.0f);
            break;
        case RsShadeMode:
            glShadeModel(v == ShadeFlat ? GL_FLAT : GL_SMOOTH);
            break;
        case RsColourWriteEnable:
            glColorMask((v & 1) != 0, (v & 2) != 0, (v & 4) != 0, (v & 8) != 0);
            break;
        case RsStencilEnable:
        case RsStencilFunc:
        case RsStencilRef:
        case RsStencilMask:
        case RsStencilWriteMask:
        case RsStencilFail:
        case RsStencilZFail:
        case RsStencilPass:
            ApplyStencil();
            break;
        default:
            break;  // lighting and specular are applied per draw
    }
}

void Device::SetTextureStageState(int stage, StageState state, uint32_t value) {
    if (stage < 0 || stage >= kMaxStages || state < 0 || state >= TssCount) return;
    stageStates_[stage][state] = value;
}

uint32_t Device::GetTextureStageState(int stage, StageState state) const {
    if (stage < 0 || stage >= kMaxStages || state < 0 || state >= TssCount) return 0;
    return stageStates_[stage][state];
}

void Device::SetTexture(int stage, Texture *texture) {
    if (stage < 0 || stage >= kMaxStages) return;
    textures_[stage] = texture;
}

Texture *Device::GetTexture(int stage) const {
    return (stage >= 0 && stage < kMaxStages) ? textures_[stage] : nullptr;
}

void Device::SetTransform(TransformKind kind, const float matrix[16]) {
    if (kind < TransformWorld || kind > TransformProjection) return;
    std::memcpy(transforms_[kind], matrix, sizeof(transforms_[kind]));
    if (kind == TransformView) lightsDirty_ = true;
}

void Device::GetTransform(TransformKind kind, float matrix[16]) const {
    if (kind < TransformWorld || kind > TransformProjection) return;
    std::memcpy(matrix, transforms_[kind], sizeof(transforms_[kind]));
}

void Device::GlViewportOrigin(int *x, int *y) const {
    if (Flipped()) {  // rows are stored top-down in a texture target
        *x = viewport_.x;
        *y = viewport_.y;
        return;
    }
    ViewportToGl(viewport_, TargetHeight(), x, y);
}

void Device::SetScissorRect(const Rect *rect) {
    scissorOn_ = rect != nullptr;
    if (rect) scissor_ = *rect;
    ApplyScissor();
}

bool Device::GetScissorRect(Rect *rect) const {
    if (scissorOn_ && rect) *rect = scissor_;
    return scissorOn_;
}

void Device::ApplyScissor() {
    if (!scissorOn_) {
        glDisable(GL_SCISSOR_TEST);
        return;
    }
    // An empty or inverted rectangle lets nothing through.
    const int w = std::max(0, scissor_.right - scissor_.left);
    const int h = std::max(0, scissor_.bottom - scissor_.top);
    const int y = Flipped() ? scissor_.top : TargetHeight() - (scissor_.top + h);
    glEnable(GL_SCISSOR_TEST);
    glScissor(scissor_.left, y, w, h);
}

void Device::SetViewport(const Viewport &viewport) {
    viewport_ = viewport;
    int x = 0, y = 0;
    GlViewportOrigin(&x, &y);
    glViewport(x, y, viewport_.width, viewport_.height);
    glDepthRange(viewport_.minZ, viewport_.maxZ);
}

void Device::SetLight(int index, const Light &light) {
    if (index < 0 || index >= kMaxLights) return;
    lights_[index] = light;
    lightsDirty_ = true;
}

bool Device::GetLight(int index, Light *light) const {
    if (index < 0 || index >= kMaxLights) return false;
    *light = lights_[index];
    return true;
}

void Device::LightEnable(int index, bool enable) {
    if (index < 0 || index >= kMaxLights) return;
    lightEnabled_[index] = enable ? 1 : 0;
    lightsDirty_ = true;
}

bool Device::LightEnabled(int index) const {
    return index >= 0 && index < kMaxLights && lightEnabled_[index];
}

void Device::SetMaterial(const Material &material) {
    material_ = material;
}

// ---------------------------------------------------------------- resources

std::unique_ptr<Texture> Device::CreateTexture(int size, int levels, Format format) {
    if (size <= 0 || size > caps_.maxTextureWidth || levels <= 0) return nullptr;
    if (format != FormatR5G6B5 && format != FormatX1R5G5B5 && format != FormatA4R4G4B4) {
        return nullptr;
    }
    if (std::find(refusedFormats_.begin(), refusedFormats_.end(), format) !=
        refusedFormats_.end()) {
        return nullptr;
    }
    std::unique_ptr<Texture> texture(new Texture(this, size, levels, format));
    allTextures_.push_back(texture.get());
    return texture;
}

RenderTarget::~RenderTarget() {
    if (!device_) return;
    if (device_->target_ == this) device_->SetRenderTarget(nullptr);
    if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
    if (depth_) glDeleteRenderbuffers(1, &depth_);
    auto &all = device_->allTargets_;
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
    for (auto &bound : device_->textures_) {
        if (bound == texture_.get()) bound = nullptr;
    }
}

std::unique_ptr<RenderTarget> Device::CreateRenderTarget(int width, int height) {
    if (width <= 0 || height <= 0 || width > caps_.maxTextureWidth ||
        height > caps_.maxTextureWidth) {
        return nullptr;
    }
    std::unique_ptr<RenderTarget> target(new RenderTarget());
    target->device_ = this;
    target->width_ = width;
    target->height_ = height;
    target->stencil_ = HasStencil();
    target->texture_.reset(new Texture(this, width, height));
    allTargets_.push_back(target.get());

    const bool low = params_.backBufferFormat != FormatX8R8G8B8;
    Texture *texture = target->texture_.get();
    glActiveTexture(GL_TEXTURE0);
    glGenTextures(1, &texture->glName_);
    glBindTexture(GL_TEXTURE_2D, texture->glName_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glTexImage2D(GL_TEXTURE_2D, 0, low ? GL_RGB5 : GL_RGBA8, width, height, 0, GL_RGBA,
                 GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    glStages_[0].known = false;
    glGenRenderbuffers(1, &target->depth_);
    glBindRenderbuffer(GL_RENDERBUFFER, target->depth_);
    glRenderbufferStorage(GL_RENDERBUFFER,
                          target->stencil_ ? GL_DEPTH24_STENCIL8
                                           : (low ? GL_DEPTH_COMPONENT16 : GL_DEPTH_COMPONENT24),
                          width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glGenFramebuffers(1, &target->framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, target->framebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture->glName_,
                           0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, target->depth_);
    if (target->stencil_) {
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                  target->depth_);
    }
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, target_ ? target_->framebuffer_ : 0);
    if (!complete) return nullptr;
    return target;
}

void Device::SetRenderTarget(RenderTarget *target) {
    if (target && !target->framebuffer_) target = nullptr;  // lost in a reset
    target_ = target;
    glBindFramebuffer(GL_FRAMEBUFFER, target ? target->framebuffer_ : 0);
    // Drawn upside down, a triangle's winding on screen is mirrored too.
    glFrontFace(target ? GL_CW : GL_CCW);
    SetViewport(Viewport{0, 0, TargetWidth(), TargetHeight(), 0.0f, 1.0f});
    SetScissorRect(nullptr);
}

void Device::RefuseTextureFormat(Format format, bool refuse) {
    refusedFormats_.erase(std::remove(refusedFormats_.begin(), refusedFormats_.end(), format),
                          refusedFormats_.end());
    if (refuse) refusedFormats_.push_back(format);
}

// ---------------------------------------------------------------- drawing

void Device::PrepareTransforms(bool windowPixels) {
    float m[16];
    if (windowPixels) {
        WindowPixelProjection(TargetWidth(), TargetHeight(), m);
    } else {
        ProjectionToGl(transforms_[TransformProjection], m);
    }
    if (Flipped()) {
        for (int c = 0; c < 4; c++) m[c * 4 + 1] = -m[c * 4 + 1];  // clip y = -y
    }
    if (!glProjectionValid_ || std::memcmp(m, glProjection_, sizeof(m)) != 0) {
        glMatrixMode(GL_PROJECTION);
        glLoadMatrixf(m);
        glMatrixMode(GL_MODELVIEW);
        std::memcpy(glProjection_, m, sizeof(m));
        glProjectionValid_ = true;
    }
    if (windowPixels) {
        MatrixIdentity(m);
    } else {
        MatrixMultiply(transforms_[TransformWorld], transforms_[TransformView], m);
    }
    if (!glModelviewValid_ || std::memcmp(m, glModelview_, sizeof(m)) != 0) {
        glLoadMatrixf(m);
        std::memcpy(glModelview_, m, sizeof(m));
        glModelviewValid_ = true;
    }
}

void Device::PrepareLights() {
    if (!lightsDirty_) return;
    // OpenGL keeps light positions in eye space, taken through the modelview
    // at the time they are given: give them with the view alone.
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadMatrixf(transforms_[TransformView]);
    int used = 0;
    for (int i = 0; i < kMaxLights && used < glLightCount_; i++) {
        if (!lightEnabled_[i]) continue;
        const Light &light = lights_[i];
        const GLenum id = GL_LIGHT0 + used++;
        glEnable(id);
        SetColour(id, GL_DIFFUSE, light.diffuse);
        SetColour(id, GL_SPECULAR, light.specular);
        SetColour(id, GL_AMBIENT, light.ambient);
        if (light.type == LightDirectional) {
            // The light's direction is where its rays go; OpenGL wants the
            // direction towards the light.
            const GLfloat p[4] = {-light.direction[0], -light.direction[1], -light.direction[2], 0};
            glLightfv(id, GL_POSITION, p);
            glLightf(id, GL_CONSTANT_ATTENUATION, 1.0f);
            glLightf(id, GL_LINEAR_ATTENUATION, 0.0f);
            glLightf(id, GL_QUADRATIC_ATTENUATION, 0.0f);
        } else {
            const GLfloat p[4] = {light.position[0], light.position[1], light.position[2], 1};
            glLightfv(id, GL_POSITION, p);
            glLightf(id, GL_CONSTANT_ATTENUATION, light.attenuation0);
            glLightf(id, GL_LINEAR_ATTENUATION, light.attenuation1);
            glLightf(id, GL_QUADRATIC_ATTENUATION, light.attenuation2);
        }
        glLightf(id, GL_SPOT_CUTOFF, 180.0f);
    }
    for (int i = used; i < glLightCount_; i++) glDisable(GL_LIGHT0 + i);
    glPopMatrix();
    lightsDirty_ = false;
}

void Device::ForgetGlState() {
    for (GlStage &stage : glStages_) stage = GlStage();
    glProjectionValid_ = glModelviewValid_ = false;
    glLighting_ = glColourMaterial_ = -1;
    glMaterialKnown_ = false;
}

void Device::SetCapability(unsigned capability, bool on, int *known) {
    if (*known == (on ? 1 : 0)) return;
    if (on) {
        glEnable(capability);
    } else {
        glDisable(capability);
    }
    *known = on ? 1 : 0;
}

void Device::PrepareStages(const VertexLayout &layout, const uint8_t *base, int stride,
                           bool allTextures) {
    const int units = std::min(caps_.maxSimultaneousTextures, kMaxStages);
    const int total = glUnitCount_;
    bool chain = true;  // a disabled stage switches off every later one
    int active = -1;    // the unit glActiveTexture last selected here
    auto select = [&active](int stage) {
        if (active == stage) return;
        glActiveTexture(GL_TEXTURE0 + stage);
        glClientActiveTexture(GL_TEXTURE0 + stage);
        active = stage;
    };
    // Only what differs from what OpenGL already holds is sent: a frame sets
    // the same stage setup for mesh after mesh.
    for (int stage = 0; stage < total; stage++) {
        const uint32_t *s = stageStates_[stage];
        Texture *texture = textures_[stage];
        GlStage &gl = glStages_[stage];
        chain = chain && stage < units && s[TssColourOp] != TopDisable;
        // A fragment shader samples whatever is bound, whatever the stage
        // operations say.
        const bool on = (chain || allTextures) && texture != nullptr;
        if (!on) {
            if (!gl.known || gl.enabled || gl.coordArray) {
                select(stage);
                glDisable(GL_TEXTURE_2D);
                glDisableClientState(GL_TEXTURE_COORD_ARRAY);
                gl.enabled = gl.coordArray = false;
                gl.known = true;
            }
            continue;
        }
        select(stage);
        if (!gl.known || !gl.enabled) glEnable(GL_TEXTURE_2D);
        if (!gl.known || gl.texture != texture->glName_ || texture->dirty_ || !texture->glName_) {
            texture->Upload();  // binds, sending any pending change
        }
        gl.enabled = true;
        gl.known = true;
        gl.texture = texture->glName_;
        const bool mip = s[TssMipFilter] != FilterNone && texture->Levels() > 1;
        const bool linearMin = s[TssMinFilter] >= FilterLinear;
        GLint minFilter = linearMin ? GL_LINEAR : GL_NEAREST;
        if (mip) {
            // Blending two mip levels doubles the texels a software
            // rasteriser fetches for every pixel of the table and the room;
            // the nearest level alone looks all but the same there.
            const bool linearMip = s[TssMipFilter] >= FilterLinear && !softwareRasteriser_;
            minFilter = linearMin
                            ? (linearMip ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_NEAREST)
                            : (linearMip ? GL_NEAREST_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST);
        }
        auto wrap = [](uint32_t address) {
            return address == AddressClamp
                       ? GL_CLAMP_TO_EDGE
                       : (address == AddressMirror ? GL_MIRRORED_REPEAT : GL_REPEAT);
        };
        // Filters and addressing belong to the texture object.
        const GLint params[4] = {minFilter,
                                 s[TssMagFilter] >= FilterLinear ? GL_LINEAR : GL_NEAREST,
                                 wrap(s[TssAddressU]), wrap(s[TssAddressV])};
        static const GLenum kParamNames[4] = {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER,
                                              GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T};
        for (int i = 0; i < 4; i++) {
            if (texture->glParams_[i] == params[i]) continue;
            glTexParameteri(GL_TEXTURE_2D, kParamNames[i], params[i]);
            texture->glParams_[i] = params[i];
        }

        struct Part {
            GLenum combine, source0, source1, operand0, operand1, scale;
            uint32_t op, arg1, arg2;
            GLenum operand;
        };
        const Part parts[2] = {
            {GL_COMBINE_RGB, GL_SOURCE0_RGB, GL_SOURCE1_RGB, GL_OPERAND0_RGB, GL_OPERAND1_RGB,
             GL_RGB_SCALE, s[TssColourOp], s[TssColourArg1], s[TssColourArg2], GL_SRC_COLOR},
            {GL_COMBINE_ALPHA, GL_SOURCE0_ALPHA, GL_SOURCE1_ALPHA, GL_OPERAND0_ALPHA,
             GL_OPERAND1_ALPHA, GL_ALPHA_SCALE, s[TssAlphaOp], s[TssAlphaArg1], s[TssAlphaArg2],
             GL_SRC_ALPHA},
        };
        GLint env[GlStage::kEnvValues];
        GLenum envNames[GlStage::kEnvValues];
        int n = 0;
        env[n] = GL_COMBINE;
        envNames[n++] = GL_TEXTURE_ENV_MODE;
        for (const Part &p : parts) {
            GLenum mode = GL_MODULATE;
            GLenum src0 = GlSource(p.arg1), src1 = GlSource(p.arg2);
            GLint scale = 1;
            switch (p.op) {
                case TopSelectArg1:
                    mode = GL_REPLACE;
                    break;
                case TopSelectArg2:
                    mode = GL_REPLACE;
                    src0 = src1;
                    break;
                case TopModulate2x:
                    scale = 2;
                    break;
                case TopModulate4x:
                    scale = 4;
                    break;
                case TopAdd:
                    mode = GL_ADD;
                    break;
                case TopAddSigned:
                    mode = GL_ADD_SIGNED;
                    break;
                case TopSubtract:
                    mode = GL_SUBTRACT;
                    break;
                case TopDotProduct3:
                    mode = p.combine == GL_COMBINE_RGB ? GL_DOT3_RGBA : GL_MODULATE;
                    break;
                case TopDisable:  // alpha left alone: keep what came before
                    mode = GL_REPLACE;
                    src0 = GL_PREVIOUS;
                    break;
                default:
                    break;
            }
            const GLint values[6] = {static_cast<GLint>(mode),      static_cast<GLint>(src0),
                                     static_cast<GLint>(src1),      static_cast<GLint>(p.operand),
                                     static_cast<GLint>(p.operand), scale};
            const GLenum names[6] = {p.combine,  p.source0,  p.source1,
                                     p.operand0, p.operand1, p.scale};
            for (int i = 0; i < 6; i++) {
                env[n] = values[i];
                envNames[n++] = names[i];
            }
        }
        for (int i = 0; i < n; i++) {
            if (gl.envKnown && gl.env[i] == env[i]) continue;
            if (envNames[i] == GL_RGB_SCALE || envNames[i] == GL_ALPHA_SCALE) {
                glTexEnvf(GL_TEXTURE_ENV, envNames[i], static_cast<float>(env[i]));
            } else {
                glTexEnvi(GL_TEXTURE_ENV, envNames[i], env[i]);
            }
            gl.env[i] = env[i];
        }
        gl.envKnown = true;
        const int set = static_cast<int>(s[TssTexCoordIndex] & 0xFFFF);
        if (set < layout.texCount) {
            if (!gl.coordArray) glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, stride, base + layout.tex[set]);
            gl.coordArray = true;
        } else {
            if (gl.coordArray) glDisableClientState(GL_TEXTURE_COORD_ARRAY);
            gl.coordArray = false;
            glMultiTexCoord2f(GL_TEXTURE0 + stage, 0.0f, 0.0f);
        }
    }
    if (active > 0) {
        glActiveTexture(GL_TEXTURE0);
        glClientActiveTexture(GL_TEXTURE0);
    }
}

// The fixed-function arrays are all off between draws (FinishDraw), and
// lighting means nothing to a vertex program: only the program's own inputs
// are set up.
void Device::PrepareProgram(const VertexLayout &layout, const uint8_t *base, int stride) {
    if (!program_->Use()) return;
    const unsigned reads = program_->Inputs();
    struct Input {
        int offset, size;
        GLenum type;
        GLboolean normalised;
    };
    const Input inputs[10] = {
        {layout.position, 3, GL_FLOAT, GL_FALSE},
        {layout.blendWeights, 4, GL_FLOAT, GL_FALSE},
        {layout.blendIndices, 4, GL_UNSIGNED_BYTE, GL_FALSE},
        {layout.normal, 3, GL_FLOAT, GL_FALSE},
        {-1, 0, GL_FLOAT, GL_FALSE},
        {layout.diffuse, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE},
        {layout.specular, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE},
        {layout.texCount > 0 ? layout.tex[0] : -1, 2, GL_FLOAT, GL_FALSE},
        {layout.texCount > 1 ? layout.tex[1] : -1, 2, GL_FLOAT, GL_FALSE},
        {layout.texCount > 2 ? layout.tex[2] : -1, 2, GL_FLOAT, GL_FALSE},
    };
    for (int i = 0; i < 16; i++) {
        // Position always feeds attribute 0, which makes the vertices.
        if (!(reads & (1u << i)) && i != 0) continue;
        if (i < 10 && inputs[i].offset >= 0) {
            glEnableVertexAttribArray(i);
            glVertexAttribPointer(i, inputs[i].size, inputs[i].type, inputs[i].normalised, stride,
                                  base + inputs[i].offset);
            attributesOn_ |= 1u << i;
        } else {
            glVertexAttrib4f(i, 0.0f, 0.0f, 0.0f, 1.0f);  // a missing input reads (0, 0, 0, 1)
        }
    }
    program_->SetFlipY(Flipped());
    program_->Use();
    PrepareStages(layout, base, stride, program_->HasFragmentShader());
}

bool Device::PrepareDraw(uint32_t format, const uint8_t *base, int stride, int vertexCount) {
    const VertexLayout layout = LayoutOf(format);
    if (layout.stride == 0 || !base || vertexCount <= 0) return false;
    if (stride <= 0) stride = layout.stride;
    const bool windowPixels = layout.positionSize == 4;
    if (program_ && !windowPixels) {
        PrepareProgram(layout, base, stride);
        backBufferFresh_ = true;
        return true;
    }
    ShaderProgram::UseNone();
    PrepareTransforms(windowPixels);

    glEnableClientState(GL_VERTEX_ARRAY);
    if (windowPixels) {
        // (x, y, z, 1/w) becomes (xw, yw, zw, w): same pixels, with
        // perspective-correct interpolation of colours and coordinates.
        scratch_.resize(static_cast<size_t>(vertexCount) * 4);
        for (int i = 0; i < vertexCount; i++) {
            float v[4];
            std::memcpy(v, base + static_cast<size_t>(i) * stride + layout.position, sizeof(v));
            const float w = v[3] > 0.0f ? 1.0f / v[3] : 1.0f;
            scratch_[i * 4 + 0] = v[0] * w;
            scratch_[i * 4 + 1] = v[1] * w;
            scratch_[i * 4 + 2] = v[2] * w;
            scratch_[i * 4 + 3] = w;
        }
        glVertexPointer(4, GL_FLOAT, 0, scratch_.data());
    } else {
        glVertexPointer(3, GL_FLOAT, stride, base + layout.position);
    }
    if (layout.normal >= 0 && !windowPixels) {
        glEnableClientState(GL_NORMAL_ARRAY);
        glNormalPointer(GL_FLOAT, stride, base + layout.normal);
    } else {
        glDisableClientState(GL_NORMAL_ARRAY);
        glNormal3f(0.0f, 0.0f, 0.0f);
    }
    if (layout.diffuse >= 0) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, base + layout.diffuse);
    } else {
        glDisableClientState(GL_COLOR_ARRAY);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    }

    // Window-pixel vertices are already lit.
    const bool lit = renderStates_[RsLighting] && !windowPixels;
    if (lit) {
        PrepareLights();
        SetCapability(GL_LIGHTING, true, &glLighting_);
        Material m = material_;
        if (!renderStates_[RsSpecularEnable]) m.specular = Colour{0, 0, 0, 0};
        SetCapability(GL_COLOR_MATERIAL, false, &glColourMaterial_);
        // Every material change makes the driver redo its lighting set-up;
        // tile after tile wears the same one.
        if (!glMaterialKnown_ || !SameMaterial(m, glMaterial_)) {
            SetMaterialColour(GL_AMBIENT, m.ambient);
            SetMaterialColour(GL_DIFFUSE, m.diffuse);
            SetMaterialColour(GL_SPECULAR, m.specular);
            SetMaterialColour(GL_EMISSION, m.emissive);
            glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::min(128.0f, std::max(0.0f, m.power)));
            glMaterial_ = m;
            glMaterialKnown_ = true;
        }
        if (layout.diffuse >= 0) {
            // A vertex colour stands in for the material's diffuse colour,
            // which OpenGL then changes with every vertex.
            glColorMaterial(GL_FRONT_AND_BACK, GL_DIFFUSE);
            SetCapability(GL_COLOR_MATERIAL, true, &glColourMaterial_);
            glMaterialKnown_ = false;
        }
    } else {
        SetCapability(GL_LIGHTING, false, &glLighting_);
        SetCapability(GL_COLOR_MATERIAL, false, &glColourMaterial_);
    }
    PrepareStages(layout, base, stride, false);
    backBufferFresh_ = true;
    return true;
}

void Device::FinishDraw() {
    for (int i = 0; i < 16; i++) {
        if (attributesOn_ & (1u << i)) glDisableVertexAttribArray(i);
    }
    attributesOn_ = 0;
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
}

void Device::DrawPrimitive(Primitive type, int startVertex, int primitiveCount) {
    if (!stream_ || primitiveCount <= 0 || startVertex < 0) return;
    int count = 0;
    const GLenum mode = GlPrimitive(type, primitiveCount, &count);
    if (startVertex + count > stream_->Count()) return;  // would read past the buffer
    if (!PrepareDraw(stream_->GetFormat(), stream_->Data(), stream_->Stride(), stream_->Count())) {
        return;
    }
    glDrawArrays(mode, startVertex, count);
    FinishDraw();
}

void Device::DrawIndexedPrimitive(Primitive type, int startIndex, int primitiveCount) {
    if (!stream_ || !indices_ || primitiveCount <= 0 || startIndex < 0) return;
    int count = 0;
    const GLenum mode = GlPrimitive(type, primitiveCount, &count);
    if (startIndex + count > indices_->Count()) return;
    const uint16_t *first = indices_->Data() + startIndex;
    for (int i = 0; i < count; i++) {
        if (first[i] >= stream_->Count()) return;  // an index past the vertices
    }
    if (!PrepareDraw(stream_->GetFormat(), stream_->Data(), stream_->Stride(), stream_->Count())) {
        return;
    }
    glDrawElements(mode, count, GL_UNSIGNED_SHORT, first);
    FinishDraw();
}

void Device::DrawPrimitiveUP(Primitive type, int primitiveCount, const void *vertices, int stride) {
    if (!vertices || primitiveCount <= 0) return;
    int count = 0;
    const GLenum mode = GlPrimitive(type, primitiveCount, &count);
    if (!PrepareDraw(vertexFormat_, static_cast<const uint8_t *>(vertices), stride, count)) return;
    glDrawArrays(mode, 0, count);
    FinishDraw();
}

}  // namespace device
