#include "lib3d/TextureImage.h"

#include <gtest/gtest.h>

#include <vector>

using namespace lib3d;

namespace {

// A picture whose pixels carry their own column and row.
std::vector<uint8_t> Coordinates(int side) {
    std::vector<uint8_t> p(static_cast<size_t>(side) * side * 4);
    for (int y = 0; y < side; y++) {
        for (int x = 0; x < side; x++) {
            uint8_t *q = &p[(static_cast<size_t>(y) * side + x) * 4];
            q[0] = static_cast<uint8_t>(x & 0xFF);
            q[1] = static_cast<uint8_t>(x >> 8);
            q[2] = static_cast<uint8_t>(y & 0xFF);
            q[3] = static_cast<uint8_t>(y >> 8);
        }
    }
    return p;
}

int Column(const std::vector<uint8_t> &p, int side, int x, int y) {
    const uint8_t *q = &p[(static_cast<size_t>(y) * side + x) * 4];
    return q[0] | (q[1] << 8);
}

int Row(const std::vector<uint8_t> &p, int side, int x, int y) {
    const uint8_t *q = &p[(static_cast<size_t>(y) * side + x) * 4];
    return q[2] | (q[3] << 8);
}

}  // namespace

TEST(Resample, LargerPictureIsShrunkNotCropped) {
    const std::vector<uint8_t> source = Coordinates(300);
    std::vector<uint8_t> out;
    ResampleSquare(source.data(), 300, 256, &out);
    ASSERT_EQ(out.size(), 256u * 256 * 4);
    // The last destination pixel comes from the far corner of the source, not
    // from column and row 255.
    EXPECT_EQ(Column(out, 256, 255, 255), 298);
    EXPECT_EQ(Row(out, 256, 255, 255), 298);
    EXPECT_EQ(Column(out, 256, 0, 0), 0);
    // Columns advance by 300/256 in 8.8 fixed point: never backwards, never
    // by more than two.
    for (int x = 1; x < 256; x++) {
        const int step = Column(out, 256, x, 7) - Column(out, 256, x - 1, 7);
        EXPECT_TRUE(step == 1 || step == 2) << "x=" << x;
    }
}

TEST(Resample, SmallerPictureRepeatsPixelsInFixedPointSteps) {
    const std::vector<uint8_t> source = Coordinates(3);
    std::vector<uint8_t> out;
    ResampleSquare(source.data(), 3, 8, &out);
    // step = 3 x 256 / 8 = 96: columns (x x 96) >> 8; rows y x 3 / 8.
    const int columns[8] = {0, 0, 0, 1, 1, 1, 2, 2};
    const int rows[8] = {0, 0, 0, 1, 1, 1, 2, 2};
    for (int i = 0; i < 8; i++) {
        EXPECT_EQ(Column(out, 8, i, 0), columns[i]);
        EXPECT_EQ(Row(out, 8, 0, i), rows[i]);
    }
}

TEST(Resample, SameSizeIsACopy) {
    const std::vector<uint8_t> source = Coordinates(17);
    std::vector<uint8_t> out;
    ResampleSquare(source.data(), 17, 17, &out);
    EXPECT_EQ(out, source);
}

TEST(Dither, PatternFollowsDroppedBitsAndPosition) {
    // Red low bits 2: raised at positions 0 and 3 of the 2x2 block, that is
    // (x, y) = (0, 0) and (1, 1). Green low bits 3: positions 0, 1, 3. Blue
    // low bits 0: never.
    const int expectRed[2][2] = {{0x4A, 0x42}, {0x42, 0x4A}};  // [y][x]
    const int expectGreen[2][2] = {{0x27, 0x23},
                                   {0x27, 0x27}};  // p=0:(0,0) 1:(0,1) 2:(1,0) 3:(1,1)
    for (int y = 0; y < 2; y++) {
        for (int x = 0; x < 2; x++) {
            uint8_t p[4] = {0x42, 0x23, 0x40, 0x77};
            DitherPixel(p, x + 6, y + 4);  // only the position in its block counts
            EXPECT_EQ(p[0], expectRed[y][x]) << x << "," << y;
            EXPECT_EQ(p[1], expectGreen[y][x]) << x << "," << y;
            EXPECT_EQ(p[2], 0x40);
            EXPECT_EQ(p[3], 0x77);
        }
    }
}

