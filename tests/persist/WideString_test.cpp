#include "persist/WideString.h"

#include <gtest/gtest.h>

using persist::WideString;

TEST(WideString, AssignCopiesAndNullChangesNothing) {
    const uint16_t ann[] = {'A', 'n', 'n', 0};
    WideString w;
    EXPECT_EQ(w.Text(), nullptr);
    EXPECT_EQ(w.Length(), 0u);
    EXPECT_EQ(w.CStr()[0], 0);
    w.Assign(ann);
    EXPECT_EQ(w.Length(), 3u);
    EXPECT_NE(w.Text(), ann);
    EXPECT_EQ(w.Text()[3], 0);
    w.Assign(nullptr);
    EXPECT_EQ(w.ToUtf8(), "Ann");
    w.Assign(w.Text() + 1);  // from its own buffer
    EXPECT_EQ(w.ToUtf8(), "nn");
    w.Clear();
    EXPECT_EQ(w.Text(), nullptr);
    EXPECT_EQ(w.Length(), 0u);
}

TEST(WideString, CopiesAreIndependent) {
    WideString a = WideString::FromUtf8("Joueur");
    WideString b = a;
    a.Clear();
    EXPECT_EQ(b.ToUtf8(), "Joueur");
    WideString c;
    c = b;
    b = WideString::FromUtf8("x");
    EXPECT_EQ(c.ToUtf8(), "Joueur");
    WideString empty;
    c = empty;
    EXPECT_EQ(c.Text(), nullptr);
}

TEST(Utf8, ConvertsBothWaysIncludingSurrogatePairs) {
    std::u16string out;
    ASSERT_TRUE(persist::Utf8ToUtf16("é€\xF0\x9F\x82\xA1", &out));
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0], 0x00E9);
    EXPECT_EQ(out[1], 0x20AC);
    EXPECT_EQ(out[2], 0xD83C);
    EXPECT_EQ(out[3], 0xDCA1);
    EXPECT_EQ(persist::Utf16ToUtf8(reinterpret_cast<const uint16_t *>(out.data()), out.size()),
              "é€\xF0\x9F\x82\xA1");
}

TEST(Utf8, RejectsInvalidSequencesWithTheirOffset) {
    size_t bad = 99;
    EXPECT_FALSE(persist::Utf8ToUtf16("ab\xC3", nullptr, &bad));  // cut short
    EXPECT_EQ(bad, 2u);
    EXPECT_FALSE(persist::Utf8ToUtf16("\xC0\xAF", nullptr, &bad));          // overlong
    EXPECT_FALSE(persist::Utf8ToUtf16("\xED\xA0\x80", nullptr, &bad));      // surrogate
    EXPECT_FALSE(persist::Utf8ToUtf16("\xF4\x90\x80\x80", nullptr, &bad));  // past U+10FFFF
    EXPECT_FALSE(persist::Utf8ToUtf16("x\x80y", nullptr, &bad));
    EXPECT_EQ(bad, 1u);
    EXPECT_EQ(WideString::FromUtf8("x\x80y").ToUtf8(), "x\xEF\xBF\xBDy");  // U+FFFD
}
