// The device on a display: window formats, capabilities and their lowering,
// lost-device states, and draws that would read outside their buffers.

#include "device/Device.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

using namespace device;

namespace {

// A freshly started X server may still be settling when the test begins.
bool StartVideo() {
    for (int attempt = 0; attempt < 30; attempt++) {
        if (SDL_Init(SDL_INIT_VIDEO) == 0) return true;
        SDL_Delay(100);
    }
    return false;
}

}  // namespace

namespace {

class DeviceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(StartVideo()); }

    void SetUp() override {
        const char *error = "";
        ASSERT_TRUE(adapter::OpenWindow(64, 48, 32, false, &error)) << error;
        params.width = 64;
        params.height = 48;
        params.fullscreen = false;
        device = adapter::CreateDevice(DeviceHal, CreateSoftwareVertexProcessing, params);
        ASSERT_NE(device, nullptr);
    }

    uint32_t PixelAt(int x, int y) {
        std::vector<uint8_t> p;
        int pitch = 0;
        if (!device->ReadBackBuffer(&p, &pitch)) return 0xDEADBEEF;
        const uint8_t *q = p.data() + y * pitch + x * 4;
        return (q[2] << 16) | (q[1] << 8) | q[0];
    }

    PresentParameters params;
    std::unique_ptr<Device> device;
};

}  // namespace

namespace {

// The 64 x 48 window covered by one quad showing the whole of stage 0's
// texture, its top row at the window's top.
void DrawTexturedWindow(Device *device) {
    struct V {
        float x, y, z, rhw, u, v;
    };
    const V quad[4] = {{0, 0, 0.5f, 1, 0, 0},
                       {64, 0, 0.5f, 1, 1, 0},
                       {64, 48, 0.5f, 1, 1, 1},
                       {0, 48, 0.5f, 1, 0, 1}};
    device->SetVertexFormat(FvfXyzRhw | FvfTex1);
    device->DrawPrimitiveUP(PrimTriangleFan, 2, quad, sizeof(V));
}

}  // namespace

TEST_F(DeviceTest, ThirtyTwoBitWindowFormats) {
    EXPECT_TRUE(adapter::CheckDeviceType(FormatX8R8G8B8));
    EXPECT_FALSE(adapter::CheckDeviceType(FormatR5G6B5));  // not asked for
    EXPECT_TRUE(adapter::CheckDepthStencilFormat(FormatD24S8));
    EXPECT_TRUE(adapter::CheckDepthStencilFormat(FormatD16));
    EXPECT_FALSE(adapter::CheckDepthStencilFormat(FormatD32));
    EXPECT_TRUE(device->HasStencil());
}

TEST_F(DeviceTest, CapabilitiesAndTheirLowering) {
    unsetenv("MARBRIX_DEVICE_CAPS");
    Caps full = adapter::GetCaps();
    EXPECT_GT(full.maxSimultaneousTextures, 1);
    EXPECT_TRUE(full.dot3);
    EXPECT_EQ(full.pixelShaderMajor, 1);
    EXPECT_EQ(full.pixelShaderMinor, 4);
    EXPECT_GE(full.maxTextureWidth, 1024);

    setenv("MARBRIX_DEVICE_CAPS", "dot3", 1);
    Caps low = adapter::GetCaps();
    EXPECT_EQ(low.maxSimultaneousTextures, 1);
    EXPECT_TRUE(low.dot3);
    EXPECT_EQ(low.pixelShaderMajor, 0);

    setenv("MARBRIX_DEVICE_CAPS", "", 1);
    low = adapter::GetCaps();
    EXPECT_FALSE(low.dot3);

    testing::internal::CaptureStderr();
    setenv("MARBRIX_DEVICE_CAPS", "multitexture,turbo", 1);
    low = adapter::GetCaps();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("turbo"), std::string::npos);
    EXPECT_GT(low.maxSimultaneousTextures, 1);
    unsetenv("MARBRIX_DEVICE_CAPS");
}

