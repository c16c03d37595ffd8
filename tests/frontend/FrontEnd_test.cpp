// The menus' side of the program, driven through a fake menu scene and a
// fake host: what each button does, the options, the names, the slot lists
// that save and load real files, help and credits.
#include "frontend/FrontEnd.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "persist/TextTable.h"
#include "persist/UserFolder.h"
#include "platform/Ini.h"

namespace {

using persist::WideString;

std::u16string U(const char *ascii) {
    std::u16string s;
    for (; *ascii; ++ascii) s.push_back(char16_t(*ascii));
    return s;
}

std::string Ascii(const uint16_t *text) {
    std::string s;
    for (; text && *text; ++text) s.push_back(char(*text));
    return s;
}

struct FakeGui : frontend::MenuGui {
    struct Object {
        bool visible = true;
        int state = 0;
        std::u16string text;
        bool focus = false;
    };
    std::map<std::string, Object> objects;
    std::deque<std::string> actions;
    std::vector<std::string> events;
    std::map<std::string, std::string> textsWhileDrawn;
    int renders = 0;
    float advanced = 0.0f;

    FakeGui() {
        for (const char *name :
             {"MENUMAIN", "MENUPLAY", "MENUOPTION", "MENUGAMEOPTION", "MENULOAD", "MENUSAVE",
              "TEXTEPLAYER1NAME", "TEXTEPLAYER2NAME", "BUTTONOPTION_RES", "BUTTONOPTION_SOUND",
              "BUTTONOPTION_MUSIC", "BUTTONOPTION_SHADOW", "BUTTONOPTION_REFLECT",
              "BUTTONOPTION_LAYHELP", "BUTTONOPTION_LEVEL"})
            objects[name];
        objects["BUTTONOPTION_RES"].state = 9;  // as the script left it
    }
    bool PopStoredAction(char *name, size_t size) override {
        name[0] = 0;
        if (actions.empty()) return false;
        snprintf(name, size, "%s", actions.front().c_str());
        actions.pop_front();
        return true;
    }
    bool Exists(const char *o) override { return objects.count(o) != 0; }
    void SetVisible(const char *o, bool v) override {
        if (Exists(o)) objects[o].visible = v;
    }
    bool GetState(const char *o, int *s) override {
        if (!Exists(o)) return false;
        *s = objects[o].state;
        return true;
    }
    void SetState(const char *o, int s) override {
        if (Exists(o)) objects[o].state = s;
    }
    bool GetText(const char *o, uint16_t *text, size_t units) override {
        if (!Exists(o)) return false;
        const std::u16string &t = objects[o].text;
        size_t n = t.size() < units - 1 ? t.size() : units - 1;
        for (size_t i = 0; i < n; ++i) text[i] = t[i];
        text[n] = 0;
        return true;
    }
    void SetText(const char *o, const uint16_t *text) override {
        if (!Exists(o)) return;
        std::u16string t;
        for (; *text; ++text) t.push_back(char16_t(*text));
        objects[o].text = t;
    }
    bool HasFocus(const char *o) override { return Exists(o) && objects[o].focus; }
    void KeyDown(int key, uint16_t) override { events.push_back("down " + std::to_string(key)); }
    void KeyUp(int key, uint16_t) override { events.push_back("up " + std::to_string(key)); }
    void MouseMove(int x, int y) override {
        events.push_back("move " + std::to_string(x) + " " + std::to_string(y));
    }
    void ButtonDown(int, int, int b) override { events.push_back("press " + std::to_string(b)); }
    void ButtonUp(int, int, int b) override { events.push_back("release " + std::to_string(b)); }
    void Update(float dt) override { advanced += dt; }
    void Render() override {
        ++renders;
        for (const char *e : {"TEXTEPLAYER1NAME", "TEXTEPLAYER2NAME"}) {
            std::string s;
            for (char16_t c : objects[e].text) s.push_back(char(c));
            textsWhileDrawn[e] = s;
        }
    }
    std::string Visible() {
        std::string s;
        for (const char *g : frontend::kMenuGroups)
            if (objects[g].visible) s += std::string(s.empty() ? "" : " ") + g;
        return s;
    }
};

// Captions go nowhere; each texture is a number.
struct NullRenderer : gui::GuiRenderer {
    int next = 0, live = 0, quads = 0;
    int CreateTexture(int, const uint8_t *, int, bool) override {
        ++live;
        return next++;
    }
    void ReleaseTexture(int) override { --live; }
    void SetState(int, int) override {}
    void BindTexture(int) override {}
    void DrawQuad2D(float, float, float, float, float, float, float, float, float, float,
                    float) override {
        ++quads;
    }
};

struct FakeHost : frontend::FrontEndHost {
    platform::ScriptedInput input;
    persist::Settings settings;
    game::Rules rules;
    game::Camera camera;
    NullRenderer renderer;
    int kind = 4, level = 0;
    int quits = 0, saves = 0, clicks = 0, volumes = 0, screenshots = 0, nameRenders = 0;
    int frames = 0;
    std::vector<int> started, resumed;
    std::vector<std::string> logged;
    std::vector<std::pair<int, int>> recreated;
    std::vector<bool> recreateResults;  // taken in turn; true once empty

