#pragma once
// The drawing device: an SDL window with an OpenGL 2.1 context, driven through
// the operations of a classic fixed-function device (render and texture-stage
// states, transforms, lights, materials, buffers, 16-bit textures, clear,
// scene brackets, present and back-buffer read). Every OpenGL call of the
// program's fixed-function drawing lives behind this interface.
//
// Resources come in two kinds, as on the device the engine was written for:
// managed ones (textures, buffers) keep a copy in main memory and survive a
// device reset; the device re-creates them in the new context. States,
// transforms and lights return to their defaults on reset; their owner
// re-applies what it needs.

#include <cstdint>
#include <memory>
#include <vector>

#include "device/Types.h"

namespace device {

class Device;
class ShaderProgram;

// A square 16-bit texture with its mip levels kept in main memory. Changes
// are uploaded to OpenGL the next time the texture is used.
class Texture {
public:
    ~Texture();
    Texture(const Texture &) = delete;
    Texture &operator=(const Texture &) = delete;

    int Size() const { return size_; }  // the width of a render-target texture
    int Height() const { return renderTarget_ ? height_ : size_; }
    int LevelSize(int level) const;
    int Levels() const { return static_cast<int>(levels_.size()); }
    Format GetFormat() const { return format_; }

    // Pixels of a level, rows top to bottom, `*pitch` bytes apart. Unless
    // noDirtyUpdate, the whole level is marked for upload.
    uint16_t *LockRect(int level, int *pitch, bool noDirtyUpdate = false);
    void UnlockRect(int level);
    // Marks a rectangle of level 0 (and the matching area of every other
    // level) for upload; null marks everything.
    void AddDirtyRect(const Rect *rect);

private:
    friend class Device;
    Texture(Device *device, int size, int levels, Format format);
    // A texture that a render target draws into: its pixels live only in
    // OpenGL, created by the target.
    Texture(Device *device, int width, int height);
    void Upload();        // sends the dirty area to OpenGL, creating the object if needed
    void ForgetGlName();  // the context is gone; the name means nothing any more

