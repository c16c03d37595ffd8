// The engine on a 16-bit display: 5-6-5 back buffer, 16-bit depth without
// stencil, so the stencil categories do nothing.

#include <gtest/gtest.h>

#include <memory>

#include "lib3d/Engine.h"
#include "lib3d/EngineTestSupport.h"

using enginetest::Distance;
using enginetest::PixelAt;
using enginetest::Rgb;

namespace {

class Engine16Test : public ::testing::Test {
protected:
    void SetUp() override {
        engine.reset(new lib3d::Engine());
        ASSERT_TRUE(enginetest::OpenEngine(engine.get(), 160, 120, 1));
    }
    std::unique_ptr<lib3d::Engine> engine;
};

}  // namespace

TEST_F(Engine16Test, FormatsWithoutStencil) {
    EXPECT_EQ(engine->colourBits, 16);
    EXPECT_EQ(engine->backBufferFormat, device::FormatR5G6B5);
    EXPECT_EQ(engine->depthFormat, device::FormatD16);
    EXPECT_FALSE(engine->depthHasStencil);
}

TEST_F(Engine16Test, StencilCategoriesDoNothing) {
    enginetest::StartPlainFrame(engine.get());
    engine->SetState(9, 21);   // colour with stencil test: no stencil to test
    engine->SetState(12, 26);  // equal to 1 would hide everything on a cleared buffer
    engine->SetState(9, 19);   // stencil-only writing would hide colour
    engine->DrawQuad2D(0, 0, 20, 20, 0, 0, 1, 1, 1, 1, 1);
    EXPECT_EQ(Distance(PixelAt(engine.get(), 5, 5), Rgb{248, 252, 248}), 0);
    const device::Device *d = engine->GetDevice();
    EXPECT_EQ(d->GetRenderState(device::RsStencilEnable), 0u);
    EXPECT_EQ(d->GetRenderState(device::RsStencilFunc), static_cast<uint32_t>(device::CmpAlways));
    EXPECT_EQ(d->GetRenderState(device::RsColourWriteEnable), 0xFu);
}

TEST_F(Engine16Test, ReferencePictureReadsBackAtFiveSixFivePrecision) {
    enginetest::DrawReferencePicture(engine.get());
    const std::vector<Rgb> px = enginetest::ReadPixels(engine.get());
    int wrong = 0;
    for (int y = 0; y < engine->height; y += 7) {
        for (int x = 0; x < engine->width; x++) {
            wrong += Distance(px[y * engine->width + x],
                              enginetest::ReferenceColour(x, y, engine->width)) != 0;
        }
    }
    EXPECT_EQ(wrong, 0);
}
