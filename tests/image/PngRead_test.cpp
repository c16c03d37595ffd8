// The PNG reader, against libpng on files libpng and ImageMagick write, and
// on damaged files.
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "PngOracle.h"
#include "image/Png.h"

namespace {

// Picture samples packed at `depth` bits for a colour type, from a seed.
std::vector<uint8_t> Samples(int width, int height, int colorType, int depth, uint32_t seed,
                             int paletteSize = 0) {
    static const int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    int channels = kChannels[colorType];
    size_t rowBytes = (size_t(width) * channels * depth + 7) / 8;
    std::vector<uint8_t> out(rowBytes * height);
    std::vector<uint8_t> noise = RandomBytes(size_t(width) * height * channels * 2, seed);
    for (int y = 0; y < height; y++) {
        for (int x = 0; x < width; x++) {
            for (int c = 0; c < channels; c++) {
                size_t i = (size_t(y) * width + x) * channels + c;
                // Smooth with noise, so every filter has something to do.
                uint32_t v = uint32_t((x * 5 + y * 3 + c * 40) + noise[2 * i] % 16);
                if (depth == 16) v = v * 257 + noise[2 * i + 1];
                if (colorType == 3)
                    v = noise[2 * i] % paletteSize;
                else if (depth < 8)
                    v = noise[2 * i] & ((1 << depth) - 1);
                v &= depth == 16 ? 0xFFFF : (1u << depth) - 1;
                uint8_t *row = &out[size_t(y) * rowBytes];
                size_t s = size_t(x) * channels + c;
                if (depth == 16) {
                    row[2 * s] = uint8_t(v >> 8);
                    row[2 * s + 1] = uint8_t(v);
                } else if (depth == 8) {
                    row[s] = uint8_t(v);
                } else {
                    size_t bit = s * depth;
                    row[bit / 8] |= uint8_t(v << (8 - depth - bit % 8));
                }
            }
        }
    }
    return out;
}

void ExpectSameAsLibpng(const std::vector<uint8_t> &file, const std::string &what) {
    Image ours, theirs;
    ASSERT_TRUE(LibpngDecode(file, &theirs)) << what << ": libpng refuses it";
    std::string error;
    ASSERT_TRUE(DecodePng(file.data(), file.size(), &ours, 0, PngTint(), &error))
        << what << ": " << error;
    ASSERT_EQ(ours.width, theirs.width) << what;
    ASSERT_EQ(ours.height, theirs.height) << what;
    size_t wrong = 0, first = 0;
    for (size_t i = 0; i < ours.pixels.size(); i++) {
        if (ours.pixels[i] != theirs.pixels[i] && !wrong++) first = i;
    }
    EXPECT_EQ(wrong, 0u) << what << ": first difference at byte " << first << " (ours "
                         << int(ours.pixels[first]) << ", libpng " << int(theirs.pixels[first])
                         << ")";
}

TEST(PngReader, ReadsEveryColourTypeDepthAndFilterLibpngWrites) {
    struct Type {
        int colorType;
        std::vector<int> depths;
    } types[] = {{PNG_COLOR_TYPE_GRAY, {1, 2, 4, 8, 16}},
                 {PNG_COLOR_TYPE_RGB, {8, 16}},
                 {PNG_COLOR_TYPE_PALETTE, {1, 2, 4, 8}},
                 {PNG_COLOR_TYPE_GRAY_ALPHA, {8, 16}},
                 {PNG_COLOR_TYPE_RGB_ALPHA, {8, 16}}};
    const int filters[] = {PNG_FILTER_NONE, PNG_FILTER_SUB,   PNG_FILTER_UP,
                           PNG_FILTER_AVG,  PNG_FILTER_PAETH, PNG_ALL_FILTERS};
    int seed = 1;
    for (const Type &t : types) {
        for (int depth : t.depths) {
            for (bool interlace : {false, true}) {
                for (int filter : filters) {
                    int paletteSize = t.colorType == 3 ? (1 << depth) - (depth > 1 ? 1 : 0) : 0;
                    std::vector<uint8_t> palette = RandomBytes(size_t(paletteSize) * 3, 77);
                    int w = 37 + seed % 5, h = 23;
                    std::vector<uint8_t> samples =
                        Samples(w, h, t.colorType, depth, uint32_t(seed++), paletteSize);
                    std::vector<uint8_t> file;
                    ASSERT_TRUE(LibpngEncode(w, h, t.colorType, depth, samples, &file, filter,
                                             interlace, palette));
                    ExpectSameAsLibpng(file, "type " + std::to_string(t.colorType) + " depth " +
                                                 std::to_string(depth) + " filter " +
                                                 std::to_string(filter) +
                                                 (interlace ? " interlaced" : ""));
                }
            }
        }
    }
}

TEST(PngReader, TransparencyChunksGiveAlpha) {
    // Palette with fewer tRNS entries than colours: the rest stay opaque.
    std::vector<uint8_t> palette = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9};
    std::vector<uint8_t> samples = Samples(16, 8, PNG_COLOR_TYPE_PALETTE, 2, 5, 4), file;
    ASSERT_TRUE(LibpngEncode(16, 8, PNG_COLOR_TYPE_PALETTE, 2, samples, &file, PNG_FILTER_NONE,
                             false, palette, {0, 128}));
    ExpectSameAsLibpng(file, "palette with tRNS");
    Image img;
    ASSERT_TRUE(DecodePng(file.data(), file.size(), &img, 4));
    EXPECT_EQ(img.pixels[3], samples[0] >> 6 == 0   ? 0
                             : samples[0] >> 6 == 1 ? 128
                                                    : 255)
        << "the alpha mode does not override tRNS";

