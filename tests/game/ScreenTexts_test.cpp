#include "game/PlayLayout.h"
#include "game/ScreenTexts.h"

#include <gtest/gtest.h>

#include "RulesFixture.h"

using game::TextItem;

namespace {

// Names are 100 pixels wide, lines 300.
struct FixedMeasure : game::TextMeasure {
    int Width(const TextItem &t) const override { return t.kind == game::TextName ? 100 : 300; }
};

const TextItem *FindLine(const std::vector<TextItem> &items, int kind, int id, int nth = 0) {
    for (const TextItem &t : items)
        if (t.kind == kind && t.id == id && nth-- == 0) return &t;
    return nullptr;
}

bool Centred(const TextItem *t, int y, int width) {
    return t && t->centred && t->x == 0 && t->width == width && t->y == y;
}

class ScreenTextsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetTable(rules);
        GiveHand(rules, 0, {{1, 2}, {3, 4}});
        GiveHand(rules, 1, {{5, 6}, {0, 0}, {2, 2}});
        Lay(rules, 6, 6, 15, 15, 0);
        rules.BeginFrame();
    }
    game::Rules rules;
    game::PlayOverlay overlay;
};

}  // namespace

TEST_F(ScreenTextsTest, NamesCountsAndTitleAlwaysShown) {
    game::LayoutPlayOverlay(rules, 800, 600, 0, 0, 0, 1, &overlay);
    EXPECT_EQ(overlay.panelSeat, 0);
    EXPECT_EQ(overlay.panelX, 0);
    EXPECT_EQ(overlay.panelWidth, 200);
    const TextItem *name1 = FindLine(overlay.texts, game::TextName, 1);
    ASSERT_TRUE(name1);
    EXPECT_EQ(name1->x, 600);
    EXPECT_EQ(name1->width, 200);
    EXPECT_TRUE(name1->centred);
    ASSERT_TRUE(FindLine(overlay.texts, game::TextDigits, 2));
    EXPECT_EQ(FindLine(overlay.texts, game::TextDigits, 2)->x, 64);
    EXPECT_EQ(FindLine(overlay.texts, game::TextDigits, 3)->x, 800 - 136);
    const TextItem *bone = FindLine(overlay.texts, game::TextDigits, 28 - 6);
    ASSERT_TRUE(bone);
    EXPECT_EQ(bone->x, 384);
    EXPECT_TRUE(Centred(FindLine(overlay.texts, game::TextLine, 31), 8, 800));
    // Seat 0 holds no 6, the only open value: pass and draw are offered.
    EXPECT_TRUE(overlay.buttons.size() == 2u);

    rules.current = 1;
    rules.cpuPending = 0;
    game::LayoutPlayOverlay(rules, 1024, 768, 0, 0, 0, 1, &overlay);
    EXPECT_EQ(overlay.panelX, 1024 - 200);
    EXPECT_TRUE(Centred(FindLine(overlay.texts, game::TextLine, 5), 64, 1024));
    EXPECT_TRUE(overlay.buttons.empty());
}

