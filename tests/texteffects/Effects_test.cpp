// The picture operations on canvases small enough to work out by hand.
#include "texteffects/Effects.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace texteffects;

namespace {

Image Filled(int w, int h, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 7) {
    Image img;
    img.width = w;
    img.height = h;
    img.pixels.resize(size_t(w) * h * 4);
    for (size_t at = 0; at < img.pixels.size(); at += 4) {
        img.pixels[at] = r;
        img.pixels[at + 1] = g;
        img.pixels[at + 2] = b;
        img.pixels[at + 3] = a;
    }
    return img;
}

uint8_t *Px(Image &img, int x, int y) {
    return &img.pixels[(size_t(y) * img.width + x) * 4];
}
int Ch(const Image &img, int x, int y, int k) {
    return img.pixels[(size_t(y) * img.width + x) * 4 + k];
}

bool AlphaKept(const Image &img, uint8_t a) {
    for (size_t at = 3; at < img.pixels.size(); at += 4)
        if (img.pixels[at] != a) return false;
    return true;
}

}  // namespace

TEST(SoftEdge, WeightInsideAtTheEdgeAndWithoutRadius) {
    // 10 x 10 box, radius 2: 2r^2 = 8.
    EXPECT_FLOAT_EQ(SoftEdgeWeight(5, 5, 10, 10, 2), 1.0f);  // A = 4 * 4 = 16
    EXPECT_FLOAT_EQ(SoftEdgeWeight(1, 5, 10, 10, 2), 0.5f);  // A = 3 * 4 = 12
    EXPECT_FLOAT_EQ(SoftEdgeWeight(0, 5, 10, 10, 2), 0.0f);  // A = 2 * 4 = 8
    EXPECT_FLOAT_EQ(SoftEdgeWeight(0, 0, 10, 10, 2), 0.0f);  // A = 4, below 2r^2
    EXPECT_FLOAT_EQ(SoftEdgeWeight(9, 9, 10, 10, 2), 0.0f);
    EXPECT_FLOAT_EQ(SoftEdgeWeight(8, 5, 10, 10, 2), 0.5f);  // mirror of column 1
    EXPECT_FLOAT_EQ(SoftEdgeWeight(0, 0, 3, 3, 0), 1.0f);
}

TEST(SoftEdge, ShadowBoxHalvesTheMiddleFadesTheEdgesAndClips) {
    Image c = Filled(12, 12, 200, 200, 200);
    ShadowBox(&c, 1, 1, 10, 10, 2);
    EXPECT_EQ(Ch(c, 6, 6, 0), 100);  // t = 1: halved
    EXPECT_EQ(Ch(c, 2, 6, 1), 175);  // t = 0.5: 1 - 0.5 * 0.25
    EXPECT_EQ(Ch(c, 1, 1, 2), 200);  // corner, t = 0
    EXPECT_EQ(Ch(c, 0, 6, 0), 200);  // outside the box
    EXPECT_EQ(Ch(c, 11, 11, 0), 200);
    EXPECT_TRUE(AlphaKept(c, 7));

    // A box hanging over the top-left corner: canvas (0, 0) is box (5, 5).
    Image d = Filled(4, 4, 200, 200, 200);
    ShadowBox(&d, -5, -5, 10, 10, 2);
    EXPECT_EQ(Ch(d, 0, 0, 0), 100);
    EXPECT_EQ(Ch(d, 3, 3, 0), 198);               // box (8, 8): A = 3 * 3, t = 1/8
    ShadowBox(&d, 1000000, -1000000, 10, 10, 2);  // nowhere near: no change
    EXPECT_EQ(Ch(d, 3, 3, 0), 198);
}