    // Grey and RGB colour keys, at 8 and 16 bits.
    for (int depth : {8, 16}) {
        std::vector<uint8_t> grey = Samples(20, 10, PNG_COLOR_TYPE_GRAY, depth, 6);
        std::vector<uint8_t> key(grey.begin(), grey.begin() + depth / 8);
        if (depth == 8) key.insert(key.begin(), 0);
        ASSERT_TRUE(LibpngEncode(20, 10, PNG_COLOR_TYPE_GRAY, depth, grey, &file, PNG_FILTER_UP,
                                 false, {}, key));
        ExpectSameAsLibpng(file, "grey key at " + std::to_string(depth));
        ASSERT_TRUE(DecodePng(file.data(), file.size(), &img, 0));
        EXPECT_EQ(img.pixels[3], 0);

        std::vector<uint8_t> rgb = Samples(20, 10, PNG_COLOR_TYPE_RGB, depth, 7);
        std::vector<uint8_t> rgbKey;
        for (int c = 0; c < 3; c++) {
            rgbKey.push_back(depth == 16 ? rgb[2 * c] : 0);
            rgbKey.push_back(depth == 16 ? rgb[2 * c + 1] : rgb[c]);
        }
        ASSERT_TRUE(LibpngEncode(20, 10, PNG_COLOR_TYPE_RGB, depth, rgb, &file, PNG_FILTER_SUB,
                                 false, {}, rgbKey));
        ExpectSameAsLibpng(file, "RGB key at " + std::to_string(depth));
        ASSERT_TRUE(DecodePng(file.data(), file.size(), &img, 0));
        EXPECT_EQ(img.pixels[3], 0);
        EXPECT_EQ(img.pixels[7], 255);
    }
}

bool HaveConvert() {
    return system("convert -version >/dev/null 2>&1") == 0;
}

// Writes a picture as a binary PAM (RGB or RGBA) for ImageMagick to convert.
void WritePam(const char *path, const Image &img, bool alpha) {
    FILE *f = fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    fprintf(f, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH %d\nMAXVAL 255\nTUPLTYPE %s\nENDHDR\n", img.width,
            img.height, alpha ? 4 : 3, alpha ? "RGB_ALPHA" : "RGB");
    for (size_t i = 0; i < img.pixels.size(); i += 4) fwrite(&img.pixels[i], 1, alpha ? 4 : 3, f);
    fclose(f);
}

