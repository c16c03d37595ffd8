// The texts the game ships, and the build steps that make them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "Files.h"
#include "persist/TextTable.h"
#include "persist/Utf16File.h"

using namespace testfiles;

namespace {

int Shell(const std::string &command) {
    int status = system((command + " 2>err.txt").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(ShippedTexts, BothLanguagesHaveFullTables) {
    for (const char *lang : {"en", "fr"}) {
        ASSERT_EQ(persist::LoadTextTable(lang), 1) << lang;
        for (int n = 1; n <= persist::kTextLines; n++)
            EXPECT_GT(persist::TextLine(n).Length(), 0u) << lang << " line " << n;
        // The word for player leaves room for the seat digit in a name.
        EXPECT_LE(persist::TextLine(1).Length(), 9u) << lang;
    }
    EXPECT_EQ(persist::TextLine(1).ToUtf8(), "Joueur");
}

TEST(ShippedTexts, CreditsStartWithATitleAndHaveGaps) {
    for (const char *lang : {"en", "fr"}) {
        persist::Utf16File f;
        ASSERT_EQ(f.Open((std::string("data/credit_") + lang + ".txt").c_str(), 0), 1) << lang;
        persist::WideString line;
        int lines = 0, titles = 0, gaps = 0;
        while (f.ReadLine(&line)) {
            if (lines++ == 0) {
                EXPECT_EQ(line.CStr()[0], u'*') << lang;
            }
            if (line.Length() == 0)
                gaps++;
            else if (line.CStr()[0] == '*')
                titles++;
        }
        EXPECT_GT(titles, 2) << lang;
        EXPECT_GT(gaps, 2) << lang;
    }
}

TEST(TextConv, ConvertsUtf8SourcesExactly) {
    WriteBytes("src.txt",
               "\xEF\xBB\xBF"
               "Ann\r\n\nZo\xC3\xA9\n");
    ASSERT_EQ(Shell(std::string(TEXTCONV_PROGRAM) + " src.txt out.txt"), 0) << ReadBytes("err.txt");
    EXPECT_EQ(ReadBytes("out.txt"), Utf16Lines({"Ann", "", "Zoé"}));
    ASSERT_EQ(Shell(std::string(TEXTCONV_PROGRAM) + " --lines 3 src.txt out3.txt"), 0);
}

TEST(TextConv, RefusesSourcesThatWouldLoseText) {
    WriteBytes("old.txt", "keep");
    WriteBytes("tab.txt", "a\tb\n");
    EXPECT_EQ(Shell(std::string(TEXTCONV_PROGRAM) + " tab.txt old.txt"), 1);
    EXPECT_NE(ReadBytes("err.txt").find("tab.txt:1: control character"), std::string::npos);
    WriteBytes("bad.txt", "ok\nbad \xC3\n");
    EXPECT_EQ(Shell(std::string(TEXTCONV_PROGRAM) + " bad.txt old.txt"), 1);
    EXPECT_NE(ReadBytes("err.txt").find("bad.txt:2: invalid UTF-8"), std::string::npos);
    WriteBytes("two.txt", "a\nb\n");
    EXPECT_EQ(Shell(std::string(TEXTCONV_PROGRAM) + " --lines 41 two.txt old.txt"), 1);
    EXPECT_NE(ReadBytes("err.txt").find("holds 2 lines, 41 expected"), std::string::npos);
    WriteBytes("long.txt", std::string(1024, 'x') + "\n");
    EXPECT_EQ(Shell(std::string(TEXTCONV_PROGRAM) + " long.txt old.txt"), 1);
    EXPECT_EQ(Shell(std::string(TEXTCONV_PROGRAM) + " missing.txt old.txt"), 1);
    EXPECT_EQ(Shell(std::string(TEXTCONV_PROGRAM) + " only-one-argument"), 2);
    EXPECT_EQ(ReadBytes("old.txt"), "keep");  // never touched by a refused source
}

TEST(StartupConfig, WrittenOnlyWhenAbsent) {
    std::string cmd = std::string(CMAKE_PROGRAM) + " -DOUT=cfg.ini -P " + WRITE_CONFIG_SCRIPT;
    ASSERT_EQ(Shell(cmd), 0) << ReadBytes("err.txt");
    EXPECT_EQ(ReadBytes("cfg.ini"), "[Path]\nGamePath=./\n\n[Game]\nLang=en\n");
    WriteBytes("cfg.ini", "[Game]\nLang=fr\nWidth=1024\n");
    ASSERT_EQ(Shell(cmd), 0);
    EXPECT_EQ(ReadBytes("cfg.ini"), "[Game]\nLang=fr\nWidth=1024\n");
}