TEST(GradientBox, ColoursTheMiddleOnlyWhenTheBoxIsLargeEnough) {
    const int red[3] = {255, 0, 0};
    Image c = Filled(200, 200, 0, 0, 0);
    GradientBox(&c, red, 0, 0, 200, 200);
    EXPECT_EQ(Ch(c, 100, 100, 0), 255);
    EXPECT_EQ(Ch(c, 100, 100, 1), 0);
    EXPECT_EQ(Ch(c, 0, 0, 0), 0);  // the corner keeps the canvas

    // (bw - 1) (bh - 1) must pass 2r^2 = 1152 for any weight: a 34 x 34 box
    // gives at most 33 * 33 = 1089, a box 24 wide at most 23 * 48. The
    // shadow has the same radius, so such boxes leave the canvas as it was.
    for (int size : {34, 24}) {
        Image g = Filled(100, 1200, 100, 100, 100);
        const Image before = g;
        GradientBox(&g, red, 0, 0, size, size == 24 ? 1000 : 34);
        EXPECT_EQ(g.pixels, before.pixels) << size;
    }
    Image big = Filled(100, 100, 100, 100, 100);
    GradientBox(&big, red, 0, 0, 60, 60);
    EXPECT_GT(Ch(big, 30, 30, 0), Ch(big, 30, 30, 1));
}

TEST(Mosaic, TilesFromTheOffsetWithNonNegativeRemainders) {
    Image b = Filled(3, 2, 0, 0, 0, 99);
    for (int y = 0; y < 2; y++)
        for (int x = 0; x < 3; x++) Px(b, x, y)[0] = uint8_t(10 * y + x);
    Image c = Filled(5, 4, 255, 255, 255);
    Mosaic(&c, b, 1, -1);
    for (int j = 0; j < 4; j++)
        for (int i = 0; i < 5; i++) {
            const int u = (i + 1) % 3, v = ((j - 1) % 2 + 2) % 2;
            EXPECT_EQ(Ch(c, i, j, 0), 10 * v + u) << i << "," << j;
        }
    EXPECT_TRUE(AlphaKept(c, 7));
    Mosaic(&c, b, -1000000, 1000000);  // far offsets wrap the same way
    EXPECT_EQ(Ch(c, 0, 0, 0), 10 * (1000000 % 2) + (3 - 1000000 % 3) % 3);
}

TEST(Stretch, InterpolatesAndClampsSamplesPastTheBitmap) {
    // Channel 0: row 0 = 0, 100; row 1 = 200, 255.
    Image b = Filled(2, 2, 0, 0, 0);
    Px(b, 1, 0)[0] = 100;
    Px(b, 0, 1)[0] = 200;
    Px(b, 1, 1)[0] = 255;
    Image c = Filled(4, 4, 9, 9, 9);
    Stretch(&c, b, 0, 0);
    // u = i / 4 and v = j / 4 over the 2 x 2 bitmap.
    EXPECT_EQ(Ch(c, 0, 0, 0), 0);
    EXPECT_EQ(Ch(c, 2, 0, 0), 50);
    EXPECT_EQ(Ch(c, 0, 2, 0), 100);
    EXPECT_EQ(Ch(c, 2, 2, 0), 138);  // 50 + (227.5 - 50) / 2 = 138.75
    EXPECT_EQ(Ch(c, 3, 3, 0), 199);  // top 75, bottom 241.25, 0.75 of the way
    EXPECT_TRUE(AlphaKept(c, 7));

    // Offset one column right: both columns sample the last one.
    Stretch(&c, b, 1, 0);
    EXPECT_EQ(Ch(c, 0, 0, 0), 100);
    EXPECT_EQ(Ch(c, 3, 0, 0), 100);
    EXPECT_EQ(Ch(c, 0, 2, 0), 177);  // 100 + (255 - 100) / 2
    // Offsets far outside in every direction stay on the corners.
    Stretch(&c, b, 1000000, 1000000);
    for (int j = 0; j < 4; j++)
        for (int i = 0; i < 4; i++) EXPECT_EQ(Ch(c, i, j, 0), 255);
    Stretch(&c, b, -1000000, -1000000);
    EXPECT_EQ(Ch(c, 3, 3, 0), 0);
    // A one-pixel bitmap fills the canvas.
    Image one = Filled(1, 1, 1, 2, 3);
    Stretch(&c, one, 0, 0);
    EXPECT_EQ(Ch(c, 3, 3, 2), 3);
}

