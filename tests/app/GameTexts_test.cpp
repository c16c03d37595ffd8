// The game's screen texts: every image rendered at start-up, numbers drawn
// digit by digit, names and lines centred where the layouts ask.
#include "app/GameTexts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "persist/TextTable.h"
#include "persist/WideString.h"

namespace {

struct Quads : gui::GuiRenderer {
    struct Quad {
        float x, y, w, h;
    };
    std::vector<Quad> quads;
    int textures = 0;
    int CreateTexture(int, const uint8_t *, int, bool) override { return textures++; }
    void ReleaseTexture(int) override {}
    void SetState(int, int) override {}
    void BindTexture(int) override {}
    void DrawQuad2D(float x, float y, float w, float h, float, float, float, float, float, float,
                    float) override {
        quads.push_back({x, y, w, h});
    }
};

class GameTextsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(persist::LoadTextTable("en"));
        name0 = persist::WideString::FromUtf8("Ann");
        name1 = persist::WideString::FromUtf8("Computer Bob");
        ASSERT_TRUE(texts.Load(&r, 800, name0.CStr(), name1.CStr()));
        texts.first->shadowOffset[0] = texts.first->shadowOffset[1] = 0;
        texts.second->shadowOffset[0] = texts.second->shadowOffset[1] = 0;
    }
    Quads r;
    GameTexts texts;
    persist::WideString name0, name1;
};

}  // namespace

TEST_F(GameTextsTest, EveryImageIsRenderedAndUploaded) {
    EXPECT_EQ(texts.first->pointSize, 24);
    for (int32_t h : texts.names) EXPECT_GE(h, 0);
    for (int32_t h : texts.digits) EXPECT_GE(h, 0);
    for (int n = GameTexts::kFirstLine; n <= GameTexts::kLastLine; ++n) {
        if (persist::TextLine(n).Length() > 0) {
            EXPECT_GE(texts.lines[n], 0) << n;
        }
    }
    EXPECT_GT(r.textures, 1);  // both fonts' pages
    game::TextItem longer{game::TextName, 1, 0, 0, 0, 0};
    game::TextItem shorter{game::TextName, 0, 0, 0, 0, 0};
    EXPECT_GT(texts.Width(longer), texts.Width(shorter));
}

TEST_F(GameTextsTest, NumbersAdvanceByEachDigitsWidth) {
    texts.DrawDigits(17, 64, 40);
    ASSERT_EQ(r.quads.size(), 2u);
    EXPECT_FLOAT_EQ(r.quads[0].x, 64);
    EXPECT_FLOAT_EQ(r.quads[0].y, 40);
    EXPECT_FLOAT_EQ(r.quads[1].x, 64 + texts.first->captionWidth(texts.digits[1]));
    game::TextItem count{game::TextDigits, 17, 0, 0, 0, 0};
    EXPECT_EQ(texts.Width(count), texts.first->captionWidth(texts.digits[1]) +
                                      texts.first->captionWidth(texts.digits[7]));
    r.quads.clear();
    texts.DrawDigits(0, 10, 10);
    EXPECT_EQ(r.quads.size(), 1u);
}

TEST_F(GameTextsTest, LinesAreCentredInTheirWidth) {
    game::TextItem line{game::TextLine, 13, 0, 320, 800, 1};
    texts.Draw(line);
    ASSERT_FALSE(r.quads.empty());
    int w = texts.Width(line);
    ASSERT_GT(w, 0);
    EXPECT_FLOAT_EQ(r.quads[0].x, (800 - w) / 2);
    EXPECT_FLOAT_EQ(r.quads[0].y, 320);
    r.quads.clear();
    game::TextItem outOfRange{game::TextLine, 99, 0, 0, 800, 1};
    texts.Draw(outOfRange);
    game::TextItem noSeat{game::TextName, 2, 0, 0, 800, 1};
    texts.Draw(noSeat);
    EXPECT_TRUE(r.quads.empty());
    EXPECT_EQ(texts.Width(outOfRange), 0);
}

TEST(GameTextsFont, AScreenTooNarrowForTheFontIsReportedBySize) {
    // Widths 1 to 33 give a point size of 0: the message names the size, not
    // the font file, which is fine. 34 is the first width that works.
    for (int width : {1, 10, 33}) {
        Quads r;
        GameTexts texts;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(texts.Load(&r, width, nullptr, nullptr));
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(err.find("vagron.ttf"), std::string::npos) << err;
        EXPECT_NE(err.find("Screen width " + std::to_string(width) + " too small"),
                  std::string::npos)
            << err;
        EXPECT_NE(err.find("0 points"), std::string::npos) << err;
    }
    Quads r;
    GameTexts texts;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(texts.Load(&r, GameTexts::kMinScreenWidth, nullptr, nullptr));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}