TEST_F(DeviceTest, LostThenNotResetUntilReset) {
    EXPECT_EQ(device->TestCooperativeLevel(), DeviceOk);
    device->ForceLoss(2);
    EXPECT_EQ(device->TestCooperativeLevel(), DeviceLost);
    EXPECT_FALSE(device->Reset(params));  // still lost
    EXPECT_EQ(device->TestCooperativeLevel(), DeviceLost);
    EXPECT_EQ(device->TestCooperativeLevel(), DeviceNotReset);
    EXPECT_EQ(device->TestCooperativeLevel(), DeviceNotReset);
    EXPECT_TRUE(device->Reset(params));
    EXPECT_EQ(device->TestCooperativeLevel(), DeviceOk);
    // A reset brings the states back to their defaults.
    EXPECT_EQ(device->GetRenderState(RsLighting), 1u);
    EXPECT_EQ(device->GetRenderState(RsCullMode), static_cast<uint32_t>(CullCCW));
}

TEST_F(DeviceTest, ResetKeepsManagedTextureContent) {
    std::unique_ptr<Texture> t = device->CreateTexture(4, 1, FormatR5G6B5);
    ASSERT_NE(t, nullptr);
    int pitch = 0;
    uint16_t *w = t->LockRect(0, &pitch);
    for (int i = 0; i < 16; i++) w[i] = 0xF800;  // red
    t->UnlockRect(0);
    device->ForceLoss(0);
    ASSERT_TRUE(device->Reset(params));
    int pitch2 = 0;
    EXPECT_EQ(t->LockRect(0, &pitch2, true)[5], 0xF800);
    // Drawn after the reset, it still shows red.
    device->SetRenderState(RsZEnable, 0);
    device->SetTexture(0, t.get());
    device->Clear(ClearTarget, 0, 1.0f, 0);
    DrawTexturedWindow(device.get());
    EXPECT_EQ(PixelAt(10, 10), 0xFF0000u);
}

TEST_F(DeviceTest, DrawsReadingPastTheirBuffersDrawNothing) {
    VertexBuffer vertices(3, FvfXyzRhw | FvfDiffuse, false);
    struct V {
        float x, y, z, rhw;
        uint32_t c;
    };
    V *v = reinterpret_cast<V *>(vertices.Lock());
    v[0] = V{0, 0, 0.5f, 1, 0xFFFFFFFFu};
    v[1] = V{64, 0, 0.5f, 1, 0xFFFFFFFFu};
    v[2] = V{0, 48, 0.5f, 1, 0xFFFFFFFFu};
    IndexBuffer indices(6, false);
    uint16_t *ix = indices.Lock();
    const uint16_t bad[6] = {0, 1, 2, 0, 2, 7};  // 7: no such vertex
    std::copy(bad, bad + 6, ix);
    device->SetRenderState(RsZEnable, 0);
    device->SetRenderState(RsCullMode, CullNone);
    device->SetRenderState(RsLighting, 0);
    device->SetStreamSource(&vertices);
    device->SetIndices(&indices);
    device->Clear(ClearTarget, 0, 1.0f, 0);
    device->DrawIndexedPrimitive(PrimTriangleList, 0, 2);  // second triangle is bad
    EXPECT_EQ(PixelAt(5, 5), 0u);
    device->DrawIndexedPrimitive(PrimTriangleList, 3, 2);  // runs past the indices
    device->DrawPrimitive(PrimTriangleList, 1, 1);         // runs past the vertices
    EXPECT_EQ(PixelAt(5, 5), 0u);
    device->DrawIndexedPrimitive(PrimTriangleList, 0, 1);
    EXPECT_EQ(PixelAt(5, 5), 0xFFFFFFu);
    device->SetStreamSource(nullptr);
    device->SetIndices(nullptr);
}

namespace {

// A flat rectangle in window pixels at depth z, in one colour.
void DrawRect(Device *device, float x0, float y0, float x1, float y1, float z, uint32_t argb) {
    struct V {
        float x, y, z, rhw;
        uint32_t c;
    };
    const V quad[4] = {
        {x0, y0, z, 1, argb}, {x1, y0, z, 1, argb}, {x1, y1, z, 1, argb}, {x0, y1, z, 1, argb}};
    device->SetVertexFormat(FvfXyzRhw | FvfDiffuse);
    device->DrawPrimitiveUP(PrimTriangleFan, 2, quad, sizeof(V));
}

}  // namespace

