#include "persist/Utf16File.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Files.h"

using persist::Utf16File;
using persist::WideString;
using namespace testfiles;

TEST(Utf16FileWrite, OneLineIsByteExact) {
    {
        Utf16File f;
        ASSERT_EQ(f.Open("ann.txt", Utf16File::Write), 1);
        EXPECT_EQ(f.WriteLine(WideString::FromUtf8("Ann")), 1);
        EXPECT_EQ(f.Close(), 1);
        EXPECT_EQ(f.Close(), 1);  // twice is harmless
        EXPECT_EQ(f.WriteLine(WideString::FromUtf8("late")), 0);
    }
    EXPECT_EQ(ReadBytes("ann.txt"),
              std::string("\xFF\xFE\x41\x00\x6E\x00\x6E\x00\x0D\x00\x0A\x00", 12));
}

TEST(Utf16FileWrite, ReplacesOnlyWhenComplete) {
    WriteBytes("names.txt", Utf16Lines({"old"}));
    Utf16File f;
    ASSERT_EQ(f.Open("names.txt", Utf16File::Write), 1);
    f.WriteLine(WideString::FromUtf8("new"));
    // Until closed, readers still see the previous file whole.
    EXPECT_EQ(ReadBytes("names.txt"), Utf16Lines({"old"}));
    f.Close();
    EXPECT_EQ(ReadBytes("names.txt"), Utf16Lines({"new"}));
}

TEST(Utf16FileWrite, UnwritablePlaceFails) {
    WriteBytes("plain", "x");
    Utf16File f;
    EXPECT_EQ(f.Open("plain/names.txt", Utf16File::Write), 0);
    EXPECT_EQ(f.WriteLine(WideString::FromUtf8("x")), 0);
    EXPECT_EQ(f.Open("/proc/names.txt", Utf16File::Write), 0);
    EXPECT_EQ(f.Open("missing/dir/names.txt", Utf16File::Write), 0);
}

TEST(Utf16FileRead, LinesLoseCrLfAndEverythingAfterAControl) {
    WriteBytes("t.txt", "\xFF\xFE" + Utf16Bytes("one\r\ntwo\tafter tab\r\n\r\nlast"));
    Utf16File f;
    ASSERT_EQ(f.Open("t.txt", Utf16File::Read), 1);
    WideString line;
    ASSERT_EQ(f.ReadLine(&line), 1);
    EXPECT_EQ(line.ToUtf8(), "one");
    ASSERT_EQ(f.ReadLine(&line), 1);
    EXPECT_EQ(line.ToUtf8(), "two");
    ASSERT_EQ(f.ReadLine(&line), 1);
    EXPECT_EQ(line.Length(), 0u);
    EXPECT_NE(line.Text(), nullptr);  // an empty text, not nothing
    ASSERT_EQ(f.ReadLine(&line), 1);
    EXPECT_EQ(line.ToUtf8(), "last");  // no line end at the end of the file
    EXPECT_EQ(f.ReadLine(&line), 0);
    EXPECT_EQ(line.ToUtf8(), "last");  // untouched at the end
}

TEST(Utf16FileRead, OnlyTheMarkOpensButHasNoLine) {
    WriteBytes("mark.txt", "\xFF\xFE");
    Utf16File f;
    ASSERT_EQ(f.Open("mark.txt", Utf16File::Read), 1);
    WideString line;
    EXPECT_EQ(f.ReadLine(&line), 0);
}

TEST(Utf16FileRead, ShortOrMissingFilesFailQuietly) {
    WriteBytes("zero.txt", "");
    WriteBytes("one.txt", "\xFF");
    Utf16File f;
    testing::internal::CaptureStderr();
    EXPECT_EQ(f.Open("zero.txt", Utf16File::Read), 0);
    EXPECT_EQ(f.Open("one.txt", Utf16File::Read), 0);
    EXPECT_EQ(f.Open("absent.txt", Utf16File::Read), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(f.IsOpen());
    WideString line;
    EXPECT_EQ(f.ReadLine(&line), 0);
}

TEST(Utf16FileRead, NonUtf16IsRefusedWithItsName) {
    WriteBytes("utf8.txt", "\xEF\xBB\xBFhello\r\n");
    Utf16File f;
    testing::internal::CaptureStderr();
    EXPECT_EQ(f.Open("utf8.txt", Utf16File::Read), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "utf8.txt : Not a Unicode UTF16 File\n");
    // Either mark byte in either place is accepted; content stays little-endian.
    WriteBytes("be.txt", std::string("\xFE\xFF", 2) + Utf16Bytes("hi\r\n"));
    ASSERT_EQ(f.Open("be.txt", Utf16File::Read), 1);
    WideString line;
    ASSERT_EQ(f.ReadLine(&line), 1);
    EXPECT_EQ(line.ToUtf8(), "hi");
}

TEST(Utf16FileRead, LongLinesComeInPiecesAndOddBytesAreDropped) {
    std::string longLine(1500, 'x');
    WriteBytes("long.txt", "\xFF\xFE" + Utf16Bytes(longLine + "\r\nnext") + "\x41");
    Utf16File f;
    ASSERT_EQ(f.Open("long.txt", Utf16File::Read), 1);
    WideString line;
    ASSERT_EQ(f.ReadLine(&line), 1);
    EXPECT_EQ(line.Length(), 1023u);
    ASSERT_EQ(f.ReadLine(&line), 1);
    EXPECT_EQ(line.Length(), 1500u - 1023u);
    ASSERT_EQ(f.ReadLine(&line), 1);
    EXPECT_EQ(line.ToUtf8(), "next");  // the odd trailing byte is not a unit
    EXPECT_EQ(f.ReadLine(&line), 0);
}

TEST(Utf16FileOpen, OverlongPathIsRefusedWithAMessage) {
    std::string path(2000, 'p');
    Utf16File f;
    testing::internal::CaptureStderr();
    EXPECT_EQ(f.Open(path.c_str(), Utf16File::Write), 0);
    EXPECT_EQ(f.Open(path.c_str(), Utf16File::Read), 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Path too long (2000 characters)"), std::string::npos) << err;
    EXPECT_EQ(f.Open(nullptr, Utf16File::Read), 0);
}

TEST(Utf16FileOpen, ReopeningClosesThePreviousStream) {
    WriteBytes("a.txt", Utf16Lines({"A"}));
    Utf16File f;
    ASSERT_EQ(f.Open("b.txt", Utf16File::Write), 1);
    f.WriteLine(WideString::FromUtf8("B"));
    ASSERT_EQ(f.Open("a.txt", Utf16File::Read), 1);  // b.txt is completed first
    EXPECT_EQ(ReadBytes("b.txt"), Utf16Lines({"B"}));
    WideString line;
    EXPECT_EQ(f.WriteLine(line), 0);  // not open for writing
    ASSERT_EQ(f.ReadLine(&line), 1);
    EXPECT_EQ(line.ToUtf8(), "A");
}
