#include "persist/TextTable.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "Files.h"

using namespace testfiles;

namespace {

std::string Table(int lines, const std::string &tag) {
    std::string bytes = "\xFF\xFE";
    for (int i = 1; i <= lines; i++) bytes += Utf16Bytes(tag + std::to_string(i) + "\r\n");
    return bytes;
}

int LoadQuietly(const char *path, std::string *err) {
    testing::internal::CaptureStderr();
    int r = persist::LoadTextTableFile(path);
    *err = testing::internal::GetCapturedStderr();
    return r;
}

}  // namespace

TEST(TextTable, LoadsFortyOneLinesByLanguage) {
    WriteBytes("t41.txt", Table(41, "L"));
    std::string err;
    ASSERT_EQ(LoadQuietly("t41.txt", &err), 1);
    EXPECT_EQ(err, "");
    EXPECT_EQ(Narrow(persist::TextLine(1)), "L1");
    EXPECT_EQ(Narrow(persist::TextLine(41)), "L41");
    EXPECT_EQ(persist::TextLine(0).Length(), 0u);
    EXPECT_EQ(persist::TextLine(42).Length(), 0u);
    // Lines past the 41st are ignored.
    WriteBytes("t50.txt", Table(50, "M"));
    ASSERT_EQ(LoadQuietly("t50.txt", &err), 1);
    EXPECT_EQ(Narrow(persist::TextLine(41)), "M41");
}

TEST(TextTable, BadFilesFailWithTheirMessagesAndKeepTheTable) {
    WriteBytes("good.txt", Table(41, "G"));
    std::string err;
    ASSERT_EQ(LoadQuietly("good.txt", &err), 1);

    EXPECT_EQ(LoadQuietly("missing.txt", &err), 0);
    EXPECT_EQ(err, "Cannot read text file\n");

    WriteBytes("empty.txt", "");
    EXPECT_EQ(LoadQuietly("empty.txt", &err), 0);
    EXPECT_EQ(err, "Cannot read text file\n");

    WriteBytes("utf8.txt", "\xEF\xBB\xBFPlayer\r\n");
    EXPECT_EQ(LoadQuietly("utf8.txt", &err), 0);
    EXPECT_EQ(err, "utf8.txt : Not a Unicode UTF16 File\nCannot read text file\n");

    WriteBytes("short.txt", Table(40, "S"));
    EXPECT_EQ(LoadQuietly("short.txt", &err), 0);
    EXPECT_EQ(err, "");  // the caller reports a short table

    EXPECT_EQ(Narrow(persist::TextLine(1)), "G1");
    EXPECT_EQ(Narrow(persist::TextLine(41)), "G41");
}

TEST(TextTable, AnOverlongLineCountsAsTwo) {
    std::string bytes = "\xFF\xFE" + Utf16Bytes(std::string(1100, 'w') + "\r\n");
    for (int i = 2; i <= 40; i++) bytes += Utf16Bytes("x" + std::to_string(i) + "\r\n");
    WriteBytes("split.txt", bytes);
    std::string err;
    ASSERT_EQ(LoadQuietly("split.txt", &err), 1);
    EXPECT_EQ(persist::TextLine(1).Length(), 1023u);
    EXPECT_EQ(persist::TextLine(2).Length(), 77u);
    EXPECT_EQ(Narrow(persist::TextLine(41)), "x40");
}

TEST(TextTable, LanguageNamesTheFile) {
    std::string err;
    testing::internal::CaptureStderr();
    EXPECT_EQ(persist::LoadTextTable("zz-no-such-language"), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Cannot read text file\n");
}