TEST(DrawBitmap, BlendsWithAlphaDrawsTheFrameAndClips) {
    Image b = Filled(2, 2, 200, 100, 0, 255);
    Px(b, 1, 0)[3] = 0;
    Px(b, 0, 1)[3] = 51;  // 0.2
    Px(b, 0, 1)[0] = 201;
    Image c = Filled(6, 6, 50, 50, 50);
    DrawBitmap(&c, b, 2, 2, false, 0, 0, true);
    EXPECT_EQ(Ch(c, 2, 2, 0), 200);
    EXPECT_EQ(Ch(c, 2, 2, 2), 0);
    EXPECT_EQ(Ch(c, 3, 2, 0), 50);  // transparent
    EXPECT_EQ(Ch(c, 2, 3, 0), 80);  // 50 * 0.8 + 201 * 0.2
    // The frame from (1, 1) to (4, 4), inside untouched.
    for (int k = 1; k <= 4; k++) {
        EXPECT_EQ(Ch(c, k, 1, 1), 255);
        EXPECT_EQ(Ch(c, k, 4, 1), 255);
        EXPECT_EQ(Ch(c, 1, k, 1), 255);
        EXPECT_EQ(Ch(c, 4, k, 1), 255);
    }
    EXPECT_EQ(Ch(c, 0, 0, 0), 50);
    EXPECT_EQ(Ch(c, 5, 5, 0), 50);
    EXPECT_TRUE(AlphaKept(c, 7));

    // Half outside, frame included: only the visible part changes.
    Image d = Filled(3, 3, 50, 50, 50);
    DrawBitmap(&d, b, -1, -1, false, 0, 0, true);
    EXPECT_EQ(Ch(d, 0, 0, 0), 200);  // bitmap pixel (1, 1)
    EXPECT_EQ(Ch(d, 1, 0, 1), 255);  // frame column x + width = 1
    EXPECT_EQ(Ch(d, 2, 2, 0), 50);
    DrawBitmap(&d, b, 1000000, 1000000, true, 1000000, 1000000, true);
    EXPECT_EQ(Ch(d, 2, 2, 0), 50);
}

TEST(DrawBitmap, ShadowAtThreeTimesTheOffset) {
    Image b = Filled(20, 20, 0, 0, 0, 0);  // fully transparent: only the shadow shows
    Image c = Filled(40, 40, 200, 200, 200);
    DrawBitmap(&c, b, 0, 0, true, 2, 2, false);
    EXPECT_EQ(Ch(c, 16, 16, 0), 100);  // middle of the 20 x 20 box at (6, 6)
    EXPECT_EQ(Ch(c, 6, 6, 0), 200);    // its corner
    EXPECT_EQ(Ch(c, 3, 16, 0), 200);   // left of it
}

TEST(DrawFeatheredBitmap, FeathersOverATenthOfTheDiagonal) {
    // 50 x 50: diagonal 70.7, r = 7, 2r^2 = 98.
    Image b = Filled(50, 50, 255, 255, 255, 255);
    Image c = Filled(60, 60, 0, 0, 0);
    DrawFeatheredBitmap(&c, b, 5, 5);
    EXPECT_EQ(Ch(c, 30, 30, 0), 255);
    EXPECT_EQ(Ch(c, 5, 5, 0), 0);
    EXPECT_EQ(Ch(c, 8, 30, 0), 46);  // A = 10 * 14: t = 42/98, 255 t^2
    EXPECT_EQ(Ch(c, 2, 30, 0), 0);
    // Clipped on every side.
    Image d = Filled(10, 10, 0, 0, 0);
    DrawFeatheredBitmap(&d, b, -20, -20);
    EXPECT_EQ(Ch(d, 5, 5, 0), 255);
}

