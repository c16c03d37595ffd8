// Reading only regular files, within a cap and without blocking; writing
// that replaces what is under a name (a link, a FIFO) and never goes through
// it; and the clean-up of temporaries an interrupted write left behind.
#include "platform/SafeFile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/Ini.h"

using namespace platform;

namespace {

void Write(const char *path, const std::string &text) {
    unlink(path);
    FILE *f = fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
}

std::string Read(const char *path) {
    std::string s;
    FILE *f = fopen(path, "rb");
    if (!f) return "<missing>";
    int c;
    while ((c = fgetc(f)) != EOF) s.push_back(char(c));
    fclose(f);
    return s;
}

bool IsLink(const char *path) {
    struct stat st;
    return lstat(path, &st) == 0 && S_ISLNK(st.st_mode);
}

// A blocked open would hang the test: the alarm ends it instead, as a failure.
struct Watchdog {
    explicit Watchdog(unsigned seconds) { alarm(seconds); }
    ~Watchdog() { alarm(0); }
};

void MakeFifo(const char *path) {
    unlink(path);
    ASSERT_EQ(mkfifo(path, 0644), 0);
}

}  // namespace

TEST(SafeRead, OnlyRegularFilesAreReadAndNothingBlocks) {
    Watchdog dog(20);
    Write("plain.txt", "hello");
    std::string text;
    EXPECT_EQ(ReadRegularFile("plain.txt", 100, &text), FileOk);
    EXPECT_EQ(text, "hello");
    // A link to a regular file reads like the file.
    unlink("plain.link");
    ASSERT_EQ(symlink("plain.txt", "plain.link"), 0);
    EXPECT_EQ(ReadRegularFile("plain.link", 100, &text), FileOk);
    EXPECT_EQ(text, "hello");

    MakeFifo("pipe.txt");
    EXPECT_EQ(ReadRegularFile("pipe.txt", 100, &text), FileNotRegular);
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(OpenRegularStream("pipe.txt", nullptr), nullptr);
    std::vector<uint8_t> bytes;
    EXPECT_EQ(ReadRegularFile("/dev/zero", 100, &bytes), FileNotRegular);
    mkdir("folder.txt", 0755);
    EXPECT_EQ(ReadRegularFile("folder.txt", 100, &bytes), FileNotRegular);
    EXPECT_EQ(ReadRegularFile("no-such-file.txt", 100, &bytes), FileMissing);
    unlink("dangling.txt");
    ASSERT_EQ(symlink("nowhere/at/all", "dangling.txt"), 0);
    EXPECT_EQ(ReadRegularFile("dangling.txt", 100, &bytes), FileMissing);
    EXPECT_EQ(ReadRegularFile(nullptr, 100, &bytes), FileMissing);
    EXPECT_STREQ(FileStatusText(FileNotRegular), "not a regular file");
}

TEST(SafeRead, TheCapIsExactAndALargerFileIsRefusedWhole) {
    Write("ten.bin", "0123456789");
    std::vector<uint8_t> bytes;
    EXPECT_EQ(ReadRegularFile("ten.bin", 10, &bytes), FileOk);
    EXPECT_EQ(bytes.size(), 10u);
    EXPECT_EQ(ReadRegularFile("ten.bin", 9, &bytes), FileTooLarge);
    EXPECT_TRUE(bytes.empty());
    Write("empty.bin", "");
    EXPECT_EQ(ReadRegularFile("empty.bin", 0, &bytes), FileOk);
    EXPECT_TRUE(bytes.empty());
}