TEST_F(ScreenTextsTest, PassAndDrawButtonsFollowTheHandAndBoneyard) {
    // Seat 0 holds no 6: it may pass or draw.
    game::LayoutPlayOverlay(rules, 800, 600, 700, 510, 0, 1, &overlay);
    EXPECT_TRUE(Centred(FindLine(overlay.texts, game::TextLine, 2), 64, 800));
    EXPECT_TRUE(Centred(FindLine(overlay.texts, game::TextLine, 3), 96, 800));
    ASSERT_EQ(overlay.buttons.size(), 2u);
    const game::ButtonItem &pass = overlay.buttons[0];
    EXPECT_EQ(pass.x, 800 - 128);
    EXPECT_EQ(pass.y, 600 - 104);
    EXPECT_EQ(pass.width, 120);
    EXPECT_EQ(pass.height, 32);
    EXPECT_EQ(pass.label.id, 11);
    EXPECT_EQ(pass.label.width, 128);
    EXPECT_TRUE(pass.hover);  // 510 is inside 496..528
    EXPECT_EQ(overlay.buttons[1].y, 600 - 64);
    EXPECT_EQ(overlay.buttons[1].label.id, 12);
    EXPECT_FALSE(overlay.buttons[1].hover);
    // Left of the button column nothing lights up.
    game::LayoutPlayOverlay(rules, 800, 600, 669, 550, 0, 1, &overlay);
    EXPECT_FALSE(overlay.buttons[0].hover || overlay.buttons[1].hover);
    game::LayoutPlayOverlay(rules, 800, 600, 700, 550, 0, 1, &overlay);
    EXPECT_TRUE(overlay.buttons[1].hover);

    // Empty boneyard: only the pass button and line 4.
    std::vector<game::Tile *> saved = rules.boneyard;
    rules.boneyard.clear();
    game::LayoutPlayOverlay(rules, 800, 600, 0, 0, 0, 1, &overlay);
    EXPECT_TRUE(FindLine(overlay.texts, game::TextLine, 4));
    EXPECT_FALSE(FindLine(overlay.texts, game::TextLine, 3));
    ASSERT_EQ(overlay.buttons.size(), 1u);
    EXPECT_EQ(overlay.buttons[0].label.id, 11);
    rules.boneyard = saved;

    // Ten tiles in hand: no more drawing.
    GiveHand(rules, 0,
             {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}, {1, 1}, {1, 3}, {1, 4}, {1, 5}, {2, 3}});
    rules.BeginFrame();
    game::LayoutPlayOverlay(rules, 800, 600, 0, 0, 0, 1, &overlay);
    EXPECT_EQ(overlay.buttons.size(), 1u);

    // A tile that fits: no message, no buttons.
    GiveHand(rules, 0, {{4, 6}});
    rules.BeginFrame();
    game::LayoutPlayOverlay(rules, 800, 600, 0, 0, 0, 1, &overlay);
    EXPECT_FALSE(FindLine(overlay.texts, game::TextLine, 2));
    EXPECT_TRUE(overlay.buttons.empty());
}

TEST_F(ScreenTextsTest, ComputerMessagesAndPresetLabel) {
    rules.current = 1;
    rules.cpuPending = 1;
    rules.lastAction = game::ActionLay;
    game::LayoutPlayOverlay(rules, 800, 600, 0, 0, 0, 1, &overlay);
    EXPECT_TRUE(FindLine(overlay.texts, game::TextLine, 5));
    EXPECT_FALSE(FindLine(overlay.texts, game::TextLine, 6));
    rules.lastAction = game::ActionPass;
    game::LayoutPlayOverlay(rules, 800, 600, 0, 0, 0, 1, &overlay);
    EXPECT_TRUE(Centred(FindLine(overlay.texts, game::TextLine, 6), 64, 800));
    EXPECT_TRUE(Centred(FindLine(overlay.texts, game::TextLine, 7), 96, 800));
    rules.lastAction = game::ActionDraw;
    game::LayoutPlayOverlay(rules, 800, 600, 0, 0, 12.5f, 3, &overlay);
    EXPECT_TRUE(Centred(FindLine(overlay.texts, game::TextLine, 8), 96, 800));
    const TextItem *label = FindLine(overlay.texts, game::TextLine, 29);
    ASSERT_TRUE(label);
    EXPECT_EQ(label->x, 640);
    EXPECT_EQ(label->y, 128);
    EXPECT_EQ(label->width, 160);
    game::LayoutPlayOverlay(rules, 800, 600, 0, 0, 0.01f, 2, &overlay);
    EXPECT_TRUE(FindLine(overlay.texts, game::TextLine, 30));
    game::LayoutPlayOverlay(rules, 800, 600, 0, 0, 0.0f, 2, &overlay);
    EXPECT_FALSE(FindLine(overlay.texts, game::TextLine, 30));
}

TEST_F(ScreenTextsTest, OpeningSaysWhoStarts) {
    std::vector<TextItem> t;
    rules.current = 1;
    game::LayoutOpeningTexts(rules, 4, 800, &t);
    ASSERT_EQ(t.size(), 2u);
    EXPECT_TRUE(Centred(&t[0], 256, 800));
    EXPECT_EQ(t[0].id, 18);
    EXPECT_TRUE(Centred(&t[1], 320, 800));
    EXPECT_EQ(t[1].id, 13);
    rules.current = 0;
    game::LayoutOpeningTexts(rules, 4, 800, &t);
    EXPECT_EQ(t[0].id, 19);
    rules.current = 1;
    game::LayoutOpeningTexts(rules, 5, 640, &t);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].kind, game::TextName);
    EXPECT_EQ(t[0].id, 1);
    EXPECT_TRUE(Centred(&t[0], 224, 640));
    EXPECT_TRUE(Centred(&t[1], 256, 640));
    EXPECT_EQ(t[1].id, 20);
}

