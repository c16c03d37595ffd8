// Pictures against odd things on disk: a FIFO where a picture should be, a
// link planted at the next screenshot name, a screenshot write killed half
// way; and every PNG kind the reader accepts, through both picture loaders.
#include <dirent.h>
#include <gtest/gtest.h>
#include <png.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "PngOracle.h"
#include "image/PictureFile.h"
#include "image/Png.h"

namespace {

struct Watchdog {
    explicit Watchdog(unsigned seconds) { alarm(seconds); }
    ~Watchdog() { alarm(0); }
};

void WriteBytes(const std::string &path, const std::vector<uint8_t> &bytes) {
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

std::vector<uint8_t> ReadBytes(const std::string &path) {
    std::vector<uint8_t> out;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return out;
    int c;
    while ((c = fgetc(f)) != EOF) out.push_back(uint8_t(c));
    fclose(f);
    return out;
}

bool Exists(const std::string &path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> Entries(const std::string &dir) {
    std::vector<std::string> names;
    DIR *d = opendir(dir.c_str());
    if (!d) return names;
    while (dirent *e = readdir(d))
        if (e->d_name[0] != '.') names.push_back(e->d_name);
    closedir(d);
    return names;
}

Image Noise(int w, int h) {
    Image image;
    image.width = w;
    image.height = h;
    image.pixels = RandomBytes(size_t(w) * h * 4, 7);
    return image;
}

}  // namespace

TEST(PictureFiles, AFifoOrDeviceInPlaceOfAPictureIsRefusedAtOnce) {
    Watchdog dog(20);
    unlink("pipe.png");
    ASSERT_EQ(mkfifo("pipe.png", 0644), 0);
    Image image;
    bool alpha = true;
    EXPECT_EQ(ReadPicture("pipe.png", &image, &alpha), 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReadPng("pipe.png", &image, 0), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Cannot read pipe.png: not a regular file\n");
    EXPECT_EQ(ReadPicture("/dev/zero", &image, &alpha), 0);
    EXPECT_TRUE(image.pixels.empty());
}

TEST(Screenshots, ALinkAtTheNextNameIsTakenEvenWhenItLeadsNowhere) {
    mkdir("caps", 0755);
    unlink("outside.png");
    // Dangling, pointing out of the folder: writing through it would put the
    // picture where the link says.
    ASSERT_EQ(symlink("../outside.png", "caps/shot0000.png"), 0);
    char name[256];
    ASSERT_TRUE(FindScreenshotName("caps/shot", name, sizeof name));
    EXPECT_STREQ(name, "caps/shot0001.png");
    ASSERT_EQ(WriteScreenshot("caps/shot", Noise(8, 8)), 1);
    EXPECT_FALSE(Exists("outside.png"));
    Image back;
    EXPECT_EQ(ReadPng("caps/shot0001.png", &back, 0), 1);
    EXPECT_EQ(back.width, 8);
}

TEST(Screenshots, ANameTakenBetweenSearchAndWriteIsNeverReplaced) {
    mkdir("race", 0755);
    WriteBytes("race/s0000.png", {'o', 'l', 'd'});
    bool taken = false;
    EXPECT_EQ(WriteNewPng("race/s0000.png", Noise(4, 4), PngFilterSub, &taken), 0);
    EXPECT_TRUE(taken);
    EXPECT_EQ(ReadBytes("race/s0000.png"), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(Entries("race").size(), 1u);  // no temporary left beside it
}

TEST(Screenshots, AWriteKilledHalfWayLeavesNoHalfPicture) {
    mkdir("killed", 0755);
    const Image big = Noise(200, 150);  // about 90 kB of PNG
    for (size_t limit : {size_t(0), size_t(100), size_t(20000)}) {
        pid_t pid = fork();
        if (pid == 0) {
            struct rlimit none = {0, 0};
            setrlimit(RLIMIT_CORE, &none);
            // The size limit kills the writer with SIGXFSZ mid-file.
            struct rlimit size = {limit, limit};
            setrlimit(RLIMIT_FSIZE, &size);
            WriteScreenshot("killed/shot", big);
            _exit(0);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << limit;
    }
    // Whatever is left is not a screenshot: no file of a screenshot's name.
    for (const std::string &name : Entries("killed"))
        EXPECT_NE(name.substr(name.size() - 4), ".png") << name;
    // And a whole write afterwards is whole.
    ASSERT_EQ(WriteScreenshot("killed/shot", big), 1);
    Image back;
    ASSERT_EQ(ReadPng("killed/shot0000.png", &back, 0), 1);
    EXPECT_EQ(back.width, 200);
}

TEST(PngWriter, ReplacesALinkInsteadOfWritingThroughIt) {
    WriteBytes("kept.bin", {1, 2, 3});
    unlink("pic.png");
    ASSERT_EQ(symlink("kept.bin", "pic.png"), 0);
    ASSERT_EQ(WritePng("pic.png", Noise(3, 3), PngFilterNone), 1);
    EXPECT_EQ(ReadBytes("kept.bin"), (std::vector<uint8_t>{1, 2, 3}));
    Image back;
    EXPECT_EQ(ReadPng("pic.png", &back, 0), 1);
}

// Every colour type and depth, with and without a transparency chunk, loads
// through the picture loader of the engine's textures with the same pixels
// as the PNG reader gives, and through the reader in every alpha mode.
TEST(PictureLoaders, EveryPngKindLoadsAlikeThroughEveryLoader) {
    struct Kind {
        int colorType, depth;
        std::vector<uint8_t> trns;
    };
    const std::vector<Kind> kinds = {
        {PNG_COLOR_TYPE_GRAY, 1, {}},
        {PNG_COLOR_TYPE_GRAY, 2, {}},
        {PNG_COLOR_TYPE_GRAY, 4, {}},
        {PNG_COLOR_TYPE_GRAY, 8, {}},
        {PNG_COLOR_TYPE_GRAY, 16, {}},
        {PNG_COLOR_TYPE_GRAY, 8, {0, 7}},
        {PNG_COLOR_TYPE_RGB, 8, {}},
        {PNG_COLOR_TYPE_RGB, 16, {}},
        {PNG_COLOR_TYPE_RGB, 8, {0, 1, 0, 2, 0, 3}},
        {PNG_COLOR_TYPE_PALETTE, 1, {}},
        {PNG_COLOR_TYPE_PALETTE, 2, {}},
        {PNG_COLOR_TYPE_PALETTE, 4, {}},
        {PNG_COLOR_TYPE_PALETTE, 8, {}},
        {PNG_COLOR_TYPE_PALETTE, 8, {0, 90}},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 8, {}},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 16, {}},
        {PNG_COLOR_TYPE_RGB_ALPHA, 8, {}},
        {PNG_COLOR_TYPE_RGB_ALPHA, 16, {}},
    };
    static const int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    int n = 0;
    for (const Kind &k : kinds) {
        for (bool interlace : {false, true}) {
            const int w = 19, h = 11;
            const size_t rowBytes = (size_t(w) * kChannels[k.colorType] * k.depth + 7) / 8;
            std::vector<uint8_t> samples = RandomBytes(rowBytes * h, uint32_t(100 + n));
            std::vector<uint8_t> palette;
            if (k.colorType == PNG_COLOR_TYPE_PALETTE) {
                palette = RandomBytes(size_t(3) << k.depth, 5);
            }
            std::vector<uint8_t> file;
            ASSERT_TRUE(LibpngEncode(w, h, k.colorType, k.depth, samples, &file, PNG_ALL_FILTERS,
                                     interlace, palette, k.trns));
            const std::string what = "type " + std::to_string(k.colorType) + " depth " +
                                     std::to_string(k.depth) + (k.trns.empty() ? "" : " tRNS") +
                                     (interlace ? " interlaced" : "");
            const std::string path = "kind" + std::to_string(n++) + ".png";
            WriteBytes(path, file);

            Image reference;
            ASSERT_EQ(ReadPng(path.c_str(), &reference, 0), 1) << what;
            Image picture;
            bool alpha = false;
            ASSERT_EQ(ReadPicture(path.c_str(), &picture, &alpha), 1) << what;
            EXPECT_EQ(picture.width, w) << what;
            EXPECT_EQ(picture.height, h) << what;
            EXPECT_TRUE(picture.pixels == reference.pixels) << what;
            const bool expectAlpha = (k.colorType & 4) || !k.trns.empty();
            EXPECT_EQ(alpha, expectAlpha) << what;
            for (int mode = 0; mode <= 7; mode++) {
                Image keyed;
                EXPECT_EQ(ReadPng(path.c_str(), &keyed, mode), 1) << what << " mode " << mode;
            }
        }
    }
}
