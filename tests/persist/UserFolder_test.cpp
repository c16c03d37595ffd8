#include "persist/UserFolder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "Files.h"
#include "platform/Path.h"

using namespace testfiles;
using platform::IsDirectory;

TEST(MakeDirectories, CreatesEachDirectoryBeforeASeparator) {
    EXPECT_EQ(persist::MakeDirectories("md1/Games/Tiles"), 1);
    EXPECT_TRUE(IsDirectory("md1"));
    EXPECT_TRUE(IsDirectory("md1/Games"));
    EXPECT_FALSE(platform::FileExists("md1/Games/Tiles"));  // no separator after it
    EXPECT_EQ(persist::MakeDirectories("md1\\Games\\Tiles\\save\\"), 1);
    EXPECT_TRUE(IsDirectory("md1/Games/Tiles/save"));
    EXPECT_FALSE(platform::FileExists("md1\\Games"));  // '\' is a separator, not a name
}

TEST(MakeDirectories, RootsAreNeverCreatedAndNoSeparatorCreatesNothing) {
    EXPECT_EQ(persist::MakeDirectories("md2"), 0);
    EXPECT_FALSE(platform::FileExists("md2"));
    EXPECT_EQ(persist::MakeDirectories(""), 0);
    EXPECT_EQ(persist::MakeDirectories(nullptr), 0);
    EXPECT_EQ(persist::MakeDirectories("./"), 1);
    EXPECT_EQ(persist::MakeDirectories("C:\\md3\\"), 1);
    EXPECT_FALSE(platform::FileExists("C:"));
    EXPECT_EQ(persist::MakeDirectories(".\\md4\\\\deep\\"), 1);
    EXPECT_TRUE(IsDirectory("md4/deep"));
    // A plain file in the way: nothing crashes, nothing is created under it.
    WriteBytes("blockfile", "x");
    EXPECT_EQ(persist::MakeDirectories("blockfile/save/"), 1);
    EXPECT_FALSE(IsDirectory("blockfile/save"));
}

TEST(UserFolder, DefaultsWithoutStartupFile) {
    unlink("config.ini");
    EXPECT_EQ(persist::ReadUserFolder("config.ini"), 1);
    EXPECT_STREQ(persist::UserFolder(), "./");
    persist::ReadLanguage("config.ini");
    EXPECT_STREQ(persist::Language(), "en");
    EXPECT_EQ(persist::SettingsFilePath(), "./config.ini");
    EXPECT_EQ(persist::NamesFilePath(), "./playersname.txt");
    EXPECT_EQ(persist::SlotFilePath(3), "./save/save3.sav");
    EXPECT_EQ(persist::ScreenshotBaseName(0), "./captures/screenshot00");
    EXPECT_EQ(persist::ScreenshotBaseName(123), "./captures/screenshot123");
    persist::MakeUserFolders();
    EXPECT_TRUE(IsDirectory("save"));
    EXPECT_TRUE(IsDirectory("captures"));
}

TEST(UserFolder, GamePathWithBackslashesAndWithoutSeparator) {
    WriteBytes("start1.ini", "[Path]\nGamePath=uf1\\Games\\Tiles\n[Game]\nLang=fr\n");
    EXPECT_EQ(persist::ReadUserFolder("start1.ini"), 1);
    EXPECT_STREQ(persist::UserFolder(), "uf1/Games/Tiles");
    EXPECT_TRUE(IsDirectory("uf1/Games"));
    persist::MakeUserFolders();
    EXPECT_TRUE(IsDirectory("uf1/Games/Tiles/save"));
    EXPECT_TRUE(IsDirectory("uf1/Games/Tiles/captures"));
    EXPECT_EQ(persist::SettingsFilePath(), "uf1/Games/Tiles/config.ini");
    persist::ReadLanguage("start1.ini");
    EXPECT_STREQ(persist::Language(), "fr");

    // "Games" alone: nothing in the first step, then the folder and both
    // subfolders are made.
    WriteBytes("start2.ini", "[Path]\nGamePath=ufGames\n");
    persist::ReadUserFolder("start2.ini");
    EXPECT_FALSE(platform::FileExists("ufGames"));
    persist::MakeUserFolders();
    EXPECT_TRUE(IsDirectory("ufGames/save"));
    EXPECT_TRUE(IsDirectory("ufGames/captures"));
    persist::SetUserFolder("./");
}

TEST(UserFolder, OverlongGamePathIsRefusedForTheDefault) {
    std::string longPath = "deep/" + std::string(1100, 'd');
    WriteBytes("start3.ini", "[Path]\nGamePath=" + longPath + "\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(persist::ReadUserFolder("start3.ini"), 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("GamePath is too long (1105 characters"), std::string::npos) << err;
    EXPECT_STREQ(persist::UserFolder(), "./");
    EXPECT_FALSE(platform::FileExists("deep"));

    // The longest accepted folder still leaves room for every formed name.
    std::string limit(persist::kUserFolderSize - 1 - persist::kLongestUserFileName, 'e');
    WriteBytes("start4.ini", "[Path]\nGamePath=" + limit + "\n");
    EXPECT_EQ(persist::ReadUserFolder("start4.ini"), 1);
    EXPECT_LE(persist::ScreenshotBaseName(2147483647).size() + 8, 1023u);
    EXPECT_LE(persist::SlotFilePath(-2147483647 - 1).size(), 1023u);
    persist::SetUserFolder("./");
}

TEST(UserFolder, LanguageIsCutToItsBuffer) {
    WriteBytes("start5.ini", "[Game]\nLang=" + std::string(400, 'l') + "\n");
    persist::ReadLanguage("start5.ini");
    EXPECT_EQ(std::string(persist::Language()).size(), 255u);
    persist::SetLanguage("en");
}