    FakeHost() { rules.Setup(); }
    platform::Input *MenuInput() override { return &input; }
    float TickMenuFrame() override { return 1.0f; }
    bool HandleWindowEvent(const platform::InputEvent &e) override {
        if (e.type != platform::EventQuit) return false;
        ++quits;
        return true;
    }
    void Quit() override { ++quits; }
    int ScreenWidth() const override { return settings.width; }
    int ScreenHeight() const override { return settings.height; }
    persist::Settings &MenuSettings() override { return settings; }
    void SaveMenuSettings() override { ++saves; }
    void ApplyVolumes() override { ++volumes; }
    void PlayClick() override { ++clicks; }
    void RequestMenuScreenshot() override { ++screenshots; }
    void LogLine(const char *text) override { logged.push_back(text); }
    bool RecreateDisplay() override {
        recreated.push_back({settings.width, settings.height});
        if (recreateResults.empty()) return true;
        bool ok = recreateResults.front();
        recreateResults.erase(recreateResults.begin());
        return ok;
    }
    game::Rules &GameRules() override { return rules; }
    game::Camera &GameCamera() override { return camera; }
    int GameKind() const override { return kind; }
    int ComputerLevel() const override { return level; }
    void SetComputerLevel(int l) override { level = l; }
    void RenderNameTextures() override { ++nameRenders; }
    void StartNewGame(int k) override {
        kind = k;
        started.push_back(k);
    }
    void ResumeGame(int k) override {
        kind = k;
        resumed.push_back(k);
    }
    bool BeginMenuFrame() override { return true; }
    gui::GuiRenderer *MenuRenderer() override { return &renderer; }
    int SlotHighlightTexture() override { return 500; }
    void FinishMenuFrame() override { ++frames; }
};

std::string SaveBytes(const game::Rules &rules) {
    std::string b;
    game::WriteSlot(rules, game::SavedExtras(), game::SlotHeader(), &b);
    return b;
}

class FrontEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(persist::LoadTextTable("en"));
        persist::SetUserFolder("./");
        persist::SetLanguage("en");
        persist::MakeUserFolders();
        for (int i = 1; i <= 5; ++i) unlink(persist::SlotFilePath(i).c_str());
        front.SetGui(&gui);
    }
    int Act(const char *action) {
        gui.actions.push_back(action);
        return front.Update();
    }
    // A game against the computer, some tiles in, the human to move.
    void DealAndPlay(unsigned seed) {
        host.rules.players[0].isComputer = 0;
        host.rules.players[1].isComputer = 1;
        srand(seed);
        host.rules.NewGame();
        for (int i = 0; i < 400 && !host.rules.HumanToMove(); ++i) {
            host.rules.BeginFrame();
            host.rules.ComputerUpdate(5.0f);
        }
        ASSERT_TRUE(host.rules.HumanToMove());
    }
    FakeHost host;
    FakeGui gui;
    frontend::FrontEnd front{&host};
};

