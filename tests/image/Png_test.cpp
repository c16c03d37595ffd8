// The PNG writer and the screenshot names.
#include "image/Png.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <string>

#include "PngOracle.h"

namespace {

uint32_t Be32(const uint8_t *p) {
    return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

struct Chunk {
    std::string type;
    std::vector<uint8_t> data;
    bool crcOk;
};

// Splits a file into chunks without using the codec under test.
std::vector<Chunk> Chunks(const std::vector<uint8_t> &file) {
    std::vector<Chunk> chunks;
    size_t pos = 8;
    while (pos + 12 <= file.size()) {
        uint32_t len = Be32(&file[pos]);
        if (pos + 12 + len > file.size()) break;
        Chunk c;
        c.type.assign(reinterpret_cast<const char *>(&file[pos + 4]), 4);
        c.data.assign(file.begin() + pos + 8, file.begin() + pos + 8 + len);
        uint32_t crc = uint32_t(crc32(0, &file[pos + 4], len + 4));
        c.crcOk = crc == Be32(&file[pos + 8 + len]);
        chunks.push_back(c);
        pos += 12 + len;
    }
    EXPECT_EQ(pos, file.size()) << "bytes after the last chunk";
    return chunks;
}

Image Solid(int w, int h, uint8_t r, uint8_t g, uint8_t b) {
    Image img;
    img.width = w;
    img.height = h;
    img.pixels.resize(size_t(w) * h * 4);
    for (size_t i = 0; i < img.pixels.size(); i += 4) {
        img.pixels[i] = r;
        img.pixels[i + 1] = g;
        img.pixels[i + 2] = b;
        img.pixels[i + 3] = 77;
    }
    return img;
}

std::vector<uint8_t> ReadFile(const char *path) {
    std::vector<uint8_t> bytes;
    FILE *f = fopen(path, "rb");
    if (!f) return bytes;
    int c;
    while ((c = fgetc(f)) != EOF) bytes.push_back(uint8_t(c));
    fclose(f);
    return bytes;
}

void Touch(const std::string &path, const char *content = "x") {
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    fputs(content, f);
    fclose(f);
}

TEST(PngWriter, OneWhitePixelWithSubFilter) {
    std::vector<uint8_t> file;
    ASSERT_TRUE(EncodePng(Solid(1, 1, 255, 255, 255), PngFilterSub, &file));
    const uint8_t signature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
    ASSERT_GT(file.size(), 8u);
    EXPECT_TRUE(std::equal(signature, signature + 8, file.begin()));
    std::vector<Chunk> chunks = Chunks(file);
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].type, "IHDR");
    const std::vector<uint8_t> ihdr = {0, 0, 0, 1, 0, 0, 0, 1, 8, 2, 0, 0, 0};
    EXPECT_EQ(chunks[0].data, ihdr);
    EXPECT_EQ(chunks[1].type, "IDAT");
    EXPECT_EQ(chunks[2].type, "IEND");
    EXPECT_TRUE(chunks[2].data.empty());
    for (const Chunk &c : chunks) EXPECT_TRUE(c.crcOk) << c.type;
    ASSERT_GE(chunks[1].data.size(), 2u);
    EXPECT_EQ(chunks[1].data[0], 0x78);
    EXPECT_EQ(chunks[1].data[1], 0x9C);
    std::vector<uint8_t> raw;
    ASSERT_TRUE(ZlibInflate(chunks[1].data, &raw));
    EXPECT_EQ(raw, (std::vector<uint8_t>{1, 0xF8, 0xFC, 0xF8}));
}

TEST(PngWriter, LibpngReadsTheQuantisedPicture) {
    for (int filter = 0; filter <= 3; filter++) {
        for (Image img : {PhotoLikeImage(173, 61, 7), FlatImage(64, 200), Solid(1, 300, 9, 9, 9)}) {
            std::vector<uint8_t> file;
            ASSERT_TRUE(EncodePng(img, filter, &file));
            Image back;
            bool alpha = true;
            ASSERT_TRUE(LibpngDecode(file, &back, &alpha)) << "filter " << filter;
            EXPECT_FALSE(alpha);
            ASSERT_EQ(back.width, img.width);
            ASSERT_EQ(back.height, img.height);
            const uint8_t mask[4] = {0xF8, 0xFC, 0xF8, 0};
            size_t wrong = 0;
            for (size_t i = 0; i < img.pixels.size(); i++) {
                uint8_t want = (i % 4 == 3) ? 255 : (img.pixels[i] & mask[i % 4]);
                wrong += back.pixels[i] != want;
            }
            EXPECT_EQ(wrong, 0u) << "filter " << filter << ", " << img.width << " wide";
        }
    }
}

