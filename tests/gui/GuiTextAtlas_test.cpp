#include "gui/GuiTextAtlas.h"

#include <gtest/gtest.h>

using gui::GuiCoverage;
using gui::GuiTextAtlas;
using gui::GuiTextPage;

namespace {

// A caption whose column c has alpha 1 + c % 250, so every copied pixel
// tells which column of the caption it came from.
GuiCoverage Columns(int w, int h) {
    GuiCoverage c;
    c.width = w;
    c.height = h;
    c.alpha.resize(w * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) c.alpha[y * w + x] = static_cast<uint8_t>(1 + x % 250);
    return c;
}

int Alpha(const GuiTextPage &page, int x, int y) {
    return page.pixels[(y * 256 + x) * 4 + 3];
}
int Red(const GuiTextPage &page, int x, int y) {
    return page.pixels[(y * 256 + x) * 4];
}

}  // namespace

TEST(GuiTextAtlas, WideCaptionFillsABandAndGoesOnInTheNext) {
    GuiTextAtlas atlas;
    int32_t h = atlas.Add(Columns(300, 20));
    ASSERT_GE(h, 0);
    const GuiTextPage &page = *atlas.pages[0];
    // Columns 0..255 on the first band, 256..299 at x 0..43 of the band below.
    EXPECT_EQ(Alpha(page, 0, 0), 1);
    EXPECT_EQ(Alpha(page, 255, 19), 1 + 255 % 250);
    EXPECT_EQ(Alpha(page, 0, 20), 1 + 256 % 250);
    EXPECT_EQ(Alpha(page, 43, 39), 1 + 299 % 250);
    EXPECT_EQ(Alpha(page, 44, 20), 0);
    EXPECT_EQ(Alpha(page, 0, 40), 0);
    EXPECT_EQ(Red(page, 10, 5), 255);
    // Drawn as two pieces side by side, the second one band lower in the page.
    auto pieces = GuiTextAtlas::Pieces(*atlas.Slot(h));
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].pageX, 0);
    EXPECT_EQ(pieces[0].width, 255);
    EXPECT_EQ(pieces[0].offsetX, 0);
    EXPECT_EQ(pieces[1].pageX, 0);
    EXPECT_EQ(pieces[1].pageY, 20);
    EXPECT_EQ(pieces[1].width, 45);
    EXPECT_EQ(pieces[1].offsetX, 255);
    // The cursor sits after the caption and the gap on the lower band.
    EXPECT_EQ(page.cursorX, 44 + 8);
    EXPECT_EQ(page.bandTop, 20);
}

TEST(GuiTextAtlas, CaptionsAreSeparatedByEightEmptyColumns) {
    GuiTextAtlas atlas;
    int32_t a = atlas.Add(Columns(10, 12));
    int32_t b = atlas.Add(Columns(10, 12));
    ASSERT_GE(a, 0);
    EXPECT_GT(b, a);
    EXPECT_EQ(atlas.Slot(b)->x, 18);
    EXPECT_EQ(atlas.Slot(b)->y, 0);
    const GuiTextPage &page = *atlas.pages[0];
    for (int x = 10; x < 18; ++x) EXPECT_EQ(Alpha(page, x, 6), 0) << x;
    EXPECT_EQ(Alpha(page, 18, 6), 1);
    EXPECT_EQ(atlas.pages.size(), 1u);
}

TEST(GuiTextAtlas, GapPastTheEdgeStartsANewBand) {
    GuiTextAtlas atlas;
    atlas.Add(Columns(250, 10));  // cursor 250 + 8 passes the edge
    const GuiTextPage &page = *atlas.pages[0];
    EXPECT_EQ(page.cursorX, 0);
    EXPECT_EQ(page.bandTop, 10);
    int32_t b = atlas.Add(Columns(5, 10));
    EXPECT_EQ(atlas.Slot(b)->x, 0);
    EXPECT_EQ(atlas.Slot(b)->y, 10);
}

TEST(GuiTextAtlas, WrapStartsBelowATallerCaptionOfTheBand) {
    GuiTextAtlas atlas;
    atlas.Add(Columns(100, 40));
    int32_t b = atlas.Add(Columns(200, 20));  // starts at 108, wraps after 148 columns
    const gui::GuiTextSlot &slot = *atlas.Slot(b);
    EXPECT_EQ(slot.bandStep, 40);
    const GuiTextPage &page = *atlas.pages[0];
    EXPECT_EQ(Alpha(page, 0, 40), 1 + 148 % 250);
    auto pieces = GuiTextAtlas::Pieces(slot);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[1].pageY, 40);
    EXPECT_EQ(pieces[0].width + pieces[1].width, 200);
}

