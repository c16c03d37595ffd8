#include "gui/GuiFont.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using gui::GuiCoverage;
using gui::GuiFont;

namespace {

const char *kFont = "data/gfx/font/vagron.ttf";

// Records what the font asks of the engine.
struct Recorder : gui::GuiRenderer {
    struct Quad {
        float x, y, w, h, u0, v0, u1, v1, r, g, b;
    };
    std::vector<std::string> calls;
    std::vector<Quad> quads;
    int nextSlot = 3;
    std::vector<int> released;

    int CreateTexture(int size, const uint8_t *, int sourceWidth, bool hasAlpha) override {
        calls.push_back("create " + std::to_string(size) + " " + std::to_string(sourceWidth) +
                        (hasAlpha ? " alpha" : ""));
        return nextSlot++;
    }
    void ReleaseTexture(int slot) override {
        released.push_back(slot);
        calls.push_back("release " + std::to_string(slot));
    }
    void SetState(int category, int value) override {
        calls.push_back(std::to_string(category) + "<-" + std::to_string(value));
    }
    void BindTexture(int slot) override { calls.push_back("bind " + std::to_string(slot)); }
    void DrawQuad2D(float x, float y, float w, float h, float u0, float v0, float u1, float v1,
                    float r, float g, float b) override {
        calls.push_back("quad");
        quads.push_back({x, y, w, h, u0, v0, u1, v1, r, g, b});
    }
};

GuiCoverage Block(int w, int h) {
    GuiCoverage c;
    c.width = w;
    c.height = h;
    c.alpha.assign(w * h, 200);
    return c;
}

std::vector<uint16_t> Wide(const char *ascii) {
    std::vector<uint16_t> out;
    for (const char *p = ascii; *p; ++p) out.push_back(static_cast<uint8_t>(*p));
    out.push_back(0);
    return out;
}

}  // namespace

TEST(GuiFontOpen, MissingFileKeepsAFontThatRendersNothing) {
    GuiFont font;
    font.attach(nullptr);
    EXPECT_FALSE(font.open("data/gfx/font/missing.ttf", 20));
    EXPECT_FALSE(font.isOpen());
    EXPECT_EQ(font.renderCaption(Wide("Hello").data(), -1), -1);
    EXPECT_EQ(font.renderCaption("Hello", -1), -1);
    EXPECT_TRUE(font.atlas.pages.empty());
    EXPECT_FALSE(font.open(kFont, 0));
}

TEST(GuiFontOpen, Utf16AndUtf8RenderTheSameCaption) {
    GuiFont font;
    font.attach(nullptr);
    ASSERT_TRUE(font.open(kFont, 24));
    EXPECT_EQ(font.pointSize, 24);
    EXPECT_EQ(font.style, 0);
    // "Été" in both encodings.
    const uint16_t wide[] = {0xC9, 't', 0xE9, 0};
    int32_t a = font.renderCaption(wide, -1);
    int32_t b = font.renderCaption("\xC3\x89t\xC3\xA9", -1);
    ASSERT_GE(a, 0);
    ASSERT_EQ(b, a + 1);
    EXPECT_GT(font.captionWidth(a), 10);
    EXPECT_EQ(font.captionWidth(a), font.captionWidth(b));
    EXPECT_EQ(font.captionHeight(a), font.captionHeight(b));
    // The page holds white coverage: some pixels fully white and opaque,
    // every covered pixel white, every uncovered one black.
    const auto &pixels = font.atlas.pages[0]->pixels;
    int opaque = 0;
    for (size_t i = 0; i < pixels.size(); i += 4) {
        uint8_t expect = pixels[i + 3] > 0 ? 255 : 0;
        ASSERT_EQ(pixels[i], expect);
        ASSERT_EQ(pixels[i + 2], expect);
        if (pixels[i + 3] == 255) ++opaque;
    }
    EXPECT_GT(opaque, 20);
    EXPECT_EQ(font.captionWidth(-1), 0);
    EXPECT_EQ(font.renderCaption("", -1), -1);
}

TEST(GuiFontOpen, ReRenderKeepsTheHandleAndShortensTheSlot) {
    GuiFont font;
    font.attach(nullptr);
    ASSERT_TRUE(font.open(kFont, 20));
    int32_t h = font.renderCaption("Dominoes", -1);
    ASSERT_GE(h, 0);
    int wide = font.captionWidth(h);
    EXPECT_EQ(font.renderCaption("Do", h), h);
    EXPECT_LT(font.captionWidth(h), wide);
    EXPECT_GT(font.captionWidth(h), 0);
    // Emptying the text leaves nothing to draw.
    EXPECT_EQ(font.renderCaption("", h), h);
    EXPECT_EQ(font.captionWidth(h), 0);
    // A handle of no page re-renders nothing.
    EXPECT_EQ(font.renderCaption("x", 123456789), 123456789);
    EXPECT_EQ(font.captionWidth(123456789), 0);
}

TEST(GuiFontReserve, TwelveCharactersInTwentyPointsReserve396By23) {
    GuiFont font;
    font.pointSize = 20;
    int32_t h = font.reserveCaption(12);
    ASSERT_GE(h, 0);
    EXPECT_EQ(font.captionWidth(h), 396);
    EXPECT_EQ(font.captionHeight(h), 23);
}