TEST(PngWriter, RefusesBadInputAndUnwritablePaths) {
    std::vector<uint8_t> file;
    EXPECT_FALSE(EncodePng(Solid(2, 2, 1, 2, 3), 4, &file));
    EXPECT_FALSE(EncodePng(Solid(2, 2, 1, 2, 3), -1, &file));
    EXPECT_FALSE(EncodePng(Image(), 1, &file));
    Image shortBuffer = Solid(4, 4, 1, 2, 3);
    shortBuffer.pixels.resize(60);
    EXPECT_FALSE(EncodePng(shortBuffer, 1, &file));
    EXPECT_TRUE(file.empty());

    EXPECT_FALSE(WritePng("no_such_folder/shot.png", Solid(2, 2, 1, 2, 3), 1));
    EXPECT_FALSE(WritePng("bad.png", shortBuffer, 1));
    EXPECT_NE(access("bad.png", F_OK), 0) << "a refused picture leaves no file";

    ASSERT_TRUE(WritePng("good.png", Solid(3, 2, 100, 150, 200), PngFilterAverage));
    std::vector<uint8_t> onDisk = ReadFile("good.png"), inMemory;
    ASSERT_TRUE(EncodePng(Solid(3, 2, 100, 150, 200), PngFilterAverage, &inMemory));
    EXPECT_EQ(onDisk, inMemory);
}

TEST(ScreenshotName, TakesTheFirstFreeSerial) {
    ASSERT_EQ(mkdir("caps", 0755), 0);
    char name[256];
    ASSERT_TRUE(FindScreenshotName("caps/screenshot00", name, sizeof name));
    EXPECT_STREQ(name, "caps/screenshot000000.png");
    for (int n = 0; n < 10; n++) Touch("caps/screenshot00000" + std::to_string(n) + ".png");
    ASSERT_TRUE(FindScreenshotName("caps/screenshot00", name, sizeof name));
    EXPECT_STREQ(name, "caps/screenshot000010.png");
    // A gap is filled before later numbers.
    ASSERT_EQ(remove("caps/screenshot000003.png"), 0);
    ASSERT_TRUE(FindScreenshotName("caps/screenshot00", name, sizeof name));
    EXPECT_STREQ(name, "caps/screenshot000003.png");
    // Another prefix has its own serials.
    ASSERT_TRUE(FindScreenshotName("caps/screenshot01", name, sizeof name));
    EXPECT_STREQ(name, "caps/screenshot010000.png");
}

TEST(ScreenshotName, NeverOverwritesAnExistingFile) {
    ASSERT_EQ(mkdir("keep", 0755), 0);
    Touch("keep/s0000.png", "first picture");
    Touch("keep/s0001.png", "unreadable");
    chmod("keep/s0001.png", 0);
    char name[64];
    ASSERT_TRUE(FindScreenshotName("keep/s", name, sizeof name));
    EXPECT_STREQ(name, "keep/s0002.png");
    ASSERT_TRUE(WritePng(name, Solid(2, 2, 0, 0, 0), PngFilterSub));
    ASSERT_TRUE(FindScreenshotName("keep/s", name, sizeof name));
    EXPECT_STREQ(name, "keep/s0003.png");
    std::vector<uint8_t> first = ReadFile("keep/s0000.png");
    EXPECT_EQ(std::string(first.begin(), first.end()), "first picture");
    chmod("keep/s0001.png", 0644);
}

TEST(ScreenshotName, GrowsPastFourDigitsAndRefusesNamesThatDoNotFit) {
    ASSERT_EQ(mkdir("many", 0755), 0);
    char name[64];
    for (int n = 0; n < 10000; n++) {
        snprintf(name, sizeof name, "many/%04d.png", n);
        Touch(name);
    }
    ASSERT_TRUE(FindScreenshotName("many/", name, sizeof name));
    EXPECT_STREQ(name, "many/10000.png");

    char tiny[12];
    EXPECT_FALSE(FindScreenshotName("caps/screenshot00", tiny, sizeof tiny));
    EXPECT_STREQ(tiny, "");
}

}  // namespace
