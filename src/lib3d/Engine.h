#pragma once
// The engine: the display, the frame, the numeric render-state interface,
// transforms and lights, the 1024 texture slots, buffers, screen quads,
// screenshots and the engine log. The application object extends it, so every
// operation is called on that object. Operations return 1 (or a slot number)
// on success and 0 (or -1) on failure.

#include <cstdint>
#include <memory>
#include <vector>

#include "device/Device.h"
#include "device/Types.h"
#include "fx/Effect.h"
#include "lib3d/RenderStates.h"

struct Image;

namespace lib3d {

class Engine;

// Colour set of a texture slot; meshes copy their material colours into it.
struct SlotMaterial {
    float diffuse[4] = {1, 1, 1, 1};
    float ambient[4] = {1, 1, 1, 1};
    float specular[4] = {1, 1, 1, 1};
    float power = 20.0f;
};

struct TextureSlot {
    bool inUse = false;
    std::unique_ptr<device::Texture> texture;  // null when no format could be created
    int clamp = 0;                             // 0 wrap, 1 clamp addressing
    int formatIndex = 0;                       // 0 R5G6B5, 1 X1R5G5B5, 2 A4R4G4B4
    int size = 0;
    int mipmapped = 0;
    int ownerTag = 0;
    std::unique_ptr<SlotMaterial> material;
    bool dirty = false;
    std::vector<device::Rect> dirtyRects;
};

class Engine {
public:
    static constexpr int kTextureSlots = 1024;
    static constexpr int kLightSlots = 1024;

    Engine();
    virtual ~Engine();
    Engine(const Engine &) = delete;
    Engine &operator=(const Engine &) = delete;

    // ---- display
    // Opens the display: colourMode 1 is 16-bit, anything else 32-bit. Set
    // `fullscreen` before calling (false opens a window of the same size).
    // A size no display can take falls back to 800 x 600 with a message.
    int Open(int width, int height, int colourMode);
    // Releases textures, buffers and the device (the window stays until SDL quits).
    void Close();
    bool IsOpen() const { return device_ != nullptr; }
    device::Device *GetDevice() { return device_.get(); }
    // The frame counter and the current target go back to their start values.
    void ResetFrameState();

    // ---- frame, in the order a render step calls it
    // False when nothing may be drawn (device lost, or just reset).
    bool BeginFrame();
    void ClearFrame();
    void EndFrame();
    void PresentFrame();

    // ---- render states by category and value (the numbers scripts send)
    void SetState(int category, int value);
    // The same states by name, for C++ callers (RenderStates.h).
    template <typename Named>
    void SetState(Named value) {
        SetState(CategoryOf(value), static_cast<int>(value));
    }
    void SetDepthFunction(StateCompare f) { SetState(CategoryDepth, static_cast<int>(f)); }
    void SetAlphaFunction(StateCompare f) { SetState(CategoryAlphaTest, static_cast<int>(f)); }
    void SetAlphaReference(int reference) { SetState(CategoryAlphaTest, reference & 255); }
    void SetDepthBias(int bias) { SetState(CategoryDepthBias, bias); }

    // ---- transforms and lights (16 floats, row-major, row-vector convention)
    void SetWorld(const float m[16]);
    void SetView(const float m[16]);
    void SetAmbient(float r, float g, float b);
    void SetPointLight(int slot, float x, float y, float z, float r, float g, float b,
                       float linearAttenuation, float range);
    void SetDirectionalLight(int slot, float dx, float dy, float dz, float r, float g, float b);
    void EnableLight(int slot);
    void DisableLight(int slot);
    // Sets the device's world and view to identity and its projection from
    // the six projection parameters below.
    void SetProjection();
    // The world point one unit in front of the eye on the ray through window
    // pixel (x, y) of the current view and projection.
    void Unproject(float x, float y, float out[3]);
    // The window-pixel rectangle that holds the box lo..hi (model space) as
    // drawn under `world` with the current view, projection and viewport,
    // widened by a pixel for rounding and cut to the viewport. False when a
    // corner lies at or behind the eye: no rectangle bounds the box then.
    bool ScreenBounds(const float world[16], const float lo[3], const float hi[3],
                      device::Rect *out) const;
    // Limits drawing to a window-pixel rectangle (null: the whole target);
    // see Device::SetScissorRect.
    void SetClipRect(const device::Rect *rect);

    // ---- textures
    // Takes sourceWidth x sourceWidth RGBA pixels, returns a slot or -1.
    int CreateTexture(int size, const uint8_t *pixels, int sourceWidth, bool hasAlpha);
    // Reads a picture with SDL_image into a new slot (square, its width a
    // side); -1 with "Texture not found : <path>" when it cannot be read.
    int LoadTexture(const char *path);
    void ReleaseTexture(int slot);
    // Releases the slots of the current owner tag, or all when no tag is set.
    void ReleaseTextures();
    void SetOwnerTag(int tag) { ownerTag = tag; }
    SlotMaterial *TextureMaterial(int slot);
    // Makes a colour set the device's material for lit drawing.
    void ApplyMaterial(const SlotMaterial &material);
    void BindTexture(int slot);   // stage 0
    void BindTexture1(int slot);  // stage 1
    // Direct access to a slot's level-0 pixels (in its 16-bit format); the
    // changed rectangle given to UnlockTexture is uploaded at EndFrame.
    uint16_t *LockTexture(int slot, int *pitchBytes);
    void UnlockTexture(int slot, const device::Rect &changed);
    const TextureSlot *Slot(int slot) const;

