#include "persist/PlayerNames.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "Files.h"
#include "persist/TextTable.h"
#include "persist/UserFolder.h"

using namespace testfiles;

namespace {

void LoadWord(const std::string &word) {
    std::string bytes = "\xFF\xFE" + Utf16Bytes(word + "\r\n");
    for (int i = 2; i <= 41; i++) bytes += Utf16Bytes("line\r\n");
    WriteBytes("names_words.txt", bytes);
    ASSERT_EQ(persist::LoadTextTableFile("names_words.txt"), 1);
}

std::string Name(const persist::NameBuffer &n) {
    return Narrow(persist::WideString(n));
}

}  // namespace

TEST(PlayerNames, SetCutsToTenUnits) {
    persist::NameBuffer n;
    for (auto &u : n) u = 0xAAAA;
    persist::SetPlayerName(n, U(u"Fifteen chars!!"));
    EXPECT_EQ(Name(n), "Fifteen ch");
    EXPECT_EQ(n[10], 0);
    EXPECT_EQ(n[11], 0xAAAA);  // nothing written past the terminator
    persist::SetPlayerName(n, nullptr);
    EXPECT_EQ(Name(n), "Fifteen ch");
    persist::SetPlayerName(n, U(u""));
    EXPECT_EQ(Name(n), "");
}

TEST(PlayerNames, DefaultsAreTheWordAndTheSeat) {
    LoadWord("Joueur");
    persist::NameBuffer a, b;
    persist::SetDefaultName(a, 1);
    persist::SetDefaultName(b, 2);
    EXPECT_EQ(Name(a), "Joueur1");
    EXPECT_EQ(Name(b), "Joueur2");
    LoadWord("Spielerinnen");  // too long: the digit still fits
    persist::SetDefaultName(a, 1);
    EXPECT_EQ(Name(a), "Spielerin1");
}

TEST(PlayerNames, LoadReadsTwoLinesCutToTen) {
    LoadWord("P");
    persist::SetUserFolder("./");
    WriteBytes("playersname.txt", Utf16Lines({"Alexandrina Long", "Bo", "ignored"}));
    persist::NameBuffer a, b;
    EXPECT_EQ(persist::LoadNames(a, b), 1);
    EXPECT_EQ(Name(a), "Alexandrin");
    EXPECT_EQ(Name(b), "Bo");
}

TEST(PlayerNames, MissingShortOrForeignFilesGiveDefaults) {
    LoadWord("P");
    persist::SetUserFolder("./");
    persist::NameBuffer a, b;
    unlink("playersname.txt");
    EXPECT_EQ(persist::LoadNames(a, b), 0);
    EXPECT_EQ(Name(a), "P1");
    EXPECT_EQ(Name(b), "P2");

    WriteBytes("playersname.txt", Utf16Lines({"Solo"}));
    EXPECT_EQ(persist::LoadNames(a, b), 0);
    EXPECT_EQ(Name(a), "Solo");
    EXPECT_EQ(Name(b), "P2");

    WriteBytes("playersname.txt", "\xFF\xFE");
    EXPECT_EQ(persist::LoadNames(a, b), 0);
    EXPECT_EQ(Name(a), "P1");

    WriteBytes("playersname.txt", "Ann\r\nBob\r\n");
    testing::internal::CaptureStderr();
    EXPECT_EQ(persist::LoadNames(a, b), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "./playersname.txt : Not a Unicode UTF16 File\n");
    EXPECT_EQ(Name(b), "P2");
}

TEST(PlayerNames, SaveWritesTheTwoLinesAndSurvivesReload) {
    persist::SetUserFolder("./");
    persist::NameBuffer a, b;
    persist::SetPlayerName(a, U(u"Zoé"));
    persist::SetPlayerName(b, U(u""));
    EXPECT_EQ(persist::SaveNames(a, b), 1);
    EXPECT_EQ(ReadBytes("playersname.txt"), Utf16Lines({"Zoé", ""}));
    persist::NameBuffer c, d;
    EXPECT_EQ(persist::LoadNames(c, d), 1);
    EXPECT_EQ(Name(c), "Zoé");
    EXPECT_EQ(Name(d), "");
}
