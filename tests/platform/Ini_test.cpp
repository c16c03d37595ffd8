#include "platform/Ini.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

using namespace platform;

namespace {

void Write(const char *path, const std::string &text) {
    FILE *f = fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
}

std::string Read(const char *path) {
    std::string s;
    EXPECT_TRUE(ReadWholeFile(path, &s)) << path;
    return s;
}

// Files in the folder whose names start with prefix (leftover temporaries).
int CountFiles(const char *dir, const std::string &prefix) {
    int n = 0;
    DIR *d = opendir(dir);
    if (!d) return -1;
    while (dirent *e = readdir(d))
        if (std::string(e->d_name).rfind(prefix, 0) == 0) n++;
    closedir(d);
    return n;
}

}  // namespace

TEST(IniRead, NamesIgnoreCaseAndValuesAreTrimmed) {
    Write("a.ini", "; comment\n[Game]\n  width = 1024  \nLang=\"fr\"\n[PATH]\nGamePath=.\\\n");
    EXPECT_EQ(IniGetInt("game", "WIDTH", 5, "a.ini"), 1024);
    EXPECT_EQ(IniGetString("GAME", "lang", "en", "a.ini"), "fr");
    EXPECT_EQ(IniGetString("Path", "GamePath", "x", "a.ini"), ".\\");
}

TEST(IniRead, MissingFileSectionOrKeyGivesDefault) {
    Write("b.ini", "[Game]\nWidth=640\n[Other]\nHeight=1\n");
    EXPECT_EQ(IniGetInt("Game", "Width", 800, "nowhere.ini"), 800);
    EXPECT_EQ(IniGetInt("Path", "Width", 800, "b.ini"), 800);
    EXPECT_EQ(IniGetInt("Game", "Height", 600, "b.ini"), 600);  // Height belongs to [Other]
    EXPECT_EQ(IniGetString("Game", "Lang", "en", "b.ini"), "en");
}

TEST(IniRead, IntegersReadTheirLeadingDigits) {
    Write("c.ini",
          "[Game]\nA=12abc\nB=abc\nC=\nD=-7\nE=99999999999999999999\nF=-99999999999999\n"
          "G= +3\nH=0x10\nI=\"42\"\n");
    EXPECT_EQ(IniGetInt("Game", "A", 1, "c.ini"), 12);
    EXPECT_EQ(IniGetInt("Game", "B", 1, "c.ini"), 0);
    EXPECT_EQ(IniGetInt("Game", "C", 9, "c.ini"), 9);  // empty value: the default
    EXPECT_EQ(IniGetInt("Game", "D", 1, "c.ini"), -7);
    EXPECT_EQ(IniGetInt("Game", "E", 1, "c.ini"), 2147483647);
    EXPECT_EQ(IniGetInt("Game", "F", 1, "c.ini"), -2147483647 - 1);
    EXPECT_EQ(IniGetInt("Game", "G", 1, "c.ini"), 3);
    EXPECT_EQ(IniGetInt("Game", "H", 1, "c.ini"), 0);
    EXPECT_EQ(IniGetInt("Game", "I", 1, "c.ini"), 42);
}

TEST(IniRead, GarbageAndCrLfFilesStillRead) {
    Write("d.ini",
          "\x01\xff garbage ]]] [\r\n=novalue\r\n[Game\r\n[Game]\r\nSound=0\r\nnoequals\r\n");
    EXPECT_EQ(IniGetInt("Game", "Sound", 1, "d.ini"), 0);
    EXPECT_EQ(IniGetInt("Game", "Music", 1, "d.ini"), 1);
}

TEST(IniRead, BoundedCopyCutsLongValues) {
    Write("e.ini", "[S]\nK=abcdefghij\n");
    char out[5];
    EXPECT_EQ(IniGetString("S", "K", "", out, sizeof out, "e.ini"), 4u);
    EXPECT_STREQ(out, "abcd");
    EXPECT_EQ(IniGetString("S", "K", "", nullptr, 0, "e.ini"), 0u);
    char small[1] = {'x'};
    EXPECT_EQ(IniGetString("S", "missing", "default", small, 1, "e.ini"), 0u);
    EXPECT_EQ(small[0], 0);
}

TEST(IniWrite, CreatesFileAndSection) {
    unlink("new.ini");
    ASSERT_TRUE(IniWriteString("Game", "Width", "800", "new.ini"));
    ASSERT_TRUE(IniWriteString("Game", "Height", "600", "new.ini"));
    ASSERT_TRUE(IniWriteString("Path", "GamePath", "./", "new.ini"));
    EXPECT_EQ(Read("new.ini"), "[Game]\nWidth=800\nHeight=600\n\n[Path]\nGamePath=./\n");
}