    // ---- geometry
    std::unique_ptr<device::VertexBuffer> CreateVertexBuffer(int count, uint32_t format,
                                                             bool dynamic);
    std::unique_ptr<device::IndexBuffer> CreateIndexBuffer(int count, bool dynamic);
    // Draws `triangleCount` triangles of an indexed triangle list with the
    // current states and transforms.
    void DrawIndexed(const device::VertexBuffer &vertices, const device::IndexBuffer &indices,
                     int firstIndex, int triangleCount);
    // Draws a triangle list from memory in one of the vertex formats.
    void DrawTriangles(uint32_t format, const void *vertices, int triangleCount);
    // A screen rectangle in window pixels (top-left x, y; size w, h) with
    // texture coordinates (u0, v0)-(u1, v1) and an opaque colour.
    void DrawQuad2D(float x, float y, float w, float h, float u0, float v0, float u1, float v1,
                    float r, float g, float b);
    // The pointer picture (slot `pointerTexture`) as a 16 x 16 blended quad
    // with its top-left corner at (x, y).
    void DrawPointer(int x, int y);

    // ---- render targets (category 8 makes them, category 9 selects one)
    // Makes the render-target textures: target 0 at half the screen size, the
    // others full size. On failure render targets stay off until a reset.
    void CreateRenderTargets();
    void ReleaseRenderTargets();
    // 13: the back buffer; 0..7: render-target texture i.
    void SelectTarget(int target);
    device::RenderTarget *RenderTargetAt(int index);

    // ---- effects
    // A built-in effect (BuiltinEffects.h), created on first use with its
    // best technique; null when it cannot be created here.
    fx::Effect *BuiltinEffect(int effect);
    // Effects made elsewhere (script effects) register here so that a reset
    // reaches them; they unregister before they go.
    void RegisterEffect(fx::Effect *effect);
    void UnregisterEffect(fx::Effect *effect);

    // ---- pictures and log
    // Saves the back buffer as the first free prefix + "NNNN.png".
    int Screenshot(const char *prefix);
    // Appends text and a line feed to "lib3d_log.txt"; the first line of a
    // run starts the file afresh.
    void Log(const char *text);

    // ---- projection parameters
    int width = 1024, height = 768;  // screen size in pixels
    float pixelAspect = 1.0f;
    float focal = 768.0f;  // focal length in pixels
    float nearPlane = 0.1f, farPlane = 3000.0f;
    float projectionTransposed[16] = {};

    // ---- display settings
    bool fullscreen = true;  // set by the caller before Open
    int colourBits = 0;      // 16 or 32 once open
    device::Format backBufferFormat = device::FormatUnknown;
    device::Format depthFormat = device::FormatUnknown;
    bool depthHasStencil = false;
    bool canMultitexture = false, canDot3 = false, canPixelShader14 = false;
    int maxTextureWidth = 0;

    // ---- frame state
    int frameCounter = 0;
    int currentTarget = 13;  // 13 = back buffer, else render-target texture index
    // Viewport to screen: rows (w/2, 0, 0, 0), (0, h/2, 0, 0), (0, 0, maxZ - minZ, 0),
    // (X + w/2, Y + h/2, minZ, 1) of the current target's viewport.
    float viewportMatrix[16] = {};
    bool renderTargetsFailed = false;  // until the next reset

    // ---- state bookkeeping
    int winding = 1;                // 0 clockwise, 1 counter-clockwise culling
    bool flagClamp = false;         // A: new textures clamp
    bool flagDither = false;        // C: dither new textures
    bool flagMipmap = false;        // D: mip-map new textures
    bool flagTargetAspect = false;  // E: screen aspect in render targets
    bool lightingOn = false;
    bool specularOn = false;
    bool renderTargetsEnabled = false;
    int renderTargetCount = 0;
    int transparencyPasses = 52;  // category 18: 53 opaque, 52 both, 54 blended
    int vertexShaderOption = 0;
    // Options the numeric interface accepts and keeps for scripts written
    // against it; nothing in the engine reads them.
    struct SpareOptions {
        bool toggle = false;                         // category 7, value 10 flips it
        bool switch16 = false;                       // category 16: 51 on, 50 off
        bool switch17 = false;                       // category 17: 52 on, 53 off
        bool switch19 = false;                       // category 19: 55 on, anything else off
        int number20 = 0;                            // category 20: any number
        bool pairFirst = false, pairSecond = false;  // category 23: 59/62, 60/61
    } spareOptions;

    // ---- textures and log
    TextureSlot slots[kTextureSlots];
    int ownerTag = 0;  // 0: no tag
    int pointerTexture = -1;
    bool logEnabled = true;
    bool logWritten = false;

    // ---- lights (world space), re-applied after a reset
    struct LightSlot {
        bool set = false;
        bool enabled = false;
        device::Light light;
    };
    std::vector<LightSlot> lights;
    float world[16], view[16];
    uint32_t ambient = 0;

protected:
    int OpenDisplay(int w, int h, int colourMode);
    bool ChooseFormats(int colourMode);
    bool CreateDeviceWithRetry(const device::PresentParameters &params);
    void ApplyDefaultStates();
    void UpdateViewportMatrix();
    void ResetDevice();
    void BindStage(int stage, int slot);
    device::PresentParameters presentParameters;
    std::unique_ptr<device::Device> device_;
    std::unique_ptr<device::VertexBuffer> triangleBuffer, colourTriangleBuffer;
    std::vector<std::unique_ptr<device::RenderTarget>> renderTargets;
    std::unique_ptr<fx::Effect> builtinEffects[16];
    bool builtinFailed[16] = {};
    std::vector<fx::Effect *> scriptEffects;
};

// Converts back-buffer pixels (rows top to bottom, `pitch` bytes apart, in
// `format`) to an RGBA image, keeping the precision the format holds.
void BackBufferToImage(const std::vector<uint8_t> &pixels, int pitch, int w, int h,
                       device::Format format, Image *image);

}  // namespace lib3d