TEST_F(DeviceTest, SampleCountsCountWhatPassesDepthAndStencil) {
    device->SetRenderState(RsLighting, 0);
    device->SetRenderState(RsCullMode, CullNone);
    device->SetRenderState(RsZEnable, 1);
    device->SetRenderState(RsZWriteEnable, 1);
    device->SetRenderState(RsZFunc, CmpLess);
    device->Clear(ClearTarget | ClearZBuffer | ClearStencil, 0, 1.0f, 0);
    uint64_t n = 99;

    ASSERT_TRUE(device->BeginSampleCount());
    EXPECT_FALSE(device->BeginSampleCount());  // counts do not nest
    DrawRect(device.get(), 0, 0, 32, 24, 0.5f, 0xFFFFFFFFu);
    ASSERT_TRUE(device->EndSampleCount(&n));
    EXPECT_EQ(n, 32u * 24u);

    // The same rectangle again fails the depth test everywhere; a nearer one
    // half over it passes everywhere.
    ASSERT_TRUE(device->BeginSampleCount());
    DrawRect(device.get(), 0, 0, 32, 24, 0.5f, 0xFFFFFFFFu);
    ASSERT_TRUE(device->EndSampleCount(&n));
    EXPECT_EQ(n, 0u);
    ASSERT_TRUE(device->BeginSampleCount());
    DrawRect(device.get(), 16, 0, 64, 24, 0.25f, 0xFFFFFFFFu);
    ASSERT_TRUE(device->EndSampleCount(&n));
    EXPECT_EQ(n, 48u * 24u);

    // Samples the stencil test rejects are not counted.
    device->SetRenderState(RsZEnable, 0);
    device->SetRenderState(RsStencilEnable, 1);
    device->SetRenderState(RsStencilFunc, CmpEqual);
    device->SetRenderState(RsStencilRef, 1);
    ASSERT_TRUE(device->BeginSampleCount());
    DrawRect(device.get(), 0, 0, 64, 48, 0.5f, 0xFFFFFFFFu);
    ASSERT_TRUE(device->EndSampleCount(&n));
    EXPECT_EQ(n, 0u);
    device->SetRenderState(RsStencilEnable, 0);

    // An end without a beginning reports nothing.
    n = 99;
    EXPECT_FALSE(device->EndSampleCount(&n));
    EXPECT_EQ(n, 0u);
    EXPECT_FALSE(device->EndSampleCount(nullptr));
}

TEST_F(DeviceTest, PresentedPictureStaysReadableOnlyWhileKept) {
    device->SetRenderState(RsLighting, 0);
    device->SetRenderState(RsZEnable, 0);
    device->SetRenderState(RsCullMode, CullNone);
    EXPECT_TRUE(device->KeepsPresentedPicture());
    device->Clear(ClearTarget, 0, 1.0f, 0);
    DrawRect(device.get(), 0, 0, 64, 48, 0.5f, 0xFFFF0000u);
    device->Present();
    EXPECT_EQ(PixelAt(3, 3), 0xFF0000u);  // the picture just presented

    // Not kept: the back buffer still reads right before Present.
    device->KeepPresentedPicture(false);
    EXPECT_FALSE(device->KeepsPresentedPicture());
    device->Clear(ClearTarget, 0, 1.0f, 0);
    DrawRect(device.get(), 0, 0, 64, 48, 0.5f, 0xFF0000FFu);
    EXPECT_EQ(PixelAt(3, 3), 0x0000FFu);
    device->Present();

    // Kept again, the next presented picture reads back, not an old copy.
    device->KeepPresentedPicture(true);
    device->Clear(ClearTarget, 0, 1.0f, 0);
    DrawRect(device.get(), 0, 0, 64, 48, 0.5f, 0xFF00FF00u);
    device->Present();
    EXPECT_EQ(PixelAt(3, 3), 0x00FF00u);
}