TEST_F(FrontEndTest, EveryActionClicksOnceAndButtonsDoWhatTheySay) {
    EXPECT_EQ(Act("SOMETHING_ELSE"), 1);
    EXPECT_EQ(host.clicks, 1);
    EXPECT_EQ(Act("BUTTON_PLAY"), 1);
    EXPECT_EQ(host.clicks, 2);
    EXPECT_GT(gui.advanced, 0.0f);
    EXPECT_EQ(Act("BUTTON_ONE_PLAYER"), 0);  // into play: nothing to draw here
    EXPECT_EQ(host.started, std::vector<int>{4});
    EXPECT_EQ(Act("BUTTON_TWO_PLAYERS"), 0);
    EXPECT_EQ(host.started, (std::vector<int>{4, 5}));
    host.kind = 5;
    EXPECT_EQ(Act("BUTTONGAME_PLAY"), 0);
    EXPECT_EQ(host.resumed, std::vector<int>{5});
    EXPECT_EQ(host.quits, 0);
    Act("BUTTON_QUIT");
    EXPECT_EQ(host.quits, 1);
    EXPECT_EQ(host.clicks, 6);
    EXPECT_EQ(host.saves, 0);
}

TEST_F(FrontEndTest, InputReachesTheMenuWithItsButtonNumbers) {
    host.input.PushKey('a', 'a');
    host.input.PushClick(10, 20, platform::ButtonLeft);
    host.input.PushClick(10, 20, platform::ButtonMiddle);
    host.input.PushClick(10, 20, platform::ButtonRight);
    host.input.PushKey(platform::KeyF10);
    front.Update();
    EXPECT_EQ(gui.events,
              (std::vector<std::string>{"down 97", "up 97", "move 10 20", "press 0", "release 0",
                                        "move 10 20", "press 1", "release 1", "move 10 20",
                                        "press 3", "release 3", "down 291", "up 291"}));
    EXPECT_EQ(host.screenshots, 1);
    // Refreshing the pointer passes its position as a motion.
    gui.events.clear();
    host.input.SetMouse(33, 44);
    Act("BUTTON_PLAY");
    EXPECT_EQ(gui.events, std::vector<std::string>{"move 33 44"});
}

TEST_F(FrontEndTest, SwitchesFollowTheSettingsAndSaveThem) {
    FakeGui fresh;
    host.settings.sound = 0;
    host.settings.level = 1;
    host.settings.width = 1024;
    front.SetGui(&fresh);
    EXPECT_EQ(fresh.objects["BUTTONOPTION_SOUND"].state, 0);
    EXPECT_EQ(fresh.objects["BUTTONOPTION_MUSIC"].state, 1);
    EXPECT_EQ(fresh.objects["BUTTONOPTION_LEVEL"].state, 1);
    EXPECT_EQ(fresh.objects["BUTTONOPTION_LAYHELP"].state, 1);
    EXPECT_EQ(fresh.objects["BUTTONOPTION_RES"].state, 2);
    // A width the switch does not know leaves it as the script made it.
    FakeGui other;
    other.objects.erase("BUTTONOPTION_SHADOW");  // a switch the script lacks is skipped
    host.settings.width = 1280;
    front.SetGui(&other);
    EXPECT_EQ(other.objects["BUTTONOPTION_RES"].state, 9);
    EXPECT_EQ(other.objects.count("BUTTONOPTION_SHADOW"), 0u);

    front.SetGui(&gui);
    gui.objects["BUTTONOPTION_SOUND"].state = 1;
    Act("BUTTONOPTION_SOUND");
    EXPECT_EQ(host.settings.sound, 1);
    EXPECT_EQ(host.volumes, 1);
    EXPECT_EQ(host.saves, 1);
    gui.objects["BUTTONOPTION_SHADOW"].state = 0;
    Act("BUTTONOPTION_SHADOW");
    EXPECT_EQ(host.settings.shadow, 0);
    EXPECT_EQ(host.volumes, 1);
    EXPECT_EQ(host.saves, 2);
    gui.objects["BUTTONOPTION_LAYHELP"].state = 0;
    gui.objects["BUTTONOPTION_LEVEL"].state = 0;
    Act("BUTTONOPTION_LAYHELP");
    Act("BUTTONOPTION_LEVEL");
    EXPECT_EQ(host.settings.layHelp, 0);
    EXPECT_EQ(host.settings.level, 0);
    EXPECT_EQ(host.saves, 4);
}