TEST(IniWrite, ReplacesOnlyTheValueAndKeepsTheRest) {
    Write("keep.ini",
          "; my notes\r\n[path]\r\nGamePath=./\r\n\r\n[GAME]\r\nlang=fr\r\nWIDTH = 640\r\n\r\n"
          "[Extra]\r\nX=1\r\n");
    ASSERT_TRUE(IniWriteString("Game", "Width", "1024", "keep.ini"));
    ASSERT_TRUE(IniWriteString("game", "Sound", "0", "keep.ini"));
    EXPECT_EQ(Read("keep.ini"),
              "; my notes\r\n[path]\r\nGamePath=./\r\n\r\n[GAME]\r\nlang=fr\r\nWIDTH =1024\r\n"
              "Sound=0\r\n\r\n[Extra]\r\nX=1\r\n");
    EXPECT_EQ(IniGetInt("Game", "Width", 0, "keep.ini"), 1024);
    EXPECT_EQ(IniGetString("Game", "Lang", "", "keep.ini"), "fr");
}

TEST(IniWrite, SeveralKeysInOneReplacementKeepTheirOrder) {
    Write("many.ini", "[Game]\nLang=en");  // no final line end
    ASSERT_TRUE(
        IniWriteStrings("Game", {{"Width", "1"}, {"Height", "2"}, {"Lang", "fr"}}, "many.ini"));
    EXPECT_EQ(Read("many.ini"), "[Game]\nLang=fr\nWidth=1\nHeight=2\n");
}

TEST(IniWrite, RefusesTextThatWouldBreakTheFile) {
    Write("safe.ini", "[Game]\nWidth=800\n");
    EXPECT_FALSE(IniWriteString("Game", "Width", "1\n[Evil]", "safe.ini"));
    EXPECT_FALSE(IniWriteString("Game", "Wi=dth", "1", "safe.ini"));
    EXPECT_FALSE(IniWriteString("Ga]me", "Width", "1", "safe.ini"));
    EXPECT_FALSE(IniWriteString("Game", "", "1", "safe.ini"));
    EXPECT_FALSE(IniWriteString("Game", "Width", nullptr, "safe.ini"));
    EXPECT_FALSE(IniWriteStrings("Game", {{"Height", "5"}, {"Bad\rKey", "1"}}, "safe.ini"));
    EXPECT_EQ(Read("safe.ini"), "[Game]\nWidth=800\n");  // nothing half-applied
}

TEST(IniWrite, FailureLeavesTheOldFileWhole) {
    // A file in a folder nobody may write to (root included): /proc.
    std::string before = Read("/proc/version");
    EXPECT_FALSE(IniWriteString("Game", "Width", "1024", "/proc/version"));
    EXPECT_EQ(Read("/proc/version"), before);
    // A folder that is a plain file.
    Write("blocker", "x");
    EXPECT_FALSE(IniWriteString("Game", "Width", "1024", "blocker/config.ini"));
    EXPECT_EQ(Read("blocker"), "x");
    // A folder in place of the file is not replaced.
    mkdir("dir.ini", 0755);
    EXPECT_FALSE(IniWriteString("Game", "Width", "1", "dir.ini"));
    struct stat st;
    ASSERT_EQ(stat("dir.ini", &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_FALSE(IniWriteString("Game", "Width", "1", "no/such/folder/x.ini"));
}

TEST(IniWrite, ReplacementIsAtomicAndKeepsPermissions) {
    Write("perm.ini", "[Game]\nWidth=800\n");
    chmod("perm.ini", 0600);
    ASSERT_TRUE(IniWriteString("Game", "Width", "640", "perm.ini"));
    struct stat st;
    ASSERT_EQ(stat("perm.ini", &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(CountFiles(".", "perm.ini."), 0);  // no temporary left behind
}

TEST(IniWrite, ALinkUnderTheNameIsReplacedNotWrittenThrough) {
    // A link planted in the user folder must not make the program write to
    // the file it points to: the new file takes the link's place.
    mkdir("kept", 0755);
    Write("kept/real.ini", "[Game]\nWidth=800\n");
    unlink("linked.ini");
    ASSERT_EQ(symlink("kept/real.ini", "linked.ini"), 0);
    ASSERT_TRUE(IniWriteString("Game", "Width", "1024", "linked.ini"));
    struct stat st;
    ASSERT_EQ(lstat("linked.ini", &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(Read("linked.ini"), "[Game]\nWidth=1024\n");
    EXPECT_EQ(Read("kept/real.ini"), "[Game]\nWidth=800\n");
}

TEST(IniText, SetThenFindRoundTrips) {
    IniText ini("[A]\nx=1\n[B]\ny=2\n[a]\nz=3\n");
    std::string v;
    EXPECT_TRUE(ini.Find("A", "z", &v));  // a repeated section is searched too
    EXPECT_EQ(v, "3");
    ASSERT_TRUE(ini.Set("A", "w", "new value"));
    EXPECT_TRUE(ini.Find("a", "W", &v));
    EXPECT_EQ(v, "new value");
    EXPECT_EQ(ini.Text(), "[A]\nx=1\nw=new value\n[B]\ny=2\n[a]\nz=3\n");
}
