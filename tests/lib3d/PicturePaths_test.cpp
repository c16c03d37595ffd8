// Every PNG the reader accepts becomes a texture through both of the
// engine's picture paths (LoadTexture for the pointer and the tile faces,
// material textures for the scenes), with the reader's pixels; and the
// engine's log is never written through a link.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "image/Png.h"
#include "image/PngOracle.h"
#include "lib3d/Engine.h"
#include "lib3d/EngineTestSupport.h"
#include "lib3d/Material.h"
#include "lib3d/TextureImage.h"

namespace {

void WriteBytes(const std::string &path, const std::vector<uint8_t> &bytes) {
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

std::string ReadText(const char *path) {
    std::string s;
    FILE *f = fopen(path, "rb");
    if (!f) return "<missing>";
    int c;
    while ((c = fgetc(f)) != EOF) s.push_back(char(c));
    fclose(f);
    return s;
}

// Level 0 of a slot matches the picture packed in the slot's format.
int WrongWords(lib3d::Engine &engine, int slot, const Image &picture) {
    const lib3d::TextureSlot *t = engine.Slot(slot);
    if (!t || !t->texture) return -1;
    static const device::Format kFormats[3] = {device::FormatR5G6B5, device::FormatX1R5G5B5,
                                               device::FormatA4R4G4B4};
    int pitch = 0;
    const uint16_t *words = t->texture->LockRect(0, &pitch, true);
    if (!words) return -1;
    int wrong = 0;
    for (int y = 0; y < picture.height; y++)
        for (int x = 0; x < picture.width; x++) {
            const uint8_t *p = &picture.pixels[(size_t(y) * picture.width + x) * 4];
            wrong += words[y * (pitch / 2) + x] != lib3d::PackPixel(p, kFormats[t->formatIndex]);
        }
    t->texture->UnlockRect(0);
    return wrong;
}

}  // namespace

TEST(PicturePaths, EveryPngKindLoadsThroughBothTexturePaths) {
    lib3d::Engine engine;
    ASSERT_TRUE(enginetest::OpenEngine(&engine, 64, 64, 3));
    engine.SetState(lib3d::Dither::Off);
    engine.SetState(lib3d::TextureCreation::MipmapOff);
    struct Kind {
        int colorType, depth;
        std::vector<uint8_t> trns;
    };
    // The three kinds once refused as the pointer or a tile face first.
    const std::vector<Kind> kinds = {
        {PNG_COLOR_TYPE_PALETTE, 8, {}},     {PNG_COLOR_TYPE_GRAY, 16, {}},
        {PNG_COLOR_TYPE_GRAY, 1, {}},        {PNG_COLOR_TYPE_GRAY, 2, {}},
        {PNG_COLOR_TYPE_GRAY, 4, {}},        {PNG_COLOR_TYPE_GRAY, 8, {}},
        {PNG_COLOR_TYPE_GRAY, 8, {0, 200}},  {PNG_COLOR_TYPE_PALETTE, 1, {}},
        {PNG_COLOR_TYPE_PALETTE, 4, {0, 9}}, {PNG_COLOR_TYPE_RGB, 8, {}},
        {PNG_COLOR_TYPE_RGB, 16, {}},        {PNG_COLOR_TYPE_GRAY_ALPHA, 8, {}},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 16, {}}, {PNG_COLOR_TYPE_RGB_ALPHA, 8, {}},
        {PNG_COLOR_TYPE_RGB_ALPHA, 16, {}},
    };
    static const int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    int n = 0;
    for (const Kind &k : kinds) {
        const int side = 16;
        const size_t rowBytes = (size_t(side) * kChannels[k.colorType] * k.depth + 7) / 8;
        std::vector<uint8_t> samples = RandomBytes(rowBytes * side, uint32_t(300 + n));
        std::vector<uint8_t> palette;
        if (k.colorType == PNG_COLOR_TYPE_PALETTE) palette = RandomBytes(size_t(3) << k.depth, 9);
        std::vector<uint8_t> file;
        ASSERT_TRUE(LibpngEncode(side, side, k.colorType, k.depth, samples, &file, PNG_ALL_FILTERS,
                                 n % 2 == 1, palette, k.trns));
        const std::string path = "path" + std::to_string(n++) + ".png";
        const std::string what =
            path + ": type " + std::to_string(k.colorType) + " depth " + std::to_string(k.depth);
        WriteBytes(path, file);
        Image reference;
        ASSERT_EQ(ReadPng(path.c_str(), &reference, 0), 1) << what;
        const bool alpha = (k.colorType & 4) || !k.trns.empty();

        testing::internal::CaptureStderr();
        const int plain = engine.LoadTexture(path.c_str());
        const int material = lib3d::LoadMaterialTexture(engine, path.c_str());
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << what;
        ASSERT_GE(plain, 0) << what;
        ASSERT_GE(material, 0) << what;
        EXPECT_EQ(engine.Slot(plain)->formatIndex, alpha ? 2 : 0) << what;
        EXPECT_EQ(engine.Slot(material)->formatIndex, alpha ? 2 : 0) << what;
        EXPECT_EQ(WrongWords(engine, plain, reference), 0) << what;
        EXPECT_EQ(WrongWords(engine, material, reference), 0) << what;
        engine.ReleaseTexture(plain);
        engine.ReleaseTexture(material);
    }
}

TEST(EngineLog, ALinkUnderTheLogsNameIsReplacedNotWrittenThrough) {
    FILE *f = fopen("victim.txt", "wb");
    ASSERT_NE(f, nullptr);
    fputs("keep me", f);
    fclose(f);
    unlink("lib3d_log.txt");
    ASSERT_EQ(symlink("victim.txt", "lib3d_log.txt"), 0);
    {
        lib3d::Engine engine;
        engine.Log("first");
        engine.Log("second");
    }
    EXPECT_EQ(ReadText("victim.txt"), "keep me");
    struct stat st;
    ASSERT_EQ(lstat("lib3d_log.txt", &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(ReadText("lib3d_log.txt"), "first\nsecond\n");
    // A link planted during the run is not followed either: that line is lost.
    lib3d::Engine engine;
    engine.Log("again");
    unlink("lib3d_log.txt");
    ASSERT_EQ(symlink("victim.txt", "lib3d_log.txt"), 0);
    engine.Log("lost");
    EXPECT_EQ(ReadText("victim.txt"), "keep me");
}