std::vector<uint8_t> Slurp(const char *path) {
    std::vector<uint8_t> bytes;
    FILE *f = fopen(path, "rb");
    if (!f) return bytes;
    uint8_t buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
    fclose(f);
    return bytes;
}

TEST(PngReader, ReadsWhatImageMagickWrites) {
    if (!HaveConvert()) GTEST_SKIP() << "ImageMagick's convert is not installed";
    Image photo = PhotoLikeImage(61, 47, 11);
    Image cutout = photo;  // a few colours with binary transparency, for palettes
    for (size_t i = 0; i < cutout.pixels.size(); i += 4) {
        for (int c = 0; c < 3; c++) cutout.pixels[i + c] &= 0xC0;
        cutout.pixels[i + 3] = (i / 4) % 7 == 0 ? 0 : 255;
    }
    Image soft = photo;  // smooth alpha
    for (size_t i = 0; i < soft.pixels.size(); i += 4) soft.pixels[i + 3] = uint8_t(i / 4 % 256);
    WritePam("photo.pam", photo, false);
    WritePam("cutout.pam", cutout, true);
    WritePam("soft.pam", soft, true);

    struct Case {
        const char *source, *options;
        int colorType, depth;
    } cases[] = {
        {"photo.pam", "PNG24:", 2, 8},
        {"soft.pam", "PNG32:", 6, 8},
        {"photo.pam", "-colorspace Gray -define png:color-type=0 -define png:bit-depth=8 PNG:", 0,
         8},
        {"soft.pam", "-colorspace Gray -define png:color-type=4 -define png:bit-depth=8 PNG:", 4,
         8},
        {"cutout.pam", "PNG8:", 3, 8},
        {"photo.pam", "PNG48:", 2, 16},
        {"soft.pam", "PNG64:", 6, 16},
        {"photo.pam", "-interlace PNG PNG24:", 2, 8},
        {"photo.pam",
         "-colorspace Gray -depth 4 -define png:color-type=0 -define png:bit-depth=4 PNG:", 0, 4},
    };
    int n = 0;
    for (const Case &c : cases) {
        for (int filter = 0; filter <= 5; filter++) {
            std::string out = "im" + std::to_string(n++) + ".png";
            std::string cmd = std::string("convert ") + c.source +
                              " -define png:compression-filter=" + std::to_string(filter) + " " +
                              c.options + out;
            ASSERT_EQ(system(cmd.c_str()), 0) << cmd;
            std::vector<uint8_t> file = Slurp(out.c_str());
            ASSERT_GT(file.size(), 33u) << cmd;
            // The case really is the colour type and depth it means to be.
            EXPECT_EQ(file[25], c.colorType) << cmd;
            EXPECT_EQ(file[24], c.depth) << cmd;
            ExpectSameAsLibpng(file, cmd);
            Image img;
            EXPECT_TRUE(ReadPng(out.c_str(), &img, 0)) << cmd;
        }
    }
}

TEST(PngReader, ReadsBackWhatTheWriterWrote) {
    Image photo = PhotoLikeImage(99, 51, 2);
    for (int filter = 0; filter <= 3; filter++) {
        ASSERT_TRUE(WritePng("back.png", photo, filter));
        Image img;
        ASSERT_TRUE(ReadPng("back.png", &img, 0));
        ASSERT_EQ(img.width, 99);
        ASSERT_EQ(img.height, 51);
        const uint8_t mask[4] = {0xF8, 0xFC, 0xF8, 0};
        size_t wrong = 0;
        for (size_t i = 0; i < img.pixels.size(); i++)
            wrong += img.pixels[i] != (i % 4 == 3 ? 255 : (photo.pixels[i] & mask[i % 4]));
        EXPECT_EQ(wrong, 0u) << "filter " << filter;
    }
}