TEST(Wave, HeightsAtTheCentreHalfwayAndBeyondTheRadius) {
    // 16 x 12: halves 8 and 6, R = 10.
    EXPECT_DOUBLE_EQ(WaveHeight(8, 6, 16, 12, 10, 1), 5.0);     // d = 0: (0 + 1) / 2 * 10
    EXPECT_NEAR(WaveHeight(13, 6, 16, 12, 10, 1), 5.0, 1e-6);   // d = 0.5: sin = 1
    EXPECT_NEAR(WaveHeight(8, 11, 16, 12, 10, 2), 2.5, 1e-5);   // d = 0.5, sin(pi) = 0
    EXPECT_DOUBLE_EQ(WaveHeight(0, 0, 16, 12, 10, 1), 0.0);     // d = 1
    EXPECT_DOUBLE_EQ(WaveHeight(-50, 60, 16, 12, 10, 1), 0.0);  // capped at 1
    EXPECT_DOUBLE_EQ(WaveHeight(0, 0, 1, 1, 10, 1), 0.0);       // R = 0
}

TEST(Wave, OffsetsAndShading) {
    Image c = Filled(16, 12, 0, 0, 200);
    for (int j = 0; j < 12; j++)
        for (int i = 0; i < 16; i++) {
            Px(c, i, j)[0] = uint8_t(i);
            Px(c, i, j)[1] = uint8_t(j);
        }
    Image flat = c;
    Wave(&flat, 0, 3, false, 0, 0);
    EXPECT_EQ(flat.pixels, c.pixels);

    Image w = c;
    Wave(&w, 10, 1, false, 0, 0);
    // Centre: symmetric neighbours, no offset.
    EXPECT_EQ(Ch(w, 8, 6, 0), 8);
    EXPECT_EQ(Ch(w, 8, 6, 1), 6);
    // (13, 6): h(14, 6) - h(12, 6) = (sin(0.6 pi) + 1) * 2 - (sin(0.4 pi) + 1) * 3
    // = -1.95, so x = 13 - 1.95 -> 11; vertically symmetric.
    EXPECT_EQ(Ch(w, 13, 6, 0), 11);
    EXPECT_EQ(Ch(w, 13, 6, 1), 6);
    EXPECT_EQ(Ch(w, 13, 6, 3), 7);  // alpha kept

    // Shaded with lx = 1024: s = floor(-1.95 * 1024) = -1998, factor 0.0244.
    Image s = c;
    Wave(&s, 10, 1, true, 1024, 0);
    EXPECT_EQ(Ch(s, 13, 6, 2), 4);
    Image t = c;
    Wave(&t, 10, 1, true, -1024, 0);
    EXPECT_EQ(Ch(t, 13, 6, 2), 255);  // 200 * 1.975, clamped
    EXPECT_EQ(Ch(t, 8, 6, 2), 200);   // flat at the centre
    // Huge amplitudes only clamp.
    Image h = c;
    Wave(&h, 1000000, 7, true, 1000000, -1000000);
    EXPECT_TRUE(AlphaKept(h, 7));
}

TEST(Emboss, LightAtTheSpotHalfwayAndAtTheRadius) {
    EXPECT_EQ(EmbossLight(0, 20), 255);  // 300 capped
    EXPECT_EQ(EmbossLight(4, 20), 240);
    EXPECT_EQ(EmbossLight(10, 20), 150);
    EXPECT_EQ(EmbossLight(20, 20), 0);
    EXPECT_EQ(EmbossLight(50, 20), 0);
    EXPECT_EQ(EmbossLight(0, 0), 255);  // a radius below 1 lights the spot only
    EXPECT_EQ(EmbossLight(1, 0), 0);

    // A flat canvas: no relief, only the spot.
    Image c = Filled(40, 10, 100, 100, 100);
    Emboss(&c, 20, 5, 20, 1, 1, 1);
    EXPECT_EQ(Ch(c, 20, 5, 0), 200);  // 2 * 100 * 255 / 255
    EXPECT_EQ(Ch(c, 30, 5, 1), 117);  // L = 150
    EXPECT_EQ(Ch(c, 0, 5, 2), 0);     // at the radius
    EXPECT_TRUE(AlphaKept(c, 7));
}