TEST(GuiFontDraw, StatesTextureAndQuadInOrder) {
    Recorder r;
    GuiFont font;
    font.attach(&r);
    int32_t h = font.placeCoverage(Block(40, 20), -1);
    font.uploadPages(-1);
    std::vector<std::string> upload = {"7<-8", "create 256 256 alpha", "7<-9"};
    EXPECT_EQ(r.calls, upload);
    r.calls.clear();
    font.drawCaption2D(h, 100, 50, 0, 0, 0, 0);
    std::vector<std::string> expect = {"4<-0", "5<-1", "1<-0", "10<-0", "5<-6",  "bind 3",
                                       "6<-1", "quad", "4<-1", "1<-1",  "10<-1", "6<-0"};
    EXPECT_EQ(r.calls, expect);
    ASSERT_EQ(r.quads.size(), 1u);
    EXPECT_FLOAT_EQ(r.quads[0].x, 100);
    EXPECT_FLOAT_EQ(r.quads[0].y, 50);
    EXPECT_FLOAT_EQ(r.quads[0].w, 40);
    EXPECT_FLOAT_EQ(r.quads[0].h, 20);
    EXPECT_FLOAT_EQ(r.quads[0].u0, 0);
    EXPECT_FLOAT_EQ(r.quads[0].u1, 40.0f / 255);
    EXPECT_FLOAT_EQ(r.quads[0].v1, 20.0f / 255);
    EXPECT_FLOAT_EQ(r.quads[0].r, 1);
}

TEST(GuiFontDraw, CentringUsesIntegerHalves) {
    Recorder r;
    GuiFont font;
    font.attach(&r);
    int32_t h = font.placeCoverage(Block(41, 21), -1);
    font.drawCaption2D(h, 0, 100, 800, 64, 1, 0);
    font.drawCaption2D(h, 10, 100, 800, 64, 0, 1);
    ASSERT_EQ(r.quads.size(), 2u);
    EXPECT_FLOAT_EQ(r.quads[0].x, (800 - 41) / 2);
    EXPECT_FLOAT_EQ(r.quads[0].y, 100);
    EXPECT_FLOAT_EQ(r.quads[1].x, 10);
    EXPECT_FLOAT_EQ(r.quads[1].y, 100 + (64 - 21) / 2);
}

TEST(GuiFontDraw, ShadowOnlyWhenBothOffsetsAreSet) {
    Recorder r;
    GuiFont font;
    font.attach(&r);
    font.shadowColour[0] = 0.25f;
    font.screenColour[2] = 0.5f;
    int32_t h = font.placeCoverage(Block(30, 10), -1);
    font.shadowOffset[0] = 2;
    font.shadowOffset[1] = 0;
    font.drawCaption2D(h, 10, 10, 0, 0, 0, 0);
    ASSERT_EQ(r.quads.size(), 1u);
    font.shadowOffset[0] = 0;
    font.shadowOffset[1] = 3;
    font.drawCaption2D(h, 10, 10, 0, 0, 0, 0);
    ASSERT_EQ(r.quads.size(), 2u);
    r.quads.clear();
    font.shadowOffset[0] = 2;
    font.shadowOffset[1] = -3;
    font.drawCaption2D(h, 10, 10, 0, 0, 0, 0);
    ASSERT_EQ(r.quads.size(), 2u);
    // Shadow first, offset and in the shadow colour; then the text.
    EXPECT_FLOAT_EQ(r.quads[0].x, 12);
    EXPECT_FLOAT_EQ(r.quads[0].y, 7);
    EXPECT_FLOAT_EQ(r.quads[0].r, 0.25f);
    EXPECT_FLOAT_EQ(r.quads[1].x, 10);
    EXPECT_FLOAT_EQ(r.quads[1].y, 10);
    EXPECT_FLOAT_EQ(r.quads[1].b, 0.5f);
}

TEST(GuiFontDraw, WideCaptionIsTwoPiecesSideBySide) {
    Recorder r;
    GuiFont font;
    font.attach(&r);
    int32_t h = font.placeCoverage(Block(300, 20), -1);
    font.drawCaption2D(h, 5, 7, 0, 0, 0, 0);
    ASSERT_EQ(r.quads.size(), 2u);
    EXPECT_FLOAT_EQ(r.quads[0].x, 5);
    EXPECT_FLOAT_EQ(r.quads[0].w, 255);
    EXPECT_FLOAT_EQ(r.quads[0].u1, 1.0f);
    EXPECT_FLOAT_EQ(r.quads[1].x, 260);
    EXPECT_FLOAT_EQ(r.quads[1].y, 7);
    EXPECT_FLOAT_EQ(r.quads[1].w, 45);
    EXPECT_FLOAT_EQ(r.quads[1].v0, 20.0f / 255);
    EXPECT_FLOAT_EQ(r.quads[1].v1, 40.0f / 255);
}

TEST(GuiFontDraw, UnknownHandleDrawsNothingAndPagesUploadOnce) {
    Recorder r;
    GuiFont font;
    font.attach(&r);
    font.drawCaption2D(42424242, 0, 0, 0, 0, 0, 0);
    font.drawCaption2D(-1, 0, 0, 0, 0, 0, 0);
    EXPECT_TRUE(r.calls.empty());
    int32_t a = font.placeCoverage(Block(300, 120), -1);
    int32_t b = font.placeCoverage(Block(300, 120), -1);  // second page
    ASSERT_EQ(font.atlas.pages.size(), 2u);
    // Drawing a caption whose page has no texture yet uploads that page only.
    font.drawCaption2D(b, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(font.atlas.pages[0]->texture, -1);
    EXPECT_EQ(font.atlas.pages[1]->texture, 3);
    // Uploading again releases the previous texture first.
    font.uploadPages(b);
    EXPECT_EQ(r.released, std::vector<int>{3});
    EXPECT_EQ(font.atlas.pages[1]->texture, 4);
    font.releasePage(a);  // page 0 has none: nothing to release
    EXPECT_EQ(r.released.size(), 1u);
    font.releasePage(-1);
    EXPECT_EQ(r.released, (std::vector<int>{3, 4}));
    EXPECT_EQ(font.atlas.pages[1]->texture, -1);
}