TEST_F(FrontEndTest, ResolutionIsAppliedOnlyWhenLeavingTheOptionsWithAChange) {
    Act("BUTTON_OPTION");
    gui.objects["BUTTONOPTION_RES"].state = 2;
    Act("BUTTONOPTION_RES");
    gui.objects["BUTTONOPTION_RES"].state = 1;  // back to the current 800 x 600
    Act("BUTTONOPTION_RES");
    Act("BUTTONOPTION_BACK");
    EXPECT_TRUE(host.recreated.empty());
    EXPECT_EQ(host.saves, 0);

    Act("BUTTON_OPTION");
    gui.objects["BUTTONOPTION_RES"].state = 2;
    Act("BUTTONOPTION_RES");
    gui.objects["BUTTONOPTION_RES"].state = 7;  // unknown states leave the choice
    Act("BUTTONOPTION_RES");
    EXPECT_EQ(host.settings.width, 800);  // nothing applied yet
    Act("BUTTONOPTION_BACK");
    EXPECT_EQ(host.recreated, (std::vector<std::pair<int, int>>{{1024, 768}}));
    EXPECT_EQ(host.settings.width, 1024);
    EXPECT_EQ(host.settings.height, 768);
    EXPECT_EQ(host.saves, 1);
    EXPECT_EQ(front.Notice(), "");
}

TEST_F(FrontEndTest, AFailedResolutionGoesBackToThePreviousSize) {
    host.recreateResults = {false, true};
    Act("BUTTON_OPTION");
    gui.objects["BUTTONOPTION_RES"].state = 0;
    Act("BUTTONOPTION_RES");
    Act("BUTTONOPTION_BACK");
    EXPECT_EQ(host.recreated, (std::vector<std::pair<int, int>>{{640, 480}, {800, 600}}));
    EXPECT_EQ(host.settings.width, 800);
    EXPECT_EQ(host.settings.height, 600);
    EXPECT_EQ(host.saves, 0);
    EXPECT_NE(front.Notice().find("640 x 480"), std::string::npos);
    EXPECT_EQ(host.logged.size(), 1u);
    EXPECT_EQ(host.quits, 0);
    // Leaving again without a new choice changes nothing.
    Act("BUTTONOPTION_BACK");
    EXPECT_EQ(host.recreated.size(), 2u);
    // When even the old size cannot come back, the program ends with a message.
    host.recreateResults = {false, false};
    gui.objects["BUTTONOPTION_RES"].state = 2;
    Act("BUTTONOPTION_RES");
    Act("BUTTONOPTION_BACK");
    EXPECT_EQ(host.quits, 1);
    EXPECT_EQ(host.saves, 0);
}

TEST_F(FrontEndTest, NamesAreEditedCutAndSaved) {
    const uint16_t anne[] = {'A', 'n', 'n', 'e', 0};
    memcpy(host.rules.players[0].name, anne, sizeof anne);
    FakeGui fresh;
    front.SetGui(&fresh);
    EXPECT_EQ(fresh.objects["TEXTEPLAYER1NAME"].text, U("Anne"));

    fresh.objects["TEXTEPLAYER1NAME"].text = U("Fifteen letters");
    fresh.objects["TEXTEPLAYER2NAME"].text = U("Bob");
    fresh.actions.push_back("BUTTONCONFIG_BACK");
    front.Update();
    EXPECT_EQ(Ascii(host.rules.players[0].name), "Fifteen le");
    EXPECT_EQ(Ascii(host.rules.players[1].name), "Bob");
    EXPECT_EQ(fresh.objects["TEXTEPLAYER1NAME"].text, U("Fifteen le"));
    EXPECT_EQ(host.nameRenders, 1);
    EXPECT_EQ(host.saves, 1);
}

TEST_F(FrontEndTest, AFocusedEntryShowsACaretOnlyWhileDrawn) {
    gui.objects["TEXTEPLAYER1NAME"].text = U("Ann");
    gui.objects["TEXTEPLAYER2NAME"].text = U("Bob");
    gui.objects["TEXTEPLAYER2NAME"].focus = true;
    front.Render();
    EXPECT_EQ(gui.renders, 1);
    EXPECT_EQ(gui.textsWhileDrawn["TEXTEPLAYER1NAME"], "Ann");
    EXPECT_EQ(gui.textsWhileDrawn["TEXTEPLAYER2NAME"], "Bob_");
    EXPECT_EQ(gui.objects["TEXTEPLAYER2NAME"].text, U("Bob"));
    EXPECT_EQ(host.frames, 1);
    // A full entry keeps within the widget's 63 units with its caret.
    gui.objects["TEXTEPLAYER2NAME"].text = std::u16string(63, u'x');
    front.Render();
    EXPECT_EQ(gui.textsWhileDrawn["TEXTEPLAYER2NAME"].size(), 63u);
    EXPECT_EQ(gui.objects["TEXTEPLAYER2NAME"].text.size(), 63u);
}