TEST(Dither, HighLowBitsRaiseEverywhereAndClamp) {
    for (int p = 0; p < 4; p++) {
        uint8_t px[4] = {0xFF, 0xFE, 0x25, 0};  // red 7 -> 4, green 2, blue 5 -> 4
        DitherPixel(px, p >> 1, p & 1);
        EXPECT_EQ(px[0], 0xFF);
        EXPECT_EQ(px[2], 0x2D);
    }
    uint8_t corner[4] = {0, 0xFE, 0, 0};
    DitherPixel(corner, 0, 0);
    EXPECT_EQ(corner[1], 0xFF);  // 0xFE + 4 clamped
}

TEST(Pack, ThreeFormats) {
    const uint8_t white[4] = {255, 255, 255, 255};
    EXPECT_EQ(PackPixel(white, device::FormatR5G6B5), 0xFFFF);
    EXPECT_EQ(PackPixel(white, device::FormatX1R5G5B5), 0x7FFF);
    const uint8_t p[4] = {0x12, 0x34, 0x56, 0x9F};
    EXPECT_EQ(PackPixel(p, device::FormatR5G6B5), 0x11AA);
    EXPECT_EQ(PackPixel(p, device::FormatX1R5G5B5), 0x08CA);
    EXPECT_EQ(PackPixel(p, device::FormatA4R4G4B4), 0x9135);
}

TEST(Pack, DitheringRaisesTheAverageOfABlock) {
    // A flat 0x43 red (3 dropped bits): three pixels of four are raised.
    std::vector<uint8_t> image(4 * 4, 0);
    for (int i = 0; i < 4; i++) image[i * 4] = 0x43;
    uint16_t out[4];
    PackImage(image, 2, device::FormatR5G6B5, true, out, 2);
    int raised = 0;
    for (uint16_t v : out) raised += (v >> 11) == 9;
    EXPECT_EQ(raised, 3);
    PackImage(image, 2, device::FormatR5G6B5, false, out, 2);
    for (uint16_t v : out) EXPECT_EQ(v >> 11, 8);
}

TEST(Mip, HalvingWeighsCentreAndNeighbours) {
    // 2x2 -> 1x1: left and up fall outside and count as the centre.
    std::vector<uint8_t> image(2 * 2 * 4, 0);
    image[0] = 80;   // (0, 0)
    image[4] = 160;  // (1, 0)
    image[8] = 240;  // (0, 1)
    std::vector<uint8_t> out;
    HalveImage(image, 2, &out);
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0], (6 * 80 + 160 + 240) / 8);

    // 4x4 -> 2x2: pixel (1, 1) is centred on source (2, 2) with four real neighbours.
    std::vector<uint8_t> big(4 * 4 * 4, 0);
    auto set = [&](int x, int y, int v) { big[(y * 4 + x) * 4 + 1] = static_cast<uint8_t>(v); };
    set(2, 2, 100);
    set(1, 2, 10);
    set(3, 2, 20);
    set(2, 1, 30);
    set(2, 3, 41);
    HalveImage(big, 4, &out);
    ASSERT_EQ(out.size(), 2u * 2 * 4);
    EXPECT_EQ(out[(1 * 2 + 1) * 4 + 1], (400 + 10 + 20 + 30 + 41) / 8);
    // (0, 0): centre (0, 0) = 0, right (1, 0) = 0, down (0, 1) = 0.
    EXPECT_EQ(out[1], 0);
}

TEST(Mip, LevelCounts) {
    EXPECT_EQ(MipLevelCount(256), 9);
    EXPECT_EQ(MipLevelCount(1), 1);
    EXPECT_EQ(MipLevelCount(2), 2);
    EXPECT_EQ(MipLevelCount(300), 9);
}
