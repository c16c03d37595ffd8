// Opening and closing the display, the frame sequence and the reset path.

#include "lib3d/Engine.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "lib3d/DisplayMode.h"
#include "lib3d/Matrix.h"
#include "platform/SafeFile.h"

namespace lib3d {

Engine::Engine() : lights(kLightSlots) {
    Matrix::Identity(world);
    Matrix::Identity(view);
    Matrix::Identity(projectionTransposed);
}

Engine::~Engine() {
    Close();
}

int Engine::Open(int w, int h, int colourMode) {
    Close();
    if (!ValidScreenSize(w, h)) {
        std::fprintf(stderr, "Invalid screen size %dx%d, using 800x600\n", w, h);
        w = 800;
        h = 600;
    }
    return OpenDisplay(w, h, colourMode) ? 1 : 0;
}

int Engine::OpenDisplay(int w, int h, int colourMode) {
    char line[160];
    const int bits = colourMode == 1 ? 16 : 32;

    // The mode: the size asked for if the display lists it, else the largest
    // listed one not wider; a display that lists nothing that fits (or a
    // window) gets the size asked for.
    std::vector<device::Mode> modes;
    const bool listed = device::adapter::ListModes(&modes);
    device::Mode mode = fullscreen && listed ? ChooseMode(modes, w, h) : device::Mode{w, h};
    const char *error = "";
    if (!device::adapter::OpenWindow(mode.width, mode.height, bits, fullscreen, &error)) {
        std::snprintf(line, sizeof(line), "Open %dx%dx%d failed: %s", mode.width, mode.height, bits,
                      error);
        Log(line);
        // A size the display refuses is not a reason to stay dark; a depth it
        // refuses is, and 800 x 600 will not help then either.
        if (mode.width == 800 && mode.height == 600) return 0;
        if (!device::adapter::OpenWindow(800, 600, bits, fullscreen, &error)) return 0;
        std::fprintf(stderr, "Cannot open a %dx%d display, using 800x600\n", mode.width,
                     mode.height);
        mode = device::Mode{800, 600};
    }
    width = mode.width;
    height = mode.height;
    colourBits = bits;
    std::snprintf(line, sizeof(line), "Display %dx%d, %d bits, %s", width, height, bits,
                  fullscreen ? "full screen" : "window");
    Log(line);

    if (!ChooseFormats(colourMode)) return 0;

    const device::Caps caps = device::adapter::GetCaps();
    maxTextureWidth = caps.maxTextureWidth;
    canMultitexture = caps.maxSimultaneousTextures > 1;
    canDot3 = caps.dot3;
    canPixelShader14 = caps.pixelShaderMajor == 1 && caps.pixelShaderMinor == 4;
    std::snprintf(line, sizeof(line), "Caps: max texture %d, multitexture %d, dot3 %d, ps1.4 %d",
                  maxTextureWidth, canMultitexture, canDot3, canPixelShader14);
    Log(line);

    presentParameters = device::PresentParameters();
    presentParameters.width = width;
    presentParameters.height = height;
    presentParameters.backBufferFormat = backBufferFormat;
    presentParameters.depthStencilFormat = depthFormat;
    presentParameters.fullscreen = fullscreen;
    if (!CreateDeviceWithRetry(presentParameters)) return 0;

    device_->SetViewport(device::Viewport{0, 0, width, height, 0.0f, 1.0f});
    UpdateViewportMatrix();
    triangleBuffer =
        CreateVertexBuffer(3, device::FvfXyz | device::FvfDiffuse | device::FvfTex1, false);
    colourTriangleBuffer = CreateVertexBuffer(3, device::FvfXyz | device::FvfDiffuse, false);
    ApplyDefaultStates();
    ResetFrameState();
    return 1;
}

bool Engine::ChooseFormats(int colourMode) {
    using namespace device;
    if (colourMode == 1) {
        backBufferFormat = adapter::CheckDeviceType(FormatR5G6B5) ? FormatR5G6B5 : FormatX1R5G5B5;
        depthFormat = adapter::CheckDepthStencilFormat(FormatD15S1) ? FormatD15S1 : FormatD16;
    } else {
        backBufferFormat = FormatX8R8G8B8;
        depthFormat = adapter::CheckDepthStencilFormat(FormatD24S8) ? FormatD24S8
                      : adapter::CheckDepthStencilFormat(FormatD32) ? FormatD32
                                                                    : FormatD24X8;
    }
    if (!adapter::CheckDeviceType(backBufferFormat) ||
        !adapter::CheckDepthStencilFormat(depthFormat)) {
        char line[96];
        std::snprintf(line, sizeof(line), "No display format for %s with %s",
                      FormatName(backBufferFormat), FormatName(depthFormat));
        Log(line);
        return false;
    }
    depthHasStencil = FormatStencilBits(depthFormat) > 0;
    char line[96];
    std::snprintf(line, sizeof(line), "Formats: %s, depth %s", FormatName(backBufferFormat),
                  FormatName(depthFormat));
    Log(line);
    return true;
}

bool Engine::CreateDeviceWithRetry(const device::PresentParameters &params) {
    using namespace device;
    const Caps caps = adapter::GetCaps();
    int flags = CreateSoftwareVertexProcessing;
    if (vertexShaderOption) {
        if (caps.vertexShaderMajor >= 1) flags = CreateHardwareVertexProcessing;
        flags |= CreateFpuPreserve;
    }
    device_ = adapter::CreateDevice(DeviceHal, flags, params);
    if (!device_) {
        Log("CreateDevice failed, trying the reference device");
        device_ = adapter::CreateDevice(DeviceReference, CreateSoftwareVertexProcessing, params);
    }
    if (!device_) {
        Log("CreateDevice failed");
        return false;
    }
    return true;
}

void Engine::ApplyDefaultStates() {
    using namespace device;
    device_->SetRenderState(RsLighting, 0);
    for (int stage = 0; stage < 2; stage++) {
        device_->SetTextureStageState(stage, TssMagFilter, FilterLinear);
        device_->SetTextureStageState(stage, TssMinFilter, FilterLinear);
        device_->SetTextureStageState(stage, TssMipFilter, FilterNone);
    }
    device_->SetRenderState(RsZFunc, CmpLessEqual);
}

void Engine::UpdateViewportMatrix() {
    const device::Viewport v = device_->GetViewport();
    Matrix::Identity(viewportMatrix);
    viewportMatrix[0] = v.width / 2.0f;
    viewportMatrix[5] = v.height / 2.0f;
    viewportMatrix[10] = v.maxZ - v.minZ;
    viewportMatrix[12] = v.x + v.width / 2.0f;
    viewportMatrix[13] = v.y + v.height / 2.0f;
    viewportMatrix[14] = v.minZ;
}

void Engine::Close() {
    // Effects first, then the render targets, then the device.
    for (auto &effect : builtinEffects) effect.reset();
    for (bool &failed : builtinFailed) failed = false;
    ReleaseRenderTargets();
    for (int i = 0; i < kTextureSlots; i++) {
        slots[i] = TextureSlot();
    }
    pointerTexture = -1;
    triangleBuffer.reset();
    colourTriangleBuffer.reset();
    device_.reset();
}

void Engine::ResetFrameState() {
    frameCounter = 0;
    currentTarget = 13;
}

bool Engine::BeginFrame() {
    frameCounter++;
    if (!device_) return false;
    switch (device_->TestCooperativeLevel()) {
        case device::DeviceLost:
            return false;
        case device::DeviceNotReset:
            ResetDevice();
            return false;
        default:
            device_->BeginScene();
            return true;
    }
}

void Engine::ResetDevice() {
    for (auto &effect : builtinEffects) {
        if (effect) effect->OnLostDevice();
    }
    for (fx::Effect *effect : scriptEffects) effect->OnLostDevice();
    const bool hadTargets = !renderTargets.empty();
    ReleaseRenderTargets();
    currentTarget = 13;
    if (!device_->Reset(presentParameters)) {
        Log("Reset failed");
        return;
    }
    for (auto &effect : builtinEffects) {
        if (effect) effect->OnResetDevice();
    }
    for (fx::Effect *effect : scriptEffects) effect->OnResetDevice();
    renderTargetsFailed = false;
    if (hadTargets && renderTargetsEnabled) CreateRenderTargets();
    Log("Device reset");
    device_->SetViewport(device::Viewport{0, 0, width, height, 0.0f, 1.0f});
    UpdateViewportMatrix();
    ApplyDefaultStates();
    for (int i = 0; i < kLightSlots; i++) {
        if (!lights[i].set) continue;
        device_->SetLight(i, lights[i].light);
        if (lights[i].enabled) device_->LightEnable(i, true);
    }
    // The transforms and the ambient colour are cheap to restore and spare the
    // first frame after a reset from drawing with identity matrices.
    SetWorld(world);
    SetView(view);
    device_->SetRenderState(device::RsAmbient, ambient);
}

void Engine::ClearFrame() {
    using namespace device;
    if (!device_) return;
    device_->Clear(ClearTarget | ClearZBuffer | (depthHasStencil ? ClearStencil : 0), 0, 1.0f, 0);
    device_->SetTextureStageState(0, TssColourOp, TopModulate);
    device_->SetTextureStageState(0, TssColourArg1, TaTexture);
    device_->SetTextureStageState(0, TssColourArg2, TaDiffuse);
    device_->SetTextureStageState(0, TssAlphaOp, TopModulate);
    device_->SetTextureStageState(0, TssAlphaArg1, TaTexture);
    device_->SetTextureStageState(0, TssAlphaArg2, TaDiffuse);
    device_->SetTextureStageState(1, TssColourOp, TopDisable);
    device_->SetTextureStageState(1, TssColourArg1, TaTexture);
    device_->SetTextureStageState(1, TssColourArg2, TaCurrent);
    device_->SetTextureStageState(1, TssAlphaOp, TopDisable);
    device_->SetTextureStageState(1, TssAlphaArg1, TaTexture);
    device_->SetTextureStageState(1, TssAlphaArg2, TaCurrent);
}

void Engine::EndFrame() {
    if (!device_) return;
    if (currentTarget != 13) SelectTarget(13);
    for (TextureSlot &slot : slots) {
        if (!slot.dirty) continue;
        if (slot.texture) {
            if (slot.dirtyRects.empty()) {
                slot.texture->AddDirtyRect(nullptr);
            } else {
                device::Rect bounds = slot.dirtyRects[0];
                for (const device::Rect &r : slot.dirtyRects) {
                    if (r.left < bounds.left) bounds.left = r.left;
                    if (r.top < bounds.top) bounds.top = r.top;
                    if (r.right > bounds.right) bounds.right = r.right;
                    if (r.bottom > bounds.bottom) bounds.bottom = r.bottom;
                }
                slot.texture->AddDirtyRect(&bounds);
            }
        }
        slot.dirtyRects.clear();
        slot.dirty = false;
    }
    device_->EndScene();
}

void Engine::PresentFrame() {
    if (device_) device_->Present();
}

void Engine::Log(const char *text) {
    // The first line of a run starts a new file; the file is closed after
    // every line so that nothing is lost if the program stops abruptly. The
    // name is never followed: a link found there at the start of a run is
    // replaced by the new log rather than written through.
    static const char kLogFile[] = "lib3d_log.txt";
    if (!logWritten) {
        struct stat st;
        if (lstat(kLogFile, &st) == 0 && S_ISLNK(st.st_mode)) unlink(kLogFile);
    }
    const int fd = platform::OpenForWritingNoFollow(kLogFile, logWritten);
    if (fd < 0) return;
    FILE *file = fdopen(fd, "a");
    if (!file) {
        close(fd);
        return;
    }
    std::fprintf(file, "%s\n", text ? text : "");
    std::fclose(file);
    logWritten = true;
}

}  // namespace lib3d
