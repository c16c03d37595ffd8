// Text maps: outline rings, the half-size drawing and its fills.
#include <gtest/gtest.h>

#include <cstdlib>

#include "texteffects/Effects.h"

using namespace texteffects;

namespace {

image::Coverage Map(int w, int h, uint8_t v = 0) {
    image::Coverage c;
    c.width = w;
    c.height = h;
    c.alpha.assign(size_t(w) * h, v);
    return c;
}

int At(const image::Coverage &c, int x, int y) {
    return c.alpha[size_t(y) * c.width + x];
}

Image Canvas(int w, int h, uint8_t v) {
    Image img;
    img.width = w;
    img.height = h;
    img.pixels.assign(size_t(w) * h * 4, v);
    return img;
}

int Ch(const Image &img, int x, int y, int k) {
    return img.pixels[(size_t(y) * img.width + x) * 4 + k];
}

}  // namespace

TEST(TextMap, OutlineRingsGrowOnePixelPerPass) {
    image::Coverage glyph = Map(1, 1, 255);
    image::Coverage map;
    BuildTextMap(glyph, 2, &map);
    // 4 wider and 16 taller; the glyph at (2, 2).
    ASSERT_EQ(map.width, 5);
    ASSERT_EQ(map.height, 17);
    for (int y = 0; y < map.height; y++)
        for (int x = 0; x < map.width; x++) {
            const int d = std::abs(x - 2) + std::abs(y - 2);
            const int expected = d == 0 ? 255 : d <= 2 ? 128 : 0;
            // Border pixels are always cleared.
            const bool border = x == 0 || y == 0 || x == map.width - 1 || y == map.height - 1;
            EXPECT_EQ(At(map, x, y), border ? 0 : expected) << x << "," << y;
        }
}

TEST(TextMap, SoftEdgesBecomeOutlineOrStayWithoutOne) {
    image::Coverage glyph = Map(3, 1);
    glyph.alpha = {255, 100, 0};
    image::Coverage map;
    BuildTextMap(glyph, 1, &map);
    ASSERT_EQ(map.width, 5);
    ASSERT_EQ(map.height, 9);
    EXPECT_EQ(At(map, 1, 1), 255);
    EXPECT_EQ(At(map, 2, 1), 128);  // soft coverage next to ink
    EXPECT_EQ(At(map, 3, 1), 128);  // beside the soft pixel
    EXPECT_EQ(At(map, 2, 2), 128);
    EXPECT_EQ(At(map, 1, 3), 0);

    BuildTextMap(glyph, 0, &map);
    ASSERT_EQ(map.width, 3);
    EXPECT_EQ(map.alpha, glyph.alpha);

    BuildTextMap(Map(0, 0), 3, &map);  // nothing rendered: empty map
    EXPECT_EQ(map.width, 0);
}

TEST(TextDraw, AveragesFourSamplesAtHalfSize) {
    // Block 2 x 1 from a 4 x 2 map: left block pixel half ink, right all ink.
    image::Coverage map = Map(4, 2);
    map.alpha = {255, 0, 255, 255,  //
                 255, 0, 255, 255};
    TextStyle style;
    style.top[0] = 200;
    style.bottom[0] = 200;
    Image c = Canvas(4, 3, 100);
    EXPECT_EQ(DrawTextMap(&c, map, 1, 1, style, false), 2);
    EXPECT_EQ(Ch(c, 1, 1, 0), 150);  // (200 + 100 + 200 + 100) / 4
    EXPECT_EQ(Ch(c, 2, 1, 0), 200);
    EXPECT_EQ(Ch(c, 1, 1, 1), 177);  // white default fill: (255 * 2 + 100 * 2) / 4
    EXPECT_EQ(Ch(c, 3, 1, 0), 100);  // beyond the block
    EXPECT_EQ(Ch(c, 1, 0, 0), 100);
    EXPECT_EQ(Ch(c, 1, 1, 3), 100);  // alpha kept

    // Shadow mode: ink halves the canvas instead.
    Image s = Canvas(4, 3, 100);
    DrawTextMap(&s, map, 1, 1, style, true);
    EXPECT_EQ(Ch(s, 1, 1, 0), 75);  // (50 + 100 + 50 + 100) / 4
    EXPECT_EQ(Ch(s, 2, 1, 2), 50);
}