namespace {

struct Expect {
    int kind, id, x, y;  // x -1: centred across the width
};

void Check(const std::vector<TextItem> &got, const std::vector<Expect> &want, int width) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(got[i].kind, want[i].kind);
        EXPECT_EQ(got[i].id, want[i].id);
        EXPECT_EQ(got[i].y, want[i].y);
        if (want[i].x < 0) {
            EXPECT_TRUE(got[i].centred);
            EXPECT_EQ(got[i].width, width);
        } else {
            EXPECT_FALSE(got[i].centred);
            EXPECT_EQ(got[i].x, want[i].x);
        }
    }
}

}  // namespace

TEST_F(ScreenTextsTest, ResultTableForEveryEnding) {
    FixedMeasure m;
    std::vector<TextItem> t;
    const int L = game::TextLine, N = game::TextName;
    // A pair of a 100-pixel name and a 300-pixel line: 416 wide, centred in 1000.
    const int nameX = (1000 - 416) / 2, lineX = nameX + 116;

    rules.current = -1;
    rules.endCause = game::EndBlocked;
    game::LayoutGameOverTexts(rules, 4, 1000, 700, m, &t);
    Check(t, {{L, 14, -1, 32}, {L, 17, -1, 96}, {L, 13, -1, 604}}, 1000);

    rules.endCause = game::EndEmptyHand;
    rules.current = 0;
    game::LayoutGameOverTexts(rules, 4, 1000, 700, m, &t);
    Check(t, {{L, 10, -1, 32}, {L, 26, -1, 64}, {L, 13, -1, 604}}, 1000);
    rules.current = 1;
    game::LayoutGameOverTexts(rules, 4, 1000, 700, m, &t);
    Check(t, {{L, 9, -1, 32}, {L, 27, -1, 64}, {L, 13, -1, 604}}, 1000);
    game::LayoutGameOverTexts(rules, 5, 1000, 700, m, &t);
    Check(t, {{N, 1, nameX, 64}, {L, 21, lineX, 64}, {L, 28, -1, 96}, {L, 13, -1, 604}}, 1000);

    rules.endCause = game::EndBlocked;
    rules.current = 0;
    game::LayoutGameOverTexts(rules, 4, 1000, 700, m, &t);
    Check(t,
          {{L, 14, -1, 32}, {L, 15, -1, 112}, {L, 16, -1, 298}, {L, 23, -1, 540}, {L, 13, -1, 604}},
          1000);
    rules.current = 1;
    game::LayoutGameOverTexts(rules, 4, 1000, 700, m, &t);
    Check(t,
          {{L, 14, -1, 32}, {L, 15, -1, 112}, {L, 16, -1, 298}, {L, 24, -1, 540}, {L, 13, -1, 604}},
          1000);

    rules.current = 0;
    game::LayoutGameOverTexts(rules, 5, 1000, 700, m, &t);
    Check(t,
          {{L, 14, -1, 32},
           {N, 1, nameX, 96},
           {L, 22, lineX, 112},
           {N, 0, nameX, 288},
           {L, 22, lineX, 298},
           {N, 0, nameX, 540},
           {L, 25, lineX, 540},
           {L, 13, -1, 604}},
          1000);
    rules.current = 1;
    game::LayoutGameOverTexts(rules, 5, 1000, 700, m, &t);
    Check(t,
          {{L, 14, -1, 32},
           {N, 1, nameX, 112},
           {L, 22, lineX, 96},
           {N, 0, nameX, 336},
           {L, 22, lineX, 256},
           {N, 1, nameX, 540},
           {L, 25, lineX, 540},
           {L, 13, -1, 604}},
          1000);
}

TEST(HandPoints, RowsAreSpacedAndFinalHandsCentred) {
    float x, z;
    game::HandPoint(0, &x, &z);
    EXPECT_FLOAT_EQ(x, 7);
    EXPECT_FLOAT_EQ(z, 21.5f);
    game::HandPoint(3, &x, &z);
    EXPECT_FLOAT_EQ(x, 11.5f);
    // Two tiles of seat 1 sit around the middle of a twelve-tile row.
    game::FinalHandPoint(1, 0, 2, &x, &z);
    EXPECT_FLOAT_EQ(x, 14.5f);
    EXPECT_FLOAT_EQ(z, 13);
    game::FinalHandPoint(0, 1, 2, &x, &z);
    EXPECT_FLOAT_EQ(x, 16);
    EXPECT_FLOAT_EQ(z, 17);
}
