// The device on a 16-bit display: 5-6-5 colour, 16-bit depth, no stencil.

#include <SDL.h>
#include <gtest/gtest.h>

#include "device/Device.h"

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

TEST(Device16, SixteenBitWindowHasNoStencil) {
    ASSERT_TRUE(StartVideo());
    const char *error = "";
    ASSERT_TRUE(adapter::OpenWindow(64, 48, 16, false, &error)) << error;
    EXPECT_TRUE(adapter::CheckDeviceType(FormatR5G6B5));
    EXPECT_FALSE(adapter::CheckDeviceType(FormatX8R8G8B8));
    EXPECT_FALSE(adapter::CheckDepthStencilFormat(FormatD15S1));
    EXPECT_TRUE(adapter::CheckDepthStencilFormat(FormatD16));
    EXPECT_FALSE(adapter::CheckDepthStencilFormat(FormatD24S8));

    PresentParameters params;
    params.width = 64;
    params.height = 48;
    params.fullscreen = false;
    params.backBufferFormat = FormatR5G6B5;
    params.depthStencilFormat = FormatD16;
    std::unique_ptr<Device> device = adapter::CreateDevice(DeviceHal, 0, params);
    ASSERT_NE(device, nullptr);
    EXPECT_FALSE(device->HasStencil());

    // The back buffer reads back as 16-bit words.
    device->Clear(ClearTarget, 0xFF8844CCu, 1.0f, 0);
    std::vector<uint8_t> pixels;
    int pitch = 0;
    ASSERT_TRUE(device->ReadBackBuffer(&pixels, &pitch));
    EXPECT_EQ(pitch, 64 * 2);
    const uint16_t v = static_cast<uint16_t>(pixels[0] | (pixels[1] << 8));
    EXPECT_NEAR((v >> 11) & 31, 0x88 >> 3, 1);
    EXPECT_NEAR((v >> 5) & 63, 0x44 >> 2, 1);
    EXPECT_NEAR(v & 31, 0xCC >> 3, 1);
    device.reset();
    // SDL stays up, as in the other display tests: quitting it unloads the
    // GL driver, and the leak checker could then no longer tell the driver's
    // own allocations at exit from ours.
}