// Between two mip levels, a software rasteriser samples the nearer level
// alone: no blend of the two levels' colours.
TEST_F(DeviceTest, SoftwareRasteriserSamplesTheNearestMipLevel) {
    ASSERT_TRUE(device->SoftwareRasteriser());  // the test display is Mesa's
    std::unique_ptr<Texture> t = device->CreateTexture(128, 8, FormatR5G6B5);
    ASSERT_NE(t, nullptr);
    const uint16_t colours[3] = {0xF800, 0x07E0, 0x001F};  // red, green, blue
    for (int level = 0; level < t->Levels(); level++) {
        int pitch = 0;
        uint16_t *w = t->LockRect(level, &pitch);
        const int side = t->LevelSize(level);
        for (int i = 0; i < side * side; i++) w[i] = level < 3 ? colours[level] : 0;
        t->UnlockRect(level);
    }
    // 128 texels over 64 x 48 pixels: 2 and 2.67 texels a pixel, about 1.4
    // levels down, nearer to level 1 (green) than to level 2 (blue).
    device->SetRenderState(RsZEnable, 0);
    device->SetRenderState(RsLighting, 0);
    device->SetTexture(0, t.get());
    device->SetTextureStageState(0, TssMinFilter, FilterLinear);
    device->SetTextureStageState(0, TssMagFilter, FilterLinear);
    device->SetTextureStageState(0, TssMipFilter, FilterLinear);
    device->Clear(ClearTarget, 0, 1.0f, 0);
    DrawTexturedWindow(device.get());
    EXPECT_EQ(PixelAt(20, 20), 0x00FF00u);
    EXPECT_EQ(PixelAt(50, 40), 0x00FF00u);
}

// Drawing stays inside the scissor rectangle, edges exact (right and bottom
// excluded); clearing ignores it and leaves it in force; null, an empty
// rectangle and a change of target do what they say.
TEST_F(DeviceTest, ScissorRectangleLimitsDrawingNotClearing) {
    device->SetRenderState(RsLighting, 0);
    device->SetRenderState(RsZEnable, 0);
    device->SetRenderState(RsCullMode, CullNone);
    Rect r;
    r.left = 10;
    r.top = 5;
    r.right = 30;
    r.bottom = 20;
    EXPECT_FALSE(device->GetScissorRect(nullptr));
    device->SetScissorRect(&r);
    device->Clear(ClearTarget, 0xFF0000FFu, 1.0f, 0);
    EXPECT_EQ(PixelAt(0, 0), 0x0000FFu);  // cleared everywhere
    EXPECT_EQ(PixelAt(63, 47), 0x0000FFu);
    DrawRect(device.get(), 0, 0, 64, 48, 0.5f, 0xFFFFFFFFu);
    EXPECT_EQ(PixelAt(10, 5), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(29, 19), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(9, 5), 0x0000FFu);
    EXPECT_EQ(PixelAt(10, 4), 0x0000FFu);
    EXPECT_EQ(PixelAt(30, 19), 0x0000FFu);
    EXPECT_EQ(PixelAt(29, 20), 0x0000FFu);
    Rect got;
    ASSERT_TRUE(device->GetScissorRect(&got));
    EXPECT_EQ(got.left, 10);
    EXPECT_EQ(got.bottom, 20);

    // An empty or inverted rectangle lets nothing through.
    Rect empty = r;
    empty.right = empty.left - 3;
    device->SetScissorRect(&empty);
    DrawRect(device.get(), 0, 0, 64, 48, 0.5f, 0xFF00FF00u);
    EXPECT_EQ(PixelAt(15, 10), 0xFFFFFFu);
    EXPECT_EQ(PixelAt(40, 30), 0x0000FFu);

    device->SetScissorRect(nullptr);
    EXPECT_FALSE(device->GetScissorRect(&got));
    DrawRect(device.get(), 0, 0, 64, 48, 0.5f, 0xFF00FF00u);
    EXPECT_EQ(PixelAt(40, 30), 0x00FF00u);

    // Choosing a target, the back buffer included, lifts the rectangle.
    device->SetScissorRect(&r);
    device->SetRenderTarget(nullptr);
    EXPECT_FALSE(device->GetScissorRect(&got));
}