TEST_F(FrontEndTest, SaveToASlotThenLoadItBack) {
    DealAndPlay(21);
    host.camera.azimuth = 40.0f;
    host.camera.preset = 2;
    host.level = 1;
    const std::string saved = SaveBytes(host.rules);

    Act("BUTTONGAME_SAVE");
    EXPECT_EQ(front.SlotMode(), frontend::SlotListSave);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(front.SlotSummary(i).kind, -1);
    // The list's five labels were made.
    EXPECT_GE(host.renderer.live, 1);
    host.input.PushClick(300, 161 + 48);  // slot index 1, file 2
    front.Update();
    EXPECT_EQ(front.SlotMode(), frontend::SlotListClosed);
    EXPECT_EQ(gui.Visible(), "MENUGAMEOPTION");
    std::string file;
    ASSERT_TRUE(platform::ReadWholeFile(persist::SlotFilePath(2).c_str(), &file));
    game::SlotHeader header;
    game::ParseSlotHeader(reinterpret_cast<const uint8_t *>(file.data()), file.size(), &header);
    EXPECT_EQ(header.kind, 4);
    EXPECT_GE(header.year, 2024);
    EXPECT_GE(header.month, 1);

    // The list shows it next time.
    Act("BUTTON_LOAD");
    EXPECT_EQ(front.SlotSummary(1).kind, 4);
    EXPECT_EQ(front.SlotSummary(0).kind, -1);

    // Another game meanwhile, another camera.
    DealAndPlay(77);
    host.camera.azimuth = 0.0f;
    host.camera.preset = 1;
    host.level = 0;
    ASSERT_NE(SaveBytes(host.rules), saved);

    // An empty slot loads nothing and says so; the list stays open.
    host.input.PushClick(300, 170);
    front.Update();
    EXPECT_EQ(front.SlotMode(), frontend::SlotListLoad);
    EXPECT_NE(front.Notice().find("empty"), std::string::npos);
    EXPECT_TRUE(host.resumed.empty());
    // Below the rows nothing is picked.
    host.input.PushClick(300, 400);
    front.Update();
    EXPECT_EQ(front.SlotMode(), frontend::SlotListLoad);

    host.input.PushClick(300, 220);
    EXPECT_EQ(front.Update(), 0);
    EXPECT_EQ(front.SlotMode(), frontend::SlotListClosed);
    EXPECT_EQ(host.resumed, std::vector<int>{4});
    EXPECT_EQ(SaveBytes(host.rules), saved);
    EXPECT_EQ(host.camera.azimuth, 40.0f);
    EXPECT_EQ(host.camera.preset, 2);
    EXPECT_EQ(host.level, 1);
}

TEST_F(FrontEndTest, ABadSlotFileIsRefusedAndChangesNothing) {
    DealAndPlay(5);
    Act("BUTTONGAME_SAVE");
    host.input.PushClick(300, 170);  // slot 1
    front.Update();
    std::string good;
    ASSERT_TRUE(platform::ReadWholeFile(persist::SlotFilePath(1).c_str(), &good));

    DealAndPlay(6);
    const std::string before = SaveBytes(host.rules);
    ASSERT_TRUE(platform::WriteFileAtomically(persist::SlotFilePath(1).c_str(),
                                              good.substr(0, good.size() / 2)));
    // A file shorter than a header shows as empty.
    ASSERT_TRUE(platform::WriteFileAtomically(persist::SlotFilePath(3).c_str(), "garbage"));
    Act("BUTTON_LOAD");
    EXPECT_EQ(front.SlotSummary(0).kind, 4);  // the header is still there
    EXPECT_EQ(front.SlotSummary(2).kind, -1);
    host.input.PushClick(300, 170);
    front.Update();
    EXPECT_EQ(front.SlotMode(), frontend::SlotListLoad);
    EXPECT_TRUE(host.resumed.empty());
    EXPECT_EQ(SaveBytes(host.rules), before);
    EXPECT_NE(front.Notice().find("cannot be loaded"), std::string::npos);
    ASSERT_FALSE(host.logged.empty());
    EXPECT_EQ(host.logged.back(), front.Notice());
}