TEST(TextDraw, OutlineValueIsBlackOnlyWithAnOutline) {
    image::Coverage map = Map(2, 2, 128);
    TextStyle style;
    style.outline = 1;
    Image c = Canvas(1, 1, 100);
    DrawTextMap(&c, map, 0, 0, style, false);
    EXPECT_EQ(Ch(c, 0, 0, 0), 0);
    // Without an outline 128 is plain coverage and takes the fill colour.
    style.outline = 0;
    Image d = Canvas(1, 1, 100);
    DrawTextMap(&d, map, 0, 0, style, false);
    EXPECT_EQ(Ch(d, 0, 0, 0), 255);
    // In shadow mode it darkens like ink.
    style.outline = 1;
    Image s = Canvas(1, 1, 100);
    DrawTextMap(&s, map, 0, 0, style, true);
    EXPECT_EQ(Ch(s, 0, 0, 0), 50);
}

TEST(TextDraw, GradientRowsAndTheSineBend) {
    // A block of 136 x 10 all ink, gradient 0 -> 220 over h + 1 = 11 rows.
    image::Coverage map = Map(272, 20, 255);
    TextStyle style;
    for (int k = 0; k < 3; k++) {
        style.top[k] = 0;
        style.bottom[k] = 220;
    }
    style.fillMode = 1;
    Image c = Canvas(136, 10, 0);
    DrawTextMap(&c, map, 0, 0, style, false);
    for (int j = 0; j < 10; j++) EXPECT_EQ(Ch(c, 45, j, 0), 220 * j / 11) << j;

    style.fillMode = 2;
    Image w = Canvas(136, 10, 0);
    DrawTextMap(&w, map, 0, 0, style, false);
    EXPECT_EQ(Ch(w, 0, 3, 0), 220 * 3 / 11);    // sin 0: no bend
    EXPECT_EQ(Ch(w, 45, 0, 0), 220 * 7 / 11);   // sin(pi / 2): 7 rows down
    EXPECT_EQ(Ch(w, 45, 9, 0), 220 * 10 / 11);  // clamped to h = 10
    EXPECT_EQ(Ch(w, 135, 0, 0), 0);             // sin(3 pi / 2): clamped to 0
    EXPECT_EQ(Ch(w, 135, 9, 0), 220 * 2 / 11);
}

TEST(TextDraw, ClipsAgainstTheCanvas) {
    image::Coverage map = Map(40, 40, 255);
    TextStyle style;
    Image c = Canvas(10, 10, 0);
    EXPECT_EQ(DrawTextMap(&c, map, -15, 5, style, false), 20);
    EXPECT_EQ(Ch(c, 4, 5, 0), 255);
    EXPECT_EQ(Ch(c, 5, 5, 0), 0);
    EXPECT_EQ(Ch(c, 4, 4, 0), 0);
    DrawTextMap(&c, map, 1000000, -1000000, style, true);
    DrawTextMap(&c, map, -1000000, 1000000, style, false);
    EXPECT_EQ(Ch(c, 4, 5, 0), 255);
    // A map with an odd side drops the last column and row.
    image::Coverage odd = Map(3, 3, 255);
    Image d = Canvas(3, 3, 0);
    EXPECT_EQ(DrawTextMap(&d, odd, 0, 0, style, false), 1);
    EXPECT_EQ(Ch(d, 0, 0, 0), 255);
    EXPECT_EQ(Ch(d, 1, 0, 0), 0);
}
