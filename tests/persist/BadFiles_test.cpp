// The player's files when something odd is under their names: a link that
// points elsewhere, a FIFO, or the temporary of a write that was killed.
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "Files.h"
#include "persist/PlayerNames.h"
#include "persist/Settings.h"
#include "persist/TextTable.h"
#include "persist/UserFolder.h"

using namespace testfiles;

namespace {

struct Watchdog {
    explicit Watchdog(unsigned seconds) { alarm(seconds); }
    ~Watchdog() { alarm(0); }
};

void LoadWordTable() {
    std::string bytes = "\xFF\xFE" + Utf16Bytes("P\r\n");
    for (int i = 2; i <= 41; i++) bytes += Utf16Bytes("line\r\n");
    WriteBytes("bad_words.txt", bytes);
    ASSERT_EQ(persist::LoadTextTableFile("bad_words.txt"), 1);
}

int CountStartingWith(const std::string &dir, const std::string &prefix) {
    int n = 0;
    DIR *d = opendir(dir.c_str());
    if (!d) return -1;
    while (dirent *e = readdir(d))
        if (std::string(e->d_name).rfind(prefix, 0) == 0) n++;
    closedir(d);
    return n;
}

bool IsRegular(const std::string &path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

class BadFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadWordTable();
        static int n = 0;
        folder_ = "bad" + std::to_string(++n) + "/";
        mkdir(folder_.c_str(), 0755);
        persist::SetUserFolder(folder_.c_str());
        persist::SetPlayerName(a_, U(u"Ann"));
        persist::SetPlayerName(b_, U(u"Bob"));
    }
    void TearDown() override { persist::SetUserFolder("./"); }
    std::string folder_;
    persist::NameBuffer a_ = {0}, b_ = {0};
};

// Runs body in a child whose file-size limit kills it (SIGXFSZ) as soon as
// a write passes `limit` bytes: a kill in the middle of writing a file.
// True when the child died of that signal.
template <typename Body>
bool KilledWhileWriting(size_t limit, Body body) {
    pid_t pid = fork();
    if (pid == 0) {
        struct rlimit core = {0, 0};
        setrlimit(RLIMIT_CORE, &core);
        struct rlimit size = {limit, limit};
        setrlimit(RLIMIT_FSIZE, &size);
        body();
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ;
}

}  // namespace

TEST_F(BadFilesTest, ANamesFileLinkedElsewhereIsReplacedAndItsTargetKept) {
    WriteBytes("precious.txt", "do not touch");
    ASSERT_EQ(symlink("../precious.txt", (folder_ + "playersname.txt").c_str()), 0);
    ASSERT_EQ(persist::SaveNames(a_, b_), 1);
    EXPECT_EQ(ReadBytes("precious.txt"), "do not touch");
    EXPECT_TRUE(IsRegular(folder_ + "playersname.txt"));
    EXPECT_EQ(ReadBytes(folder_ + "playersname.txt"), Utf16Lines({"Ann", "Bob"}));
    // The settings file too, through the same writer.
    WriteBytes("precious.ini", "[Game]\nWidth=1\n");
    ASSERT_EQ(symlink("../precious.ini", (folder_ + "config.ini").c_str()), 0);
    persist::Settings s;
    persist::SaveSettings(s, a_, b_);
    EXPECT_EQ(ReadBytes("precious.ini"), "[Game]\nWidth=1\n");
    EXPECT_TRUE(IsRegular(folder_ + "config.ini"));
}

TEST_F(BadFilesTest, AFifoInPlaceOfAFileNeitherBlocksNorIsWrittenThrough) {
    Watchdog dog(20);
    ASSERT_EQ(mkfifo((folder_ + "playersname.txt").c_str(), 0644), 0);
    persist::NameBuffer x = {0}, y = {0};
    EXPECT_EQ(persist::LoadNames(x, y), 0);  // defaults, as for a missing file
    EXPECT_EQ(Narrow(persist::WideString(x)), "P1");

    ASSERT_EQ(mkfifo("fifo_text.txt", 0644), 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(persist::LoadTextTableFile("fifo_text.txt"), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Cannot read text file\n");

    // A settings file that is a FIFO: said once, defaults, left alone.
    ASSERT_EQ(mkfifo((folder_ + "config.ini").c_str(), 0644), 0);
    persist::Settings s;
    s.width = 5;
    testing::internal::CaptureStderr();
    persist::LoadSettings(&s, x, y);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("config.ini (not a regular file): using the default settings"),
              std::string::npos)
        << err;
    EXPECT_EQ(s.width, 800);
    struct stat st;
    ASSERT_EQ(lstat((folder_ + "config.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

TEST_F(BadFilesTest, AnEndlessSettingsFileGivesTheDefaults) {
    ASSERT_EQ(symlink("/dev/zero", (folder_ + "config.ini").c_str()), 0);
    persist::Settings s;
    s.height = 3;
    testing::internal::CaptureStderr();
    persist::LoadSettings(&s, a_, b_);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("not a regular file"), std::string::npos) << err;
    EXPECT_EQ(s.height, 600);
}

TEST_F(BadFilesTest, AKilledWriteKeepsTheOldFileAndItsLeftoverGoesAtTheNextStart) {
    ASSERT_EQ(persist::SaveSettings(persist::Settings(), a_, b_), 1);
    const std::string oldIni = ReadBytes(folder_ + "config.ini");
    const std::string oldNames = ReadBytes(folder_ + "playersname.txt");
    persist::Settings wide;
    wide.width = 1920;
    // Each write dies part way, once for the settings and once for the names.
    EXPECT_TRUE(KilledWhileWriting(20, [&] { persist::SaveSettings(wide, a_, b_); }));
    EXPECT_TRUE(KilledWhileWriting(10, [&] { persist::SaveNames(b_, a_); }));
    EXPECT_EQ(ReadBytes(folder_ + "config.ini"), oldIni);
    EXPECT_EQ(ReadBytes(folder_ + "playersname.txt"), oldNames);
    EXPECT_EQ(CountStartingWith(folder_, "config.ini."), 1);
    EXPECT_EQ(CountStartingWith(folder_, "playersname.txt."), 1);

    // Files of the player that merely look alike stay.
    WriteBytes(folder_ + "config.ini.backup", "mine");
    WriteBytes(folder_ + "config.ini.201224", "mine");
    mkdir((folder_ + "captures").c_str(), 0755);
    WriteBytes(folder_ + "captures/screenshot000003.png.q1W2e3", "half");
    WriteBytes(folder_ + "captures/holiday.png.q1W2e3", "mine");
    EXPECT_EQ(persist::RemoveLeftoverTemporaries(), 3);
    EXPECT_EQ(CountStartingWith(folder_, "config.ini."), 2);  // the backups
    EXPECT_EQ(CountStartingWith(folder_, "playersname.txt."), 0);
    EXPECT_EQ(CountStartingWith(folder_ + "captures", "screenshot"), 0);
    EXPECT_EQ(ReadBytes(folder_ + "captures/holiday.png.q1W2e3"), "mine");
    EXPECT_EQ(persist::RemoveLeftoverTemporaries(), 0);
}
