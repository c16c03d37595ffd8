// The localized menu text file: the line reader on raw bytes, and captions
// applied to the objects a script made.

#include "gui/GuiMenuText.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "gui/GuiFont.h"
#include "gui/GuiManager.h"
#include "gui/ScriptTestSupport.h"

using namespace gui;
using scripttest::CountingRenderer;
using scripttest::Utf16;
using scripttest::WriteFile;

namespace {

using Lines = std::vector<std::pair<std::string, std::u16string>>;

Lines Read(const std::string &bytes) {
    Lines out;
    ReadMenuText(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size(),
                 [&](const char *name, const uint16_t *text) {
                     std::u16string t;
                     while (*text) t += char16_t(*text++);
                     out.push_back({name, t});
                 });
    return out;
}

TEST(MenuTextReader, ReadsNamesAndCaptionsLineByLine) {
    Lines lines = Read(Utf16({"BUTTON_PLAY=\"Play\"", "EMPTY=\"\"", "X=\"a = \"\"b\""}));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], std::make_pair(std::string("BUTTON_PLAY"), std::u16string(u"Play")));
    EXPECT_EQ(lines[1].second, u"");
    EXPECT_EQ(lines[2].second, u"a = ");  // the caption ends at its closing quote
}

TEST(MenuTextReader, KeepsUtf16CaptionsAndLowBytesOfNames) {
    // "É" (00C9) in the caption stays; a name character 0141 keeps its low byte 41.
    std::string bytes("\xFF\xFE", 2);
    for (char16_t u : std::u16string(u"\u0141B=\"\u00C9cran \u00D7\"\r\n")) {
        bytes += char(u & 0xFF);
        bytes += char(u >> 8);
    }
    Lines lines = Read(bytes);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].first, "AB");
    EXPECT_EQ(lines[0].second, u"\u00C9cran \u00D7");
}

TEST(MenuTextReader, DamagedLinesNeverSwallowTheNextOne) {
    std::string longName(300, 'N'), longText(300, 't');
    Lines lines = Read(Utf16({
        "NO EQUALS SIGN",
        "OPEN=\"no closing quote",
        "NOQUOTE=bare",
        longName + "=\"x\"",
        "LONG=\"" + longText + "\" trailing",
        "LAST=\"ok\"",
    }));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], std::make_pair(std::string("OPEN"), std::u16string(u"no closing quote")));
    EXPECT_EQ(lines[1], std::make_pair(std::string("NOQUOTE"), std::u16string()));
    EXPECT_EQ(lines[2].first, std::string(kMenuTextField, 'N'));
    EXPECT_EQ(lines[3].second.size(), size_t(kMenuTextField));
    EXPECT_EQ(lines[4], std::make_pair(std::string("LAST"), std::u16string(u"ok")));
}

TEST(MenuTextReader, EdgesOfTheFile) {
    EXPECT_TRUE(Read("").empty());
    EXPECT_TRUE(Read("\xFF\xFE").empty());
    EXPECT_TRUE(Read("\xFF").empty());
    // No line end after the last line, and an odd trailing byte.
    std::string bytes = Utf16({"A=\"1\""});
    bytes.resize(bytes.size() - 4);
    bytes += 'Z';
    Lines lines = Read(bytes);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].second, u"1");
    // A bare LF ends a line too.
    std::string lf(
        "\xFF\xFE"
        "A\0=\0\"\0x\0\"\0\n\0B\0=\0\"\0y\0\"\0",
        24);
    EXPECT_EQ(Read(lf).size(), 2u);
}

class MenuTextApply : public ::testing::Test {
protected:
    void SetUp() override {
        menus.setEngine(&renderer);
        const float numbers[12] = {1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 1};
        menus.loadFont("data/gfx/font/vagron.ttf", 20, numbers, 0);
        ASSERT_NE(menus.font(0), nullptr);
        ASSERT_TRUE(menus.font(0)->isOpen());
    }
    template <typename T>
    T *Add(const char *name) {
        T *obj = new T;
        obj->setName(name);
        menus.addObject(obj, "");
        return obj;
    }
    int Apply(const std::vector<std::string> &lines) {
        EXPECT_TRUE(WriteFile("menu.txt", Utf16(lines)));
        return ApplyMenuText(&menus, "menu.txt");
    }
    CountingRenderer renderer;
    GuiManager menus;
};

TEST_F(MenuTextApply, CaptionsReachTheirObjectsAndUnknownNamesAreSkipped) {
    GuiButton *play = Add<GuiButton>("PLAY");
    GuiText *name = Add<GuiText>("NAME");
    EXPECT_EQ(Apply({"GHOST=\"nobody\"", "PLAY=\"Play\"", "NAME=\"Ann\""}), 2);
    EXPECT_EQ(GuiTextLength(play->text), 4);
    EXPECT_GE(play->value, 0);
    EXPECT_GT(menus.font(0)->captionWidth(play->value), 20);
    // A field's first caption reserves its slot for later edits.
    EXPECT_GE(name->value, 0);
    EXPECT_EQ(GuiTextLength(name->text), 3);
    EXPECT_EQ(Apply({}), 0);
    EXPECT_EQ(ApplyMenuText(&menus, "no-such-file.txt"), 0);
}

TEST_F(MenuTextApply, AnOptionCollectsOneEntryPerLineInFileOrder) {
    GuiOption *res = Add<GuiOption>("RES");
    Apply({"RES=\"640\"", "OTHER=\"x\"", "RES=\"800\"", "RES=\"1024\""});
    ASSERT_EQ(res->entryCount(), 3u);
    EXPECT_EQ(res->entries[0].label[0], '6');
    EXPECT_EQ(res->entries[2].label[0], '1');
    EXPECT_NE(res->entries[0].value, res->entries[1].value);
    EXPECT_NE(res->entries[1].value, res->entries[2].value);
    EXPECT_EQ(res->value, res->entries[0].value);  // the first entry shows
    EXPECT_EQ(res->selectedIndex(), 0);
}

TEST_F(MenuTextApply, ACaptionWithHandleZeroIsNotOverwritten) {
    // Handle 0 is the first caption the program ever rendered; a second
    // caption for the same object must get a slot of its own.
    const uint16_t *first = reinterpret_cast<const uint16_t *>(u"first");
    menus.font(0)->renderCaption(first, -1);  // the counter is past 0 whatever ran before
    GuiOption *opt = Add<GuiOption>("OPT");
    opt->addEntry(first, 0);
    ASSERT_EQ(opt->value, 0);
    Apply({"OPT=\"second\""});
    ASSERT_EQ(opt->entryCount(), 2u);
    EXPECT_NE(opt->entries[1].value, 0);
    EXPECT_EQ(opt->value, 0);
}

}  // namespace