    Device *device_;
    int size_;
    Format format_;
    std::vector<std::vector<uint16_t>> levels_;
    unsigned glName_ = 0;
    int glParams_[4] = {-1, -1, -1, -1};  // min, mag filter, wrap s, t as OpenGL has them
    bool renderTarget_ = false;
    int height_ = 0;
    bool dirty_ = true;
    Rect dirtyRect_;  // level-0 coordinates; valid while dirty_
};

// A texture to draw into, with its own depth (and, with a 32-bit back buffer,
// stencil) surface. Drawn into upside down, so that sampling it with the
// engine's top-down texture coordinates shows the picture the right way up.
class RenderTarget {
public:
    ~RenderTarget();
    RenderTarget(const RenderTarget &) = delete;
    RenderTarget &operator=(const RenderTarget &) = delete;
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The texture, to bind on a stage once drawing into it is over.
    Texture *GetTexture() { return texture_.get(); }

private:
    friend class Device;
    RenderTarget() = default;
    Device *device_ = nullptr;
    std::unique_ptr<Texture> texture_;
    unsigned framebuffer_ = 0, depth_ = 0;
    int width_ = 0, height_ = 0;
    bool stencil_ = false;
};

class VertexBuffer {
public:
    VertexBuffer(int count, uint32_t format, bool dynamic);
    int Count() const { return count_; }
    uint32_t GetFormat() const { return format_; }
    int Stride() const { return layout_.stride; }
    const VertexLayout &Layout() const { return layout_; }
    bool Dynamic() const { return dynamic_; }
    uint8_t *Lock() { return data_.data(); }
    void Unlock() {}
    const uint8_t *Data() const { return data_.data(); }

private:
    int count_;
    uint32_t format_;
    VertexLayout layout_;
    bool dynamic_;
    std::vector<uint8_t> data_;
};

class IndexBuffer {
public:
    IndexBuffer(int count, bool dynamic) : dynamic_(dynamic), data_(count > 0 ? count : 0) {}
    int Count() const { return static_cast<int>(data_.size()); }
    bool Dynamic() const { return dynamic_; }
    uint16_t *Lock() { return data_.data(); }
    void Unlock() {}
    const uint16_t *Data() const { return data_.data(); }

private:
    bool dynamic_;
    std::vector<uint16_t> data_;
};

struct PresentParameters {
    int width = 0, height = 0;
    Format backBufferFormat = FormatX8R8G8B8;
    Format depthStencilFormat = FormatD24S8;
    bool fullscreen = true;
    int backBufferCount = 1;
    bool lockableBackBuffer = true;
    int presentInterval = 1;
};

enum DeviceType { DeviceHal, DeviceReference };

enum CreateFlags {
    CreateSoftwareVertexProcessing = 1,
    CreateHardwareVertexProcessing = 2,
    CreateFpuPreserve = 4,
};

// The display before a device exists: modes, the window and its visual, the
// format checks and the capabilities, and device creation.
namespace adapter {

// Full-screen modes SDL lists, largest first. False when SDL accepts any size
// (nothing listed); *modes is then empty.
bool ListModes(std::vector<Mode> *modes);

// Opens (or re-opens) the SDL OpenGL window. bitsPerPixel 16 asks for a 5-6-5
// visual with 16-bit depth and no stencil, anything else for 8-8-8 with 24-bit
// depth and 8-bit stencil. Returns false with SDL's reason in *error.
bool OpenWindow(int width, int height, int bitsPerPixel, bool fullscreen, const char **error);

// Whether the open window can present in `format` / use `depthFormat`.
bool CheckDeviceType(Format backBufferFormat);
bool CheckDepthStencilFormat(Format depthFormat);

// Capabilities of the current context, lowered by MARBRIX_DEVICE_CAPS.
Caps GetCaps();

// Creates the device on the open window; null when the context is unusable
// for `type` (the reference device accepts any context).
std::unique_ptr<Device> CreateDevice(DeviceType type, int flags, const PresentParameters &params);

// For tests: the next `count` CreateDevice calls fail.
void FailNextDeviceCreations(int count);

}  // namespace adapter

class Device {
public:
    ~Device();
    Device(const Device &) = delete;
    Device &operator=(const Device &) = delete;

    const Caps &GetDeviceCaps() const { return caps_; }
    const PresentParameters &Parameters() const { return params_; }
    bool HasStencil() const { return FormatStencilBits(params_.depthStencilFormat) > 0; }
    // Whether OpenGL draws in software (Mesa's llvmpipe and the like). There
    // a linear mip filter samples the nearest mip level only (bilinearly):
    // blending two levels would double the texture reads of every pixel.
    bool SoftwareRasteriser() const { return softwareRasteriser_; }

    // Lost-device handling. A lost device refuses to draw until Reset succeeds.
    CooperativeLevel TestCooperativeLevel();
    bool Reset(const PresentParameters &params);
    // Simulates losing the device: TestCooperativeLevel reports DeviceLost for
    // `lostFrames` calls, then DeviceNotReset until Reset.
    void ForceLoss(int lostFrames);
    int ResetCount() const { return resetCount_; }

    // Frame.
    void BeginScene();
    void EndScene();
    void Clear(int flags, uint32_t colour, float z, int stencil);
    void Present();
    // Copies the back buffer, rows top to bottom, in the back-buffer format
    // (4 bytes B, G, R, X per pixel for X8R8G8B8; one 16-bit word otherwise).
    // After Present, this is the picture just presented, unless the copy
    // that makes it so was switched off (below).
    bool ReadBackBuffer(std::vector<uint8_t> *pixels, int *pitch);
    // Present keeps a copy of each picture (on by default) so that the back
    // buffer stays readable after the swap. It costs a full-screen copy per
    // frame; a program that reads the back buffer only before Present turns
    // it off, and ReadBackBuffer after Present then gives undefined pixels.
    void KeepPresentedPicture(bool keep);
    bool KeepsPresentedPicture() const { return keepPresented_; }

