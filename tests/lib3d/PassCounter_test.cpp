// Fragment counts by pass: names, accumulation, order, and what happens
// without a device to count with.

#include "lib3d/PassCounter.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "device/Device.h"

using namespace device;
using lib3d::PassCounter;

namespace {

bool StartVideo() {
    for (int attempt = 0; attempt < 30; attempt++) {
        if (SDL_Init(SDL_INIT_VIDEO) == 0) return true;
        SDL_Delay(100);
    }
    return false;
}

class PassCounterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(StartVideo()); }

    void SetUp() override {
        const char *error = "";
        ASSERT_TRUE(adapter::OpenWindow(64, 48, 32, false, &error)) << error;
        PresentParameters params;
        params.width = 64;
        params.height = 48;
        params.fullscreen = false;
        device = adapter::CreateDevice(DeviceHal, CreateSoftwareVertexProcessing, params);
        ASSERT_NE(device, nullptr);
        device->SetRenderState(RsLighting, 0);
        device->SetRenderState(RsZEnable, 0);
        device->SetRenderState(RsCullMode, CullNone);
        device->Clear(ClearTarget | ClearZBuffer, 0, 1.0f, 0);
    }

    // A w x h rectangle at the top-left corner.
    void Fill(float w, float h) {
        struct V {
            float x, y, z, rhw;
            uint32_t c;
        };
        const uint32_t c = 0xFFFFFFFFu;
        const V quad[4] = {
            {0, 0, 0.5f, 1, c}, {w, 0, 0.5f, 1, c}, {w, h, 0.5f, 1, c}, {0, h, 0.5f, 1, c}};
        device->SetVertexFormat(FvfXyzRhw | FvfDiffuse);
        device->DrawPrimitiveUP(PrimTriangleFan, 2, quad, sizeof(V));
    }

    std::unique_ptr<Device> device;
};

}  // namespace

TEST_F(PassCounterTest, PassesAddUpByNameInOrderOfFirstUse) {
    PassCounter counter(device.get());
    counter.Begin("floor");
    Fill(10, 10);
    counter.Begin("table");
    Fill(4, 5);
    counter.Begin("floor");  // adds to the first count
    Fill(2, 3);
    Fill(1, 1);
    counter.Begin("empty");
    counter.End();
    counter.End();  // nothing running: no effect
    Fill(64, 48);   // not counted
    ASSERT_TRUE(counter.Ok());
    ASSERT_EQ(counter.Passes().size(), 3u);
    EXPECT_EQ(counter.Passes()[0].name, "floor");
    EXPECT_EQ(counter.Passes()[1].name, "table");
    EXPECT_EQ(counter.Passes()[2].name, "empty");
    EXPECT_EQ(counter.Samples("floor"), 100u + 6u + 1u);
    EXPECT_EQ(counter.Samples("table"), 20u);
    EXPECT_EQ(counter.Samples("empty"), 0u);
    EXPECT_EQ(counter.Samples("missing"), 0u);
    EXPECT_EQ(counter.Samples(nullptr), 0u);
    EXPECT_EQ(counter.Total(), 127u);

    counter.Clear();
    EXPECT_TRUE(counter.Passes().empty());
    EXPECT_EQ(counter.Total(), 0u);
}

TEST_F(PassCounterTest, ARunningPassEndsWithTheCounterAndFreesTheDevice) {
    {
        PassCounter counter(device.get());
        counter.Begin(nullptr);  // an unnamed pass
        Fill(8, 8);
        EXPECT_EQ(counter.Passes().size(), 1u);
    }
    // The count the counter left running was ended: a new one can start.
    EXPECT_TRUE(device->BeginSampleCount());
    uint64_t n = 0;
    EXPECT_TRUE(device->EndSampleCount(&n));
}

TEST(PassCounterNoDevice, NothingCountedAndSaidSo) {
    PassCounter counter(nullptr);
    EXPECT_TRUE(counter.Ok());
    counter.Begin("table");
    counter.End();
    EXPECT_FALSE(counter.Ok());
    EXPECT_EQ(counter.Total(), 0u);
    ASSERT_EQ(counter.Passes().size(), 1u);
    counter.Clear();
    EXPECT_TRUE(counter.Ok());
}