TEST_F(FrontEndTest, AFifoInASlotNeitherStallsTheListNorLoads) {
    DealAndPlay(7);
    const std::string before = SaveBytes(host.rules);
    unlink(persist::SlotFilePath(4).c_str());
    ASSERT_EQ(mkfifo(persist::SlotFilePath(4).c_str(), 0600), 0);
    // Opening the list and loading the slot would block for ever on the
    // FIFO if it were opened for reading like a file.
    Act("BUTTON_LOAD");
    EXPECT_EQ(front.SlotSummary(3).kind, -1);
    host.input.PushClick(300, 160 + 3 * 48 + 20);  // slot 4
    front.Update();
    unlink(persist::SlotFilePath(4).c_str());
    EXPECT_NE(front.Notice().find("not a regular file"), std::string::npos);
    EXPECT_TRUE(host.resumed.empty());
    EXPECT_EQ(SaveBytes(host.rules), before);
}

TEST_F(FrontEndTest, ASaveThatCannotBeWrittenSaysSoAndKeepsTheListOpen) {
    DealAndPlay(8);
    // The save folder replaced by a file: nothing can be created in it.
    ASSERT_EQ(rename("save", "save.kept"), 0);
    FILE *f = fopen("save", "wb");
    ASSERT_NE(f, nullptr);
    fclose(f);
    Act("BUTTONGAME_SAVE");
    host.input.PushClick(300, 170);
    front.Update();
    unlink("save");
    ASSERT_EQ(rename("save.kept", "save"), 0);
    EXPECT_EQ(front.SlotMode(), frontend::SlotListSave);
    EXPECT_NE(front.Notice().find("could not be written"), std::string::npos);
    EXPECT_NE(gui.Visible(), "MENUGAMEOPTION");
    // Back closes the list without doing anything.
    Act("BUTTONSAVE_BACK");
    EXPECT_EQ(front.SlotMode(), frontend::SlotListClosed);
    FILE *none = fopen(persist::SlotFilePath(1).c_str(), "rb");
    EXPECT_EQ(none, nullptr);
    if (none) fclose(none);
}

TEST_F(FrontEndTest, HelpAndCreditsShowAndHide) {
    Act("BUTTON_HELP");
    ASSERT_TRUE(front.HelpShown());
    host.renderer.quads = 0;
    front.Render();
    const int withHelp = host.renderer.quads;
    EXPECT_GE(withHelp, 9);  // nine lines at least
    Act("BUTTON_HELP_BACK");
    EXPECT_FALSE(front.HelpShown());
    host.renderer.quads = 0;
    front.Render();
    EXPECT_EQ(host.renderer.quads, 0);
    EXPECT_EQ(host.renderer.live, 0);  // the help's textures are gone

    Act("BUTTON_ABOUT");
    ASSERT_TRUE(front.CreditsShown());
    EXPECT_FALSE(front.Credits().empty());  // the shipped English credits
    EXPECT_FLOAT_EQ(front.CreditsScroll(), 600.0f - 96.0f);
    front.Render();
    EXPECT_LT(front.CreditsScroll(), 504.0f);  // drawing scrolls
    Act("BUTTON_ABOUT_BACK");
    EXPECT_FALSE(front.CreditsShown());
    EXPECT_TRUE(front.Credits().empty());
    EXPECT_EQ(host.renderer.live, 0);
}

TEST_F(FrontEndTest, MissingCreditsShowNothingAndBackStillWorks) {
    persist::SetLanguage("zz");
    Act("BUTTON_ABOUT");
    EXPECT_TRUE(front.CreditsShown());
    EXPECT_TRUE(front.Credits().empty());
    front.Render();
    Act("BUTTON_ABOUT_BACK");
    EXPECT_FALSE(front.CreditsShown());
    persist::SetLanguage("en");
}

}  // namespace