TEST(SafeRead, SettingsFromAnEndlessOrBlockingFileGiveTheDefaults) {
    Watchdog dog(20);
    // Both once ended the program: /dev/zero by exhausting memory, a FIFO
    // by blocking start-up for ever.
    unlink("endless.ini");
    ASSERT_EQ(symlink("/dev/zero", "endless.ini"), 0);
    EXPECT_EQ(IniGetInt("Game", "Width", 800, "endless.ini"), 800);
    MakeFifo("fifo.ini");
    EXPECT_EQ(IniGetString("Path", "GamePath", "./", "fifo.ini"), "./");
    // And a write leaves such a thing alone rather than guessing.
    EXPECT_FALSE(IniWriteString("Game", "Width", "640", "fifo.ini"));
    struct stat st;
    ASSERT_EQ(lstat("fifo.ini", &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    // An oversized settings file reads as unreadable too.
    Write("huge.ini", "[Game]\nWidth=640\n" + std::string(kIniMaxFileSize, ';'));
    EXPECT_EQ(IniGetInt("Game", "Width", 800, "huge.ini"), 800);
}

TEST(SafeWrite, ReplacingANameReplacesALinkAndLeavesItsTargetAlone) {
    Write("victim.txt", "precious");
    unlink("name.txt");
    ASSERT_EQ(symlink("victim.txt", "name.txt"), 0);
    ASSERT_TRUE(ReplaceFileAtomically("name.txt", "new", 3));
    EXPECT_FALSE(IsLink("name.txt"));
    EXPECT_EQ(Read("name.txt"), "new");
    EXPECT_EQ(Read("victim.txt"), "precious");
    // A FIFO under the name is replaced the same way, without blocking.
    Watchdog dog(20);
    MakeFifo("piped.txt");
    ASSERT_TRUE(ReplaceFileAtomically("piped.txt", "x", 1));
    EXPECT_EQ(Read("piped.txt"), "x");
    // A regular file keeps its permissions.
    chmod("piped.txt", 0600);
    ASSERT_TRUE(ReplaceFileAtomically("piped.txt", "y", 1));
    struct stat st;
    ASSERT_EQ(stat("piped.txt", &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_FALSE(ReplaceFileAtomically("no/such/folder/x.txt", "z", 1));
}

TEST(SafeWrite, CreatingNeverTakesAnExistingNameNotEvenADanglingLink) {
    mkdir("out", 0755);
    unlink("out/taken.png");
    unlink("elsewhere.png");
    ASSERT_EQ(symlink("../elsewhere.png", "out/taken.png"), 0);
    bool exists = false;
    EXPECT_FALSE(CreateFileAtomically("out/taken.png", "data", 4, &exists));
    EXPECT_TRUE(exists);
    EXPECT_EQ(Read("elsewhere.png"), "<missing>");
    EXPECT_TRUE(IsLink("out/taken.png"));

    unlink("out/free.png");
    ASSERT_TRUE(CreateFileAtomically("out/free.png", "data", 4, &exists));
    EXPECT_FALSE(exists);
    EXPECT_EQ(Read("out/free.png"), "data");
    EXPECT_FALSE(CreateFileAtomically("out/free.png", "more", 4, &exists));
    EXPECT_TRUE(exists);
    EXPECT_EQ(Read("out/free.png"), "data");
    // No temporary is left by either outcome.
    EXPECT_EQ(RemoveTemporaries("out", [](const std::string &) { return true; }), 0);
}

TEST(SafeWrite, ALogIsNeverOpenedThroughALinkOrOnAFifo) {
    Watchdog dog(20);
    Write("target.log", "keep");
    unlink("linked.log");
    ASSERT_EQ(symlink("target.log", "linked.log"), 0);
    EXPECT_LT(OpenForWritingNoFollow("linked.log", false), 0);
    EXPECT_LT(OpenForWritingNoFollow("linked.log", true), 0);
    EXPECT_EQ(Read("target.log"), "keep");
    MakeFifo("fifo.log");
    EXPECT_LT(OpenForWritingNoFollow("fifo.log", true), 0);

    Write("plain.log", "old text");
    int fd = OpenForWritingNoFollow("plain.log", false);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "new", 3), 3);
    close(fd);
    EXPECT_EQ(Read("plain.log"), "new");  // truncated, not overwritten in place
    fd = OpenForWritingNoFollow("plain.log", true);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "+", 1), 1);
    close(fd);
    EXPECT_EQ(Read("plain.log"), "new+");
}

TEST(Temporaries, OnlyOurOwnLeftoversAreRemoved) {
    mkdir("tmps", 0755);
    const char *ours[] = {"tmps/config.ini.AbC123", "tmps/config.ini.zzzzz9",
                          "tmps/playersname.txt.0A0000"};
    // Near misses, and backups a player may have made by hand.
    const char *kept[] = {"tmps/config.ini",         "tmps/config.ini.AbC12",
                          "tmps/config.ini.AbC1234", "tmps/config.ini.AbC12-",
                          "tmps/other.txt.AbC123",   "tmps/config.ini.backup",
                          "tmps/config.ini.Backup",  "tmps/config.ini.201224"};
    for (const char *p : ours) Write(p, "x");
    for (const char *p : kept) Write(p, "x");
    auto isOurs = [](const std::string &base) {
        return base == "config.ini" || base == "playersname.txt";
    };
    EXPECT_EQ(RemoveTemporaries("tmps", isOurs), 3);
    for (const char *p : ours) EXPECT_EQ(Read(p), "<missing>") << p;
    for (const char *p : kept) EXPECT_EQ(Read(p), "x") << p;
    EXPECT_EQ(RemoveTemporaries("no-such-folder", isOurs), 0);
    EXPECT_TRUE(IsTemporaryOf("a.png.Xy7Z0q", "a.png"));
    EXPECT_FALSE(IsTemporaryOf("a.png.Xy7Z0q", "b.png"));
    EXPECT_FALSE(IsTemporaryOf("a.pngXXy7Z0q", "a.png"));
    // The writers only ever make names the clean-up recognises.
    for (int i = 0; i < 200; i++) {
        std::string name;
        int fd = CreateTemporaryBeside("tmps/made", &name);
        ASSERT_GE(fd, 0);
        close(fd);
        EXPECT_TRUE(IsTemporaryOf(name, "tmps/made")) << name;
        unlink(name.c_str());
    }
}