// A one-row RGB picture of the given colours, written by libpng.
std::vector<uint8_t> RgbRow(const std::vector<std::array<uint8_t, 3>> &colors) {
    std::vector<uint8_t> samples, file;
    for (const auto &c : colors) samples.insert(samples.end(), c.begin(), c.end());
    LibpngEncode(int(colors.size()), 1, PNG_COLOR_TYPE_RGB, 8, samples, &file, PNG_FILTER_NONE);
    return file;
}

TEST(PngReader, AlphaModes) {
    std::vector<uint8_t> file =
        RgbRow({{255, 0, 255}, {253, 2, 254}, {252, 0, 255}, {3, 3, 3}, {3, 3, 4}, {0, 0, 0}});
    Image img;
    ASSERT_TRUE(DecodePng(file.data(), file.size(), &img, 7));
    const std::vector<uint8_t> keyed = {0, 0, 0, 0,   0, 0, 0, 0,   252, 0, 255, 255,
                                        3, 3, 3, 255, 3, 3, 4, 255, 0,   0, 0,   255};
    EXPECT_EQ(img.pixels, keyed);
    ASSERT_TRUE(DecodePng(file.data(), file.size(), &img, 1));
    for (int x = 0; x < 6; x++)
        EXPECT_EQ(img.pixels[4 * x + 3], x == 3 || x == 5 ? 0 : 255) << "mode 1, pixel " << x;
    const int constant[8] = {255, -1, -1, 128, 70, 150, 255, -1};
    for (int mode : {0, 3, 4, 5, 6}) {
        ASSERT_TRUE(DecodePng(file.data(), file.size(), &img, mode));
        for (int x = 0; x < 6; x++) EXPECT_EQ(img.pixels[4 * x + 3], constant[mode]) << mode;
        EXPECT_EQ(img.pixels[0], 255) << "colours are kept";
    }

    // Mode 2: 0 below a luminance of 0.2, 255 above 0.7, a ramp between.
    file = RgbRow({{0, 72, 0},       // S = 504
                   {0, 73, 0},       // S = 511
                   {100, 100, 100},  // S = 1000
                   {0, 255, 0},      // S = 1785
                   {0, 255, 1},      // S = 1786
                   {255, 255, 255}});
    ASSERT_TRUE(DecodePng(file.data(), file.size(), &img, 2));
    const int ramp[6] = {0, 0, 98, 255, 255, 255};
    for (int x = 0; x < 6; x++) EXPECT_EQ(img.pixels[4 * x + 3], ramp[x]) << "mode 2, pixel " << x;
    EXPECT_EQ(img.pixels[8], 100) << "no tint: colours kept";
    PngTint tint;
    tint.enabled = true;
    tint.red = 10, tint.green = 20, tint.blue = 30;
    ASSERT_TRUE(DecodePng(file.data(), file.size(), &img, 2, tint));
    for (int x = 0; x < 6; x++) {
        EXPECT_EQ(img.pixels[4 * x], 10);
        EXPECT_EQ(img.pixels[4 * x + 1], 20);
        EXPECT_EQ(img.pixels[4 * x + 2], 30);
        EXPECT_EQ(img.pixels[4 * x + 3], ramp[x]);
    }

    // Pictures with their own alpha keep it whatever the mode.
    std::vector<uint8_t> rgba = {255, 0, 255, 77, 1, 1, 1, 200}, withAlpha;
    ASSERT_TRUE(LibpngEncode(2, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8, rgba, &withAlpha, PNG_FILTER_NONE));
    for (int mode = 0; mode <= 7; mode++) {
        ASSERT_TRUE(DecodePng(withAlpha.data(), withAlpha.size(), &img, mode, tint));
        EXPECT_EQ(img.pixels, rgba) << "mode " << mode;
    }
    std::string error;
    EXPECT_FALSE(DecodePng(withAlpha.data(), withAlpha.size(), &img, 8, tint, &error));
    EXPECT_EQ(error, "unknown alpha mode 8");
}