    // Measuring: the samples that pass the depth and stencil tests between
    // BeginSampleCount and EndSampleCount (an occlusion query). Counts do not
    // nest. EndSampleCount waits for the drawing to finish, so counting is
    // for measurements, not for every frame. Both return false when the
    // context cannot count or the calls do not pair up (*samples is then 0).
    bool BeginSampleCount();
    bool EndSampleCount(uint64_t *samples);

    // States.
    void SetRenderState(RenderState state, uint32_t value);
    uint32_t GetRenderState(RenderState state) const { return renderStates_[state]; }
    void SetTextureStageState(int stage, StageState state, uint32_t value);
    uint32_t GetTextureStageState(int stage, StageState state) const;
    void SetTexture(int stage, Texture *texture);
    Texture *GetTexture(int stage) const;
    void SetTransform(TransformKind kind, const float matrix[16]);
    void GetTransform(TransformKind kind, float matrix[16]) const;
    void SetViewport(const Viewport &viewport);
    Viewport GetViewport() const { return viewport_; }
    // Limits drawing to a rectangle of the current target (window pixels,
    // top-left origin, right and bottom edges excluded); null lifts the
    // limit. Choosing a render target or resetting lifts it too, and
    // clearing always covers the whole viewport. The rasteriser never visits
    // the pixels outside, which is what makes it worth having.
    void SetScissorRect(const Rect *rect);
    bool GetScissorRect(Rect *rect) const;
    void SetLight(int index, const Light &light);
    bool GetLight(int index, Light *light) const;
    void LightEnable(int index, bool enable);
    bool LightEnabled(int index) const;
    void SetMaterial(const Material &material);
    Material GetMaterial() const { return material_; }

    // Resources.
    std::unique_ptr<Texture> CreateTexture(int size, int levels, Format format);
    // For tests of the format fallback: CreateTexture refuses these formats.
    void RefuseTextureFormat(Format format, bool refuse);

    // Forget what the device believes OpenGL holds, after someone else has
    // made OpenGL calls on the same context.
    void ForgetGlState();

    // Render targets. CreateRenderTarget returns null when the target cannot
    // be made (no framebuffer objects, or an incomplete one). SetRenderTarget
    // (null: the back buffer) also sets the viewport to the whole target.
    std::unique_ptr<RenderTarget> CreateRenderTarget(int width, int height);
    void SetRenderTarget(RenderTarget *target);
    RenderTarget *GetRenderTarget() const { return target_; }

    // A shader program replaces the fixed-function vertex processing (and,
    // when it has a fragment shader, the texture stages) until it is unset.
    // Its input v# is fed from the vertex components in the order position,
    // blend weights, blend indices, normal, -, diffuse, specular, texture
    // sets 0..2 (v0..v9).
    void SetShaderProgram(ShaderProgram *program) { program_ = program; }
    ShaderProgram *GetShaderProgram() const { return program_; }

    // Drawing. `SetVertexFormat` names the layout of DrawPrimitiveUP's vertices
    // and of the stream.
    void SetVertexFormat(uint32_t format) { vertexFormat_ = format; }
    void SetStreamSource(const VertexBuffer *buffer) { stream_ = buffer; }
    void SetIndices(const IndexBuffer *buffer) { indices_ = buffer; }
    void DrawPrimitive(Primitive type, int startVertex, int primitiveCount);
    void DrawIndexedPrimitive(Primitive type, int startIndex, int primitiveCount);
    void DrawPrimitiveUP(Primitive type, int primitiveCount, const void *vertices, int stride);