TEST(Emboss, GradientShiftsTheLookupIncludingTheLastRowAndColumn) {
    // Columns 0..9 hold 50, columns 10.. hold 60 in channel 0, w0 = 1.
    Image c = Filled(40, 10, 50, 0, 0);
    for (int j = 0; j < 10; j++)
        for (int i = 10; i < 40; i++) Px(c, i, j)[0] = 60;
    Emboss(&c, 19, 5, 20, 1, 0, 0);
    EXPECT_EQ(Ch(c, 9, 5, 0), 100);  // gx = 10: lit as (19, 5)
    EXPECT_EQ(Ch(c, 8, 5, 0), 52);   // gx = 0: (8, 5) at distance 11, L = 135
    // Last row: the missing lower neighbour is the right one, so gy = gx = 10
    // and the light is wanted at (19, 19); the table reaches half a canvas
    // past the edge, row 14, so it is read at (19, 14): distance 9, L = 165.
    // (Without the rule, gy = 0 would read (19, 9): L = 240, 94.)
    EXPECT_EQ(Ch(c, 9, 9, 0), 64);
    // Last column: its own value as right neighbour, gx = 0; (39, 5) is 20 away.
    EXPECT_EQ(Ch(c, 39, 5, 0), 0);

    // Steep relief reads far past the table: clamped, no crash.
    Image d = Filled(8, 8, 0, 255, 0);
    Px(d, 3, 3)[1] = 0;
    Emboss(&d, 4, 4, 10, 1000000, 1000000, -1000000);
    EXPECT_TRUE(AlphaKept(d, 7));
}

namespace {
int g_seq = 0;
int Counter() {
    return g_seq++ * 7919 % 32768;
}
int Ten() {
    return 10;
}
}  // namespace

TEST(Clouds, TintSizeOpacityAndSeamlessTiling) {
    Image one;
    ASSERT_EQ(MakeClouds(255, 128, 0, 1, 1, &one, Ten), 1);
    // Every cell is the first corner, 128 + 10 % 127.
    EXPECT_EQ(Ch(one, 0, 0, 0), 138);
    EXPECT_EQ(Ch(one, 0, 0, 1), 138 * 128 / 255);
    EXPECT_EQ(Ch(one, 0, 0, 2), 0);
    EXPECT_EQ(Ch(one, 0, 0, 3), 255);

    Image bad;
    EXPECT_EQ(MakeClouds(1, 1, 1, 0, 5, &bad, Ten), 0);
    EXPECT_EQ(bad.width, 0);

    g_seq = 0;
    Image c;
    ASSERT_EQ(MakeClouds(255, 255, 255, 64, 64, &c, Counter), 1);
    ASSERT_EQ(c.width, 64);
    ASSERT_EQ(c.height, 64);
    EXPECT_TRUE(AlphaKept(c, 255));
    // Not flat, and the wrap from the last row (column) to the first is as
    // smooth as neighbouring rows (columns) inside the picture.
    double adjacentRows = 0, wrapRows = 0, adjacentCols = 0, wrapCols = 0;
    int lo = 255, hi = 0;
    for (int i = 0; i < 64; i++) {
        for (int j = 0; j + 1 < 64; j++) {
            adjacentRows += std::abs(Ch(c, i, j, 0) - Ch(c, i, j + 1, 0)) / 63.0;
            adjacentCols += std::abs(Ch(c, j, i, 0) - Ch(c, j + 1, i, 0)) / 63.0;
        }
        wrapRows += std::abs(Ch(c, i, 63, 0) - Ch(c, i, 0, 0));
        wrapCols += std::abs(Ch(c, 63, i, 0) - Ch(c, 0, i, 0));
        for (int j = 0; j < 64; j++) {
            lo = std::min(lo, Ch(c, i, j, 0));
            hi = std::max(hi, Ch(c, i, j, 0));
        }
    }
    EXPECT_GT(hi - lo, 20);
    EXPECT_LT(wrapRows, 3 * adjacentRows + 64);
    EXPECT_LT(wrapCols, 3 * adjacentCols + 64);
}
