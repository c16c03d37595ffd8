#include "persist/Settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Files.h"
#include "persist/TextTable.h"
#include "persist/UserFolder.h"
#include "platform/Ini.h"

using namespace testfiles;
using persist::Settings;

namespace {

// A text table whose word for player is "W".
void LoadWordTable(const char *word) {
    std::string bytes = "\xFF\xFE" + Utf16Bytes(std::string(word) + "\r\n");
    for (int i = 2; i <= 41; i++) bytes += Utf16Bytes("line\r\n");
    WriteBytes("words.txt", bytes);
    ASSERT_EQ(persist::LoadTextTableFile("words.txt"), 1);
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        LoadWordTable("W");
        static int n = 0;
        folder_ = "user" + std::to_string(++n) + "/";
        mkdir(folder_.c_str(), 0755);
        persist::SetUserFolder(folder_.c_str());
    }
    void TearDown() override { persist::SetUserFolder("./"); }
    std::string folder_;
    persist::NameBuffer n1 = {0}, n2 = {0};
};

}  // namespace

TEST_F(SettingsTest, FirstStartWritesDefaultsThenNames) {
    Settings s;
    s.width = 1;  // whatever was there is replaced by the defaults
    EXPECT_EQ(persist::LoadSettings(&s, n1, n2), 0);
    EXPECT_EQ(s.width, 800);
    EXPECT_EQ(s.height, 600);
    EXPECT_EQ(s.shadow + s.reflect + s.music + s.sound, 4);
    EXPECT_EQ(s.fullscreen, 1);
    EXPECT_EQ(ReadBytes(folder_ + "config.ini"),
              "[Game]\nWidth=800\nHeight=600\nShadow=1\nReflect=1\nSound=1\nMusic=1\n"
              "LayHelp=1\nLevel=0\n");
    EXPECT_EQ(ReadBytes(folder_ + "playersname.txt"), Utf16Lines({"W1", "W2"}));
    // A second start finds the file and does not write again.
    WriteBytes(folder_ + "config.ini", "[Game]\nWidth=1280\n");
    EXPECT_EQ(persist::LoadSettings(&s, n1, n2), 1);
    EXPECT_EQ(s.width, 1280);
    EXPECT_EQ(s.height, 600);
    EXPECT_EQ(ReadBytes(folder_ + "config.ini"), "[Game]\nWidth=1280\n");
}

TEST_F(SettingsTest, GarbageJunkAndHugeValues) {
    WriteBytes(folder_ + "config.ini",
               "garbage\x01\x02\n[Game]\nWidth=1024px\nHeight=tall\nShadow=\nReflect=0\n"
               "Music=99999999999999999\nSound=-1\nFullscreen=0\n");
    Settings s;
    EXPECT_EQ(persist::LoadSettings(&s, n1, n2), 1);
    EXPECT_EQ(s.width, 1024);
    EXPECT_EQ(s.height, 0);
    EXPECT_EQ(s.shadow, 1);  // empty: the default
    EXPECT_EQ(s.reflect, 0);
    EXPECT_EQ(s.music, 2147483647);
    EXPECT_EQ(s.sound, -1);
    EXPECT_EQ(s.fullscreen, 0);
}

TEST_F(SettingsTest, LayHelpAndLevelAreReadAndSavedWithTheOthers) {
    // Absent: help on, the computer as it always played.
    WriteBytes(folder_ + "config.ini", "[Game]\nWidth=640\n");
    Settings s;
    EXPECT_EQ(persist::LoadSettings(&s, n1, n2), 1);
    EXPECT_EQ(s.layHelp, 1);
    EXPECT_EQ(s.level, 0);
    // Case-insensitive keys; a value that is not a number reads 0.
    WriteBytes(folder_ + "config.ini", "[game]\nlayhelp=0\nLEVEL=1\n");
    EXPECT_EQ(persist::LoadSettings(&s, n1, n2), 1);
    EXPECT_EQ(s.layHelp, 0);
    EXPECT_EQ(s.level, 1);
    WriteBytes(folder_ + "config.ini", "[Game]\nLayHelp=yes\nLevel=strong\n");
    EXPECT_EQ(persist::LoadSettings(&s, n1, n2), 1);
    EXPECT_EQ(s.layHelp, 0);
    EXPECT_EQ(s.level, 0);
    // Saved and read back unchanged.
    s = Settings();
    s.layHelp = 0;
    s.level = 1;
    ASSERT_EQ(persist::SaveSettings(s, n1, n2), 1);
    Settings back;
    persist::ReadSettings(&back);
    EXPECT_EQ(back.layHelp, 0);
    EXPECT_EQ(back.level, 1);
    EXPECT_EQ(back.width, 800);
}

TEST_F(SettingsTest, MissingSectionGivesDefaults) {
    WriteBytes(folder_ + "config.ini", "[Path]\nGamePath=./\n");
    Settings s;
    s.width = 5;
    EXPECT_EQ(persist::LoadSettings(&s, n1, n2), 1);
    EXPECT_EQ(s.width, 800);
    EXPECT_EQ(s.sound, 1);
}

TEST_F(SettingsTest, SaveKeepsTheStartupKeysOfASharedFile) {
    WriteBytes(folder_ + "config.ini", "[Path]\nGamePath=./\n\n[Game]\nLang=fr\nFullscreen=0\n");
    Settings s;
    s.width = 1024;
    s.height = 768;
    s.sound = 0;
    persist::SetPlayerName(n1, U(u"Ann"));
    persist::SetPlayerName(n2, U(u"Bob"));
    EXPECT_EQ(persist::SaveSettings(s, n1, n2), 1);
    EXPECT_EQ(ReadBytes(folder_ + "config.ini"),
              "[Path]\nGamePath=./\n\n[Game]\nLang=fr\nFullscreen=0\nWidth=1024\nHeight=768\n"
              "Shadow=1\nReflect=1\nSound=0\nMusic=1\nLayHelp=1\nLevel=0\n");
    EXPECT_EQ(ReadBytes(folder_ + "playersname.txt"), Utf16Lines({"Ann", "Bob"}));
}

TEST_F(SettingsTest, UnwritableFolderKeepsValuesInMemory) {
    WriteBytes("notafolder", "x");
    persist::SetUserFolder("notafolder/");
    Settings s;
    EXPECT_EQ(persist::LoadSettings(&s, n1, n2), 0);
    EXPECT_EQ(s.width, 800);
    EXPECT_EQ(Narrow(persist::WideString(n1)), "W1");
    s.width = 640;
    EXPECT_EQ(persist::SaveSettings(s, n1, n2), 0);
    EXPECT_EQ(s.width, 640);
    EXPECT_EQ(ReadBytes("notafolder"), "x");

    // A settings file that exists but cannot be read as a file is left alone.
    persist::SetUserFolder(folder_.c_str());
    mkdir((folder_ + "config.ini").c_str(), 0755);
    EXPECT_EQ(persist::SaveSettings(s, n1, n2), 0);
    struct stat st;
    ASSERT_EQ(stat((folder_ + "config.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}