// Builds a PNG from chunks, with correct CRCs unless told otherwise.
struct PngBuilder {
    PngBuilder() {
        static const uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};
        bytes.assign(kSignature, kSignature + 8);
    }
    std::vector<uint8_t> bytes;
    PngBuilder &Chunk(const char *type, const std::vector<uint8_t> &data, bool goodCrc = true) {
        uint32_t len = uint32_t(data.size());
        for (int s = 24; s >= 0; s -= 8) bytes.push_back(uint8_t(len >> s));
        size_t at = bytes.size();
        bytes.insert(bytes.end(), type, type + 4);
        bytes.insert(bytes.end(), data.begin(), data.end());
        uint32_t crc = uint32_t(crc32(0, &bytes[at], uInt(len + 4))) ^ (goodCrc ? 0 : 1);
        for (int s = 24; s >= 0; s -= 8) bytes.push_back(uint8_t(crc >> s));
        return *this;
    }
    PngBuilder &Header(uint32_t w, uint32_t h, int depth = 8, int type = 2, int interlace = 0) {
        return Chunk("IHDR", {uint8_t(w >> 24), uint8_t(w >> 16), uint8_t(w >> 8), uint8_t(w),
                              uint8_t(h >> 24), uint8_t(h >> 16), uint8_t(h >> 8), uint8_t(h),
                              uint8_t(depth), uint8_t(type), 0, 0, uint8_t(interlace)});
    }
    PngBuilder &Data(const std::vector<uint8_t> &raw) {
        return Chunk("IDAT", ZlibDeflate(raw, 6, Z_DEFAULT_STRATEGY));
    }
    PngBuilder &End() { return Chunk("IEND", {}); }
};

std::string DecodeError(const std::vector<uint8_t> &file) {
    Image img;
    img.width = 5;  // must come back empty
    img.pixels.resize(9);
    std::string error;
    if (DecodePng(file.data(), file.size(), &img, 0, PngTint(), &error)) return "ok";
    EXPECT_TRUE(img.pixels.empty() && img.width == 0 && img.height == 0) << error;
    return error;
}

