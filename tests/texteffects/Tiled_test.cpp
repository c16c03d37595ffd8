// Cutting a canvas into textures and laying them out over a window.
#include <gtest/gtest.h>

#include <cstring>

#include "texteffects/TiledPicture.h"

using namespace texteffects;

namespace {
Image Canvas(int w, int h) {
    Image img;
    img.width = w;
    img.height = h;
    img.pixels.resize(size_t(w) * h * 4);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
            uint8_t *p = &img.pixels[(size_t(y) * w + x) * 4];
            p[0] = uint8_t(x);
            p[1] = uint8_t(y);
            p[2] = uint8_t(x >> 8 | (y >> 8) << 4);
            p[3] = 0;
        }
    return img;
}
}  // namespace

TEST(TiledPicture, TileCountsFollowTheCanvas) {
    TiledPicture p;
    ASSERT_EQ(MakeTiledPicture(Canvas(1280, 1024), &p), 1);
    EXPECT_EQ(p.columns, 5);
    EXPECT_EQ(p.rows, 4);
    EXPECT_EQ(p.tiles.size(), 20u);
    ASSERT_EQ(MakeTiledPicture(Canvas(1, 1), &p), 1);
    EXPECT_EQ(p.tiles.size(), 1u);
    EXPECT_EQ(MakeTiledPicture(Image(), &p), 0);
    EXPECT_TRUE(p.tiles.empty());
}

TEST(TiledPicture, PixelsAreCopiedAndThePaddingIsOpaqueBlack) {
    TiledPicture p;
    ASSERT_EQ(MakeTiledPicture(Canvas(1000, 700), &p), 1);
    ASSERT_EQ(p.columns, 4);
    ASSERT_EQ(p.rows, 3);
    const PictureTile &last = p.tiles.back();  // column 3, row 2
    EXPECT_EQ(last.column, 3);
    EXPECT_EQ(last.row, 2);
    ASSERT_EQ(last.image.width, 256);
    auto px = [](const Image &img, int x, int y) { return &img.pixels[(size_t(y) * 256 + x) * 4]; };
    // Canvas (999, 699) is tile pixel (231, 187).
    EXPECT_EQ(px(last.image, 231, 187)[0], uint8_t(999));
    EXPECT_EQ(px(last.image, 231, 187)[1], uint8_t(699));
    EXPECT_EQ(px(last.image, 231, 187)[2], uint8_t(3 | 2 << 4));
    EXPECT_EQ(px(last.image, 231, 187)[3], 0);  // bytes copied unchanged
    const uint8_t black[4] = {0, 0, 0, 255};
    EXPECT_EQ(memcmp(px(last.image, 232, 0), black, 4), 0);
    EXPECT_EQ(memcmp(px(last.image, 0, 188), black, 4), 0);
    EXPECT_EQ(memcmp(px(last.image, 255, 255), black, 4), 0);
    // An inner tile is all canvas.
    EXPECT_EQ(px(p.tiles[5].image, 255, 255)[0], uint8_t(511));
    EXPECT_EQ(px(p.tiles[5].image, 255, 255)[1], uint8_t(511));
}

TEST(TiledPicture, ScaledLayoutCutsTheLastRowAndColumn) {
    TiledPicture p;
    ASSERT_EQ(MakeTiledPicture(Canvas(1024, 768), &p), 1);
    std::vector<TileQuad> q = LayoutTiles(p, 800, 600);
    ASSERT_EQ(q.size(), 12u);
    for (const TileQuad &t : q) {
        EXPECT_FLOAT_EQ(t.width, 200.0f);
        EXPECT_FLOAT_EQ(t.height, 200.0f);
        EXPECT_FLOAT_EQ(t.u, 1.0f);
        EXPECT_FLOAT_EQ(t.v, 1.0f);
    }
    EXPECT_FLOAT_EQ(q[7].x, 600.0f);  // column 3, row 1
    EXPECT_FLOAT_EQ(q[7].y, 200.0f);

    ASSERT_EQ(MakeTiledPicture(Canvas(1000, 700), &p), 1);
    q = LayoutTiles(p, 1000, 700);
    ASSERT_EQ(q.size(), 12u);
    const TileQuad &corner = q[11];
    EXPECT_FLOAT_EQ(corner.x, 768.0f);
    EXPECT_FLOAT_EQ(corner.y, 512.0f);
    EXPECT_FLOAT_EQ(corner.width, 232.0f);  // to the picture's right edge
    EXPECT_FLOAT_EQ(corner.height, 188.0f);
    EXPECT_FLOAT_EQ(corner.u, 232.0f / 256);
    EXPECT_FLOAT_EQ(corner.v, 188.0f / 256);
    EXPECT_FLOAT_EQ(q[0].u, 1.0f);
    // Scaled to 500 x 350 the cut tile keeps its share.
    q = LayoutTiles(p, 500, 350);
    EXPECT_FLOAT_EQ(q[11].x + q[11].width, 500.0f);
    EXPECT_FLOAT_EQ(q[11].y + q[11].height, 350.0f);
    EXPECT_FLOAT_EQ(q[11].u, 232.0f / 256);
}