    static constexpr int kMaxStages = 8;
    static constexpr int kMaxLights = 1024;

private:
    friend class Texture;
    friend class RenderTarget;
    friend std::unique_ptr<Device> adapter::CreateDevice(DeviceType, int,
                                                         const PresentParameters &);
    Device(const PresentParameters &params, const Caps &caps);

    // Size of the surface being drawn: window-pixel vertices and viewports are
    // measured on it. A texture target is drawn upside down for sampling, so
    // y and the culling are flipped while it is current.
    int TargetWidth() const { return target_ ? target_->width_ : params_.width; }
    int TargetHeight() const { return target_ ? target_->height_ : params_.height; }
    bool Flipped() const { return target_ != nullptr; }
    void GlViewportOrigin(int *x, int *y) const;
    void ApplyScissor();
    void PrepareProgram(const VertexLayout &layout, const uint8_t *base, int stride);
    void ApplyDefaults();  // default states to the cache and OpenGL
    void ApplyRenderState(RenderState state);
    void ApplyStencil();
    bool PrepareDraw(uint32_t format, const uint8_t *base, int stride, int vertexCount);
    void PrepareTransforms(bool windowPixels);
    void PrepareLights();
    void PrepareStages(const VertexLayout &layout, const uint8_t *base, int stride,
                       bool allTextures);
    void FinishDraw();
    void Unregister(Texture *texture);

    // What OpenGL holds for each texture unit, so that a draw sends only
    // what changed.
    struct GlStage {
        static constexpr int kEnvValues = 13;
        bool known = false, enabled = false, coordArray = false, envKnown = false;
        unsigned texture = 0;
        int env[kEnvValues] = {};
    };
    GlStage glStages_[kMaxStages];
    bool glProjectionValid_ = false, glModelviewValid_ = false;
    int glLighting_ = -1, glColourMaterial_ = -1;  // -1: not known
    Material glMaterial_;  // the material OpenGL holds, when glMaterialKnown_
    bool glMaterialKnown_ = false;
    void SetCapability(unsigned capability, bool on, int *known);
    float glProjection_[16] = {}, glModelview_[16] = {};

    PresentParameters params_;
    Caps caps_;
    int lostFrames_ = 0;
    bool needsReset_ = false;
    int resetCount_ = 0;
    bool backBufferFresh_ = false;  // drawn into since the last Present
    // OpenGL leaves the back buffer undefined after a swap, and the front
    // buffer cannot always be read back; a copy of the picture presented last
    // keeps the back buffer readable between frames.
    unsigned presentedCopy_ = 0;
    bool presentedValid_ = false;
    bool keepPresented_ = true;
    bool softwareRasteriser_ = false;
    unsigned sampleQuery_ = 0;  // the running sample count's query, 0 when none runs

    bool scissorOn_ = false;
    Rect scissor_;
    uint32_t renderStates_[RsCount] = {};
    uint32_t stageStates_[kMaxStages][TssCount] = {};
    Texture *textures_[kMaxStages] = {};
    float transforms_[3][16] = {};
    Viewport viewport_;
    Material material_;
    std::vector<Light> lights_;
    std::vector<uint8_t> lightEnabled_;
    bool lightsDirty_ = true;
    int glLightCount_ = 8;  // fixed-function lights OpenGL can take at once
    int glUnitCount_ = 1;   // texture units of the fixed-function pipeline

    uint32_t vertexFormat_ = 0;
    const VertexBuffer *stream_ = nullptr;
    const IndexBuffer *indices_ = nullptr;
    std::vector<float> scratch_;  // window-pixel positions expanded for OpenGL

    RenderTarget *target_ = nullptr;
    std::vector<RenderTarget *> allTargets_;
    ShaderProgram *program_ = nullptr;
    unsigned attributesOn_ = 0;  // generic attribute arrays enabled for a program

    std::vector<Texture *> allTextures_;  // managed textures to restore on reset
    std::vector<Format> refusedFormats_;
};

}  // namespace device