TEST(GuiTextAtlas, OnlyTheNewestPageIsTriedAndFullAtlasGivesMinusOne) {
    GuiTextAtlas atlas;
    int32_t first = atlas.Add(Columns(256 * 4, 50));  // four bands: 200 rows
    ASSERT_GE(first, 0);
    int32_t next = atlas.Add(Columns(30, 60));  // 200 + 60 does not fit: new page
    ASSERT_GE(next, 0);
    EXPECT_EQ(atlas.pages.size(), 2u);
    EXPECT_EQ(atlas.PageOf(next), 1);
    int32_t small = atlas.Add(Columns(5, 5));  // would fit in page 0, goes to the newest
    EXPECT_EQ(atlas.PageOf(small), 1);

    // Nothing that an empty page cannot hold is placed, and no page is added.
    int32_t counter = gui::GuiPeekNextHandle();
    EXPECT_EQ(atlas.Add(Columns(10, 256)), -1);
    EXPECT_EQ(atlas.Add(Columns(256 * 3, 100)), -1);
    EXPECT_EQ(atlas.Add(Columns(0, 10)), -1);
    EXPECT_EQ(atlas.pages.size(), 2u);
    EXPECT_EQ(gui::GuiPeekNextHandle(), counter);
    // The tallest caption a page can take still fits.
    EXPECT_GE(atlas.Add(Columns(10, 255)), 0);
}

TEST(GuiTextAtlas, HandlesAreSharedAndNeverReused) {
    GuiTextAtlas a, b;
    int32_t h1 = a.Add(Columns(4, 4));
    int32_t h2 = b.Add(Columns(4, 4));
    int32_t h3 = a.Add(Columns(4, 4));
    EXPECT_EQ(h2, h1 + 1);
    EXPECT_EQ(h3, h2 + 1);
    EXPECT_EQ(a.PageOf(h2), -1);
    EXPECT_EQ(a.Slot(h2), nullptr);
    EXPECT_EQ(a.PageOf(-1), -1);
}

TEST(GuiTextAtlas, ReservationKeepsLaterCaptionsOutOfItsSpace) {
    GuiTextAtlas atlas;
    int32_t field = atlas.Reserve(396, 23);
    ASSERT_GE(field, 0);
    const gui::GuiTextSlot slot = *atlas.Slot(field);
    EXPECT_EQ(slot.x, 0);
    EXPECT_EQ(slot.y, 0);
    EXPECT_EQ(slot.width, 396);
    EXPECT_EQ(slot.height, 23);
    // The reservation covers band 0 and 140 columns of band 23: the next
    // caption begins after it and the gap, on its last band.
    int32_t next = atlas.Add(Columns(50, 23));
    EXPECT_EQ(atlas.Slot(next)->x, 145);
    EXPECT_EQ(atlas.Slot(next)->y, 23);
    // A caption that wraps goes below the reservation, not into it.
    int32_t wide = atlas.Add(Columns(100, 23));
    auto pieces = GuiTextAtlas::Pieces(*atlas.Slot(wide));
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[1].pageY, 46);
    // No room even in an empty page.
    EXPECT_EQ(atlas.Reserve(256 * 20, 23), -1);
}

TEST(GuiTextAtlas, ReplaceRewritesTheSlotInPlace) {
    GuiTextAtlas atlas;
    int32_t a = atlas.Add(Columns(40, 10));
    int32_t b = atlas.Add(Columns(40, 10));
    ASSERT_TRUE(atlas.Replace(a, Columns(20, 10)));
    EXPECT_EQ(atlas.Slot(a)->x, 0);
    EXPECT_EQ(atlas.Slot(a)->width, 19);
    EXPECT_EQ(atlas.Slot(b)->x, 48);  // the neighbour is untouched
    EXPECT_EQ(Alpha(*atlas.pages[0], 48, 0), 1);
    EXPECT_FALSE(atlas.Replace(9999999, Columns(20, 10)));
    // An emptied text keeps its slot with nothing to draw.
    ASSERT_TRUE(atlas.Replace(a, GuiCoverage()));
    EXPECT_EQ(atlas.Slot(a)->width, 0);
    EXPECT_TRUE(GuiTextAtlas::Pieces(*atlas.Slot(a)).empty());
}

TEST(GuiTextAtlas, ReplaceNearThePageBottomIsClipped) {
    GuiTextAtlas atlas;
    atlas.Add(Columns(256 * 4, 60));  // four bands, rows 0..239
    int32_t low = atlas.Add(Columns(10, 10));
    ASSERT_EQ(atlas.PageOf(low), 0);
    // Far taller and wider than its space: writes stay inside the page.
    ASSERT_TRUE(atlas.Replace(low, Columns(600, 200)));
    EXPECT_EQ(atlas.pages[0]->pixels.size(), 256u * 256u * 4u);
    EXPECT_EQ(atlas.Slot(low)->width, 599);
}