// In a texture target, drawn upside down for sampling, the rectangle still
// counts from the target's top: the band drawn through it shows at the top
// when the texture is laid over the window.
TEST_F(DeviceTest, ScissorRectangleInATextureTargetCountsFromItsTop) {
    std::unique_ptr<RenderTarget> target = device->CreateRenderTarget(64, 64);
    ASSERT_NE(target, nullptr);
    device->SetRenderState(RsLighting, 0);
    device->SetRenderState(RsZEnable, 0);
    device->SetRenderState(RsCullMode, CullNone);
    device->SetRenderTarget(target.get());
    device->Clear(ClearTarget, 0xFF000000u, 1.0f, 0);
    Rect top;
    top.left = 0;
    top.top = 0;
    top.right = 64;
    top.bottom = 16;
    device->SetScissorRect(&top);
    DrawRect(device.get(), 0, 0, 64, 64, 0.5f, 0xFFFFFFFFu);
    device->SetRenderTarget(nullptr);

    device->Clear(ClearTarget, 0xFF0000FFu, 1.0f, 0);
    device->SetTexture(0, target->GetTexture());
    device->SetTextureStageState(0, TssColourOp, TopSelectArg1);
    device->SetTextureStageState(0, TssColourArg1, TaTexture);
    DrawTexturedWindow(device.get());
    device->SetTexture(0, nullptr);
    EXPECT_EQ(PixelAt(20, 4), 0xFFFFFFu);  // the target's top quarter, at the window's top
    EXPECT_EQ(PixelAt(20, 40), 0x000000u);
}

// Lit drawing follows the material set for each draw, also when the same
// material comes back after a draw whose vertex colours stood in for its
// diffuse colour (OpenGL's copy of the material changed then).
TEST_F(DeviceTest, LitDrawsFollowTheirMaterialAfterVertexColours) {
    float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    device->SetTransform(TransformWorld, identity);
    device->SetTransform(TransformView, identity);
    device->SetTransform(TransformProjection, identity);
    device->SetRenderState(RsZEnable, 0);
    device->SetRenderState(RsCullMode, CullNone);
    device->SetRenderState(RsLighting, 1);
    device->SetRenderState(RsAmbient, 0);
    Light light;
    light.type = LightDirectional;
    light.diffuse = Colour{1, 1, 1, 1};
    light.direction[2] = -1;  // straight at the quad's face
    device->SetLight(0, light);
    device->LightEnable(0, true);
    Material green;
    green.diffuse = Colour{0, 1, 0, 1};
    device->SetMaterial(green);

    struct Plain {
        float x, y, z, nx, ny, nz;
    };
    const Plain plain[4] = {{-1, -1, 0.5f, 0, 0, 1},
                            {1, -1, 0.5f, 0, 0, 1},
                            {1, 1, 0.5f, 0, 0, 1},
                            {-1, 1, 0.5f, 0, 0, 1}};
    struct Coloured {
        float x, y, z, nx, ny, nz;
        uint32_t c;
    };
    const uint32_t red = 0xFFFF0000u;
    const Coloured coloured[4] = {{-1, -1, 0.5f, 0, 0, 1, red},
                                  {1, -1, 0.5f, 0, 0, 1, red},
                                  {1, 1, 0.5f, 0, 0, 1, red},
                                  {-1, 1, 0.5f, 0, 0, 1, red}};
    auto drawPlain = [&] {
        device->SetVertexFormat(FvfXyz | FvfNormal);
        device->DrawPrimitiveUP(PrimTriangleFan, 2, plain, sizeof(Plain));
    };
    device->Clear(ClearTarget, 0, 1.0f, 0);
    drawPlain();
    EXPECT_EQ(PixelAt(32, 24), 0x00FF00u);
    device->SetVertexFormat(FvfXyz | FvfNormal | FvfDiffuse);
    device->DrawPrimitiveUP(PrimTriangleFan, 2, coloured, sizeof(Coloured));
    EXPECT_EQ(PixelAt(32, 24), 0xFF0000u);
    drawPlain();  // the same green material as before the coloured draw
    EXPECT_EQ(PixelAt(32, 24), 0x00FF00u);
    Material blue;
    blue.diffuse = Colour{0, 0, 1, 1};
    device->SetMaterial(blue);
    drawPlain();
    EXPECT_EQ(PixelAt(32, 24), 0x0000FFu);
    device->SetMaterial(blue);
    drawPlain();
    EXPECT_EQ(PixelAt(32, 24), 0x0000FFu);
}
