// The front-end's overlays as numbers: slot picking and labels, the help
// page's lines, the credits' scrolling, the resolution switch.
#include "frontend/Layout.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using frontend::CreditDraw;
using frontend::CreditLine;
using persist::WideString;

WideString W(const char *utf8) {
    return WideString::FromUtf8(utf8);
}

TEST(SlotList, PickAndHighlightEdges) {
    EXPECT_EQ(frontend::PickSlot(160), -1);
    EXPECT_EQ(frontend::PickSlot(161), 0);
    EXPECT_EQ(frontend::PickSlot(208), 1);
    EXPECT_EQ(frontend::PickSlot(399), 4);
    EXPECT_EQ(frontend::PickSlot(400), -1);
    EXPECT_EQ(frontend::PickSlot(-5), -1);
    EXPECT_EQ(frontend::HighlightRow(161), 0);
    // Between 400 and 447 a sixth row would be highlighted, but none is drawn.
    EXPECT_EQ(frontend::HighlightRow(420), 5);
    EXPECT_EQ(frontend::HighlightRow(448), -1);
    EXPECT_EQ(frontend::HighlightRow(160), -1);
}

TEST(SlotList, Labels) {
    game::SlotHeader h;
    h.kind = 4;
    h.day = 12;
    h.month = 3;
    h.year = 2004;
    h.hours = 9;
    h.minutes = 5;
    EXPECT_EQ(frontend::SlotLabel(h, W("empty"), W("Player")).ToUtf8(),
              "12\\3\\2004 - 9 : 5 - 1 Player");
    h.kind = 5;
    EXPECT_EQ(frontend::SlotLabel(h, W("empty"), W("Player")).ToUtf8(),
              "12\\3\\2004 - 9 : 5 - 2 Player");
    h.kind = 77;  // unknown kinds read as two players
    EXPECT_EQ(frontend::SlotLabel(h, W("empty"), W("Joueur")).ToUtf8(),
              "12\\3\\2004 - 9 : 5 - 2 Joueur");
    h.kind = -1;
    EXPECT_EQ(frontend::SlotLabel(h, W("-- empty --"), W("Player")).ToUtf8(), "-- empty --");
}

TEST(Help, LinesAreDoubleSpacedAndCentred) {
    // 600 high, lines of 23: the block of 18 line heights starts at 93.
    EXPECT_EQ(frontend::HelpLineY(0, 600, 23), 93);
    EXPECT_EQ(frontend::HelpLineY(1, 600, 23), 139);
    EXPECT_EQ(frontend::HelpLineY(8, 600, 23), 93 + 16 * 23);
    // Odd remainders are truncated.
    EXPECT_EQ(frontend::HelpLineY(0, 601, 20), 120);
}

TEST(Credits, TitleBlankAndNormalLines) {
    std::vector<CreditLine> lines = {frontend::ParseCreditLine(W("*Heading")),
                                     frontend::ParseCreditLine(W("")),
                                     frontend::ParseCreditLine(W("A Name"))};
    EXPECT_EQ(lines[0].kind, frontend::CreditTitle);
    EXPECT_EQ(lines[0].text.ToUtf8(), "Heading");
    EXPECT_EQ(lines[1].kind, frontend::CreditBlank);
    EXPECT_EQ(lines[2].kind, frontend::CreditNormal);
    EXPECT_EQ(lines[2].text.ToUtf8(), "A Name");
    EXPECT_EQ(frontend::ParseCreditLine(W("*")).text.ToUtf8(), "");

    // Placed high enough to be in the visible band: title, a gap of one
    // normal line, then the name.
    float scroll = 100.0f;
    std::vector<CreditDraw> draws;
    frontend::CreditsFrame(lines, 600, 20, 32, 2.0f, &scroll, &draws);
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].index, 0);
    EXPECT_EQ(draws[0].y, 100);
    EXPECT_EQ(draws[1].index, 2);
    EXPECT_EQ(draws[1].y, 100 + 32 + 20);
    EXPECT_FLOAT_EQ(scroll, 99.0f);  // half the frame step
}

TEST(Credits, StartBelowTheBandThenRiseAndWrap) {
    std::vector<CreditLine> lines = {frontend::ParseCreditLine(W("one")),
                                     frontend::ParseCreditLine(W("two"))};
    const int hn = 20, ht = 32;
    float scroll = frontend::CreditsStart(600);
    EXPECT_FLOAT_EQ(scroll, 504.0f);
    std::vector<CreditDraw> draws;
    frontend::CreditsFrame(lines, 600, hn, ht, 1.0f, &scroll, &draws);
    EXPECT_TRUE(draws.empty());  // 504 is not above 600 - 5 * 20
    // Rise until the first line enters the band (below y 500).
    int frames = 0;
    while (draws.empty() && frames < 100) {
        frontend::CreditsFrame(lines, 600, hn, ht, 1.0f, &scroll, &draws);
        ++frames;
    }
    ASSERT_FALSE(draws.empty());
    EXPECT_LT(draws[0].y, 600 - 5 * hn);
    // Lines at or above y = hn are not drawn; once the last one has passed
    // the top, the credits start again below the screen.
    bool wrapped = false;
    for (int i = 0; i < 5000 && !wrapped; ++i) {
        const float before = scroll;
        frontend::CreditsFrame(lines, 600, hn, ht, 4.0f, &scroll, &draws);
        for (const CreditDraw &d : draws) EXPECT_GT(d.y, hn);
        wrapped = scroll > before;
    }
    ASSERT_TRUE(wrapped);
    EXPECT_FLOAT_EQ(scroll, 624.0f);
    // Not before the whole text is above the top: at the wrap the text ended above 0.
}

TEST(Credits, EmptyListWrapsAtOnceAndDrawsNothing) {
    std::vector<CreditLine> none;
    float scroll = -1.0f;
    std::vector<CreditDraw> draws;
    frontend::CreditsFrame(none, 480, 16, 25, 1.0f, &scroll, &draws);
    EXPECT_TRUE(draws.empty());
    EXPECT_FLOAT_EQ(scroll, 504.0f);
}

TEST(Options, ResolutionSwitch) {
    EXPECT_EQ(frontend::ResolutionState(640), 0);
    EXPECT_EQ(frontend::ResolutionState(800), 1);
    EXPECT_EQ(frontend::ResolutionState(1024), 2);
    EXPECT_EQ(frontend::ResolutionState(1280), -1);
    int w = 0, h = 0;
    EXPECT_TRUE(frontend::ResolutionOfState(0, &w, &h));
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    EXPECT_TRUE(frontend::ResolutionOfState(2, &w, &h));
    EXPECT_EQ(h, 768);
    EXPECT_FALSE(frontend::ResolutionOfState(3, &w, &h));
    EXPECT_FALSE(frontend::ResolutionOfState(-1, &w, &h));
    EXPECT_EQ(h, 768);
}

}  // namespace