TEST(PngReader, RefusesDamagedFiles) {
    // 2 x 2 RGB, filter 0.
    std::vector<uint8_t> raw = {0, 1, 2, 3, 4, 5, 6, 0, 7, 8, 9, 10, 11, 12};
    EXPECT_EQ(DecodeError(PngBuilder().Header(2, 2).Data(raw).End().bytes), "ok");

    std::vector<uint8_t> good = PngBuilder().Header(2, 2).Data(raw).End().bytes;
    for (size_t n = 0; n < good.size(); n++) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + n);
        EXPECT_NE(DecodeError(cut), "ok") << n << " bytes";
    }
    for (size_t i = 8; i < good.size(); i++) {
        std::vector<uint8_t> bad = good;
        bad[i] ^= 0x10;
        EXPECT_NE(DecodeError(bad), "ok") << "byte " << i << " changed";
    }

    EXPECT_EQ(DecodeError(PngBuilder().Header(2, 2, 8, 2).Data(raw).Chunk("IEND", {}, false).bytes),
              "bad CRC in IEND chunk");
    EXPECT_EQ(DecodeError(PngBuilder().Header(16385, 1).Data(raw).End().bytes),
              "picture too large (16385 x 1, at most 16384 on a side)");
    EXPECT_EQ(DecodeError(PngBuilder().Header(0, 4).Data(raw).End().bytes),
              "empty picture (0 x 4)");
    EXPECT_EQ(DecodeError(PngBuilder().Header(2, 2, 4, 2).Data(raw).End().bytes),
              "bad bit depth 4 for colour type 2");
    EXPECT_EQ(DecodeError(PngBuilder().Header(2, 2, 8, 5).Data(raw).End().bytes),
              "unknown colour type 5");
    EXPECT_EQ(DecodeError(PngBuilder().Data(raw).Header(2, 2).End().bytes),
              "first chunk is not IHDR");
    EXPECT_EQ(DecodeError(PngBuilder().Header(2, 2).End().bytes), "no IDAT chunk");
    EXPECT_EQ(DecodeError(PngBuilder().Header(2, 2, 8, 3).Data(raw).End().bytes),
              "palette picture without PLTE");
    EXPECT_EQ(DecodeError(PngBuilder().Header(2, 2).Chunk("ABCD", {1}).Data(raw).End().bytes),
              "unknown critical chunk ABCD");
    EXPECT_EQ(DecodeError(PngBuilder().Header(2, 2).Chunk("abCd", {1}).Data(raw).End().bytes),
              "ok");
    EXPECT_EQ(DecodeError(PngBuilder().Header(2, 2).Chunk("IHD1", {}).End().bytes),
              "bad chunk type at byte 37");

    // The image data split over IDAT chunks, in order, reads; interrupted
    // by another chunk it does not.
    std::vector<uint8_t> z = ZlibDeflate(raw, 6, Z_DEFAULT_STRATEGY);
    std::vector<uint8_t> z1(z.begin(), z.begin() + 5), z2(z.begin() + 5, z.end());
    EXPECT_EQ(DecodeError(PngBuilder()
                              .Header(2, 2)
                              .Chunk("IDAT", z1)
                              .Chunk("IDAT", {})
                              .Chunk("IDAT", z2)
                              .End()
                              .bytes),
              "ok");
    EXPECT_EQ(DecodeError(PngBuilder()
                              .Header(2, 2)
                              .Chunk("IDAT", z1)
                              .Chunk("tEXt", {'a', 0})
                              .Chunk("IDAT", z2)
                              .End()
                              .bytes),
              "IDAT chunks are not consecutive");

    // Image data of the wrong size or with an unknown filter.
    std::vector<uint8_t> shortRaw(raw.begin(), raw.end() - 1), longRaw = raw, badFilter = raw;
    longRaw.push_back(0);
    badFilter[7] = 5;
    EXPECT_EQ(DecodeError(PngBuilder().Header(2, 2).Data(shortRaw).End().bytes),
              "image data too short");
    EXPECT_EQ(DecodeError(PngBuilder().Header(2, 2).Data(longRaw).End().bytes),
              "corrupt image data (output too large)");
    EXPECT_EQ(DecodeError(PngBuilder().Header(2, 2).Data(badFilter).End().bytes),
              "bad filter type 5 in row 1");
    EXPECT_EQ(DecodeError(PngBuilder().Header(2, 2).Chunk("IDAT", {0x78, 0x9C, 0xFF}).End().bytes),
              "corrupt image data (invalid block type)");

    // A huge declared picture with little data fails without taking the
    // memory the header asks for.
    EXPECT_EQ(DecodeError(PngBuilder().Header(16384, 16384, 16, 6).Data(raw).End().bytes),
              "image data too short");
}

TEST(PngReader, PaletteIndicesPastThePaletteReadAsBlack) {
    PngBuilder b;
    b.Header(3, 1, 8, 3).Chunk("PLTE", {10, 20, 30, 40, 50, 60}).Data({0, 1, 0, 7}).End();
    Image img;
    ASSERT_TRUE(DecodePng(b.bytes.data(), b.bytes.size(), &img, 0));
    EXPECT_EQ(img.pixels, (std::vector<uint8_t>{40, 50, 60, 255, 10, 20, 30, 255, 0, 0, 0, 255}));
}

TEST(PngReader, ReadPngReportsMissingFiles) {
    Image img;
    img.width = 3;
    EXPECT_FALSE(ReadPng("missing.png", &img, 0));
    EXPECT_EQ(img.width, 0);
    FILE *f = fopen("text.png", "wb");
    fputs("not a picture", f);
    fclose(f);
    EXPECT_FALSE(ReadPng("text.png", &img, 0));
    EXPECT_TRUE(img.pixels.empty());
}

}  // namespace
