// The program's menus end to end: the real game object with the real menu
// script on the test display, clicked through with scripted input in
// simulated time. Starting, pausing, saving, quitting, loading in a new
// run; the screen size changed and back; the end of a game.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "app/Game.h"
#include "frontend/Layout.h"
#include "frontend/ScriptedMenu.h"
#include "game/SaveGame.h"
#include "image/Image.h"
#include "persist/UserFolder.h"
#include "platform/Clock.h"
#include "platform/Ini.h"

namespace {

// Where the menu script puts its buttons at 800 x 600.
const int kNewGame[2] = {400, 180}, kLoad[2] = {400, 238}, kQuit[2] = {400, 490};
const int kAgainstComputer[2] = {400, 320}, kTwoPlayers[2] = {400, 378};
const int kResume[2] = {400, 210}, kSave[2] = {400, 268}, kMainMenu[2] = {400, 326};
const int kSlot2Y = 160 + 48 + 20;

std::string GameBytes(Game &g) {
    game::SavedExtras e;
    e.kind = g.gameKind;
    e.level = g.rules.level;
    e.azimuth = g.camera.azimuth;
    e.elevation = g.camera.elevation;
    e.distance = g.camera.distance;
    for (int i = 0; i < 3; ++i) e.target[i] = g.camera.target[i];
    e.preset = g.camera.preset;
    std::string b;
    game::WriteSlot(g.rules, e, game::SlotHeader(), &b);
    return b;
}

class MenusTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("MARBRIX_NO_LOGO", "1", 1);  // simulated time stands still during start-up
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        for (int i = 1; i <= 5; ++i) unlink(persist::SlotFilePath(i).c_str());
        unlink("playersname.txt");
        FILE *f = fopen("config.ini", "wb");
        ASSERT_NE(f, nullptr);
        fputs("[Game]\nFullscreen=0\nWidth=800\nHeight=600\n", f);
        fclose(f);
        Start();
    }
    void TearDown() override {
        if (game) game->Shutdown();
        game.reset();
        persist::SetUserFolder("./");
    }
    void Start() {
        if (game) game->Shutdown();
        game.reset(new Game);
        game->input = &input;
        game->withMenus = true;
        game->timer.clock = &clock;
        testing::internal::CaptureStderr();
        const bool ok = game->Init();
        const std::string err = testing::internal::GetCapturedStderr();
        ASSERT_TRUE(ok) << err;
        ASSERT_NE(game->menuGui, nullptr) << err;
        game->frameCapture = &frame;
        Frames(30);  // the main menu swings in
    }
    void Frames(int n) {
        for (int i = 0; i < n && !game->quit; ++i) {
            clock.AdvanceMs(20);
            game->RunOnce();
        }
    }
    void Click(const int at[2]) { ClickAt(at[0], at[1]); }
    // On the first move the starting tile follows the pointer, so the game's
    // bytes depend on where the pointer was in the last frame of play: the
    // comparisons below hold it at one place.
    void HoldPointerOverTheTable() {
        input.SetMouse(400, 300);
        input.PushMotion(400, 300);
        Frames(2);
    }
    void ClickAt(int x, int y) {
        input.SetMouse(x, y);
        input.PushMotion(x, y);
        Frames(3);
        input.PushClick(x, y);
        Frames(30);  // menus swing for 0.45 s
    }
    bool Shown(const char *group) {
        gui::GuiObject *o = Scripted().Manager().findObject(group);
        return o && (o->flags & gui::GUI_VISIBLE);
    }
    frontend::ScriptedMenu &Scripted() {
        return *static_cast<frontend::ScriptedMenu *>(game->menuGui.get());
    }
    // Into play against the computer, on the human's turn.
    void PlayUntilHumanTurn() {
        for (int i = 0; i < 3000 && !(game->mode == Play && game->rules.HumanToMove()); ++i) {
            if (game->mode == Opening) input.PushKey('x');
            Frames(1);
        }
        ASSERT_EQ(game->mode, Play);
        ASSERT_TRUE(game->rules.HumanToMove());
    }
    std::unique_ptr<Game> game;
    platform::ScriptedInput input;
    platform::ManualClock clock;
    Image frame;
};

TEST_F(MenusTest, StartsAtTheMainMenu) {
    EXPECT_EQ(game->mode, Menu);
    EXPECT_TRUE(Shown("MENUMAIN"));
    EXPECT_FALSE(Shown("MENUPLAY"));
    EXPECT_EQ(frame.width, 800);
    // The names are in their entries.
    uint16_t text[64];
    ASSERT_TRUE(game->menuGui->GetText("TEXTEPLAYER1NAME", text, 64));
    EXPECT_EQ(persist::WideString(text).ToUtf8(),
              persist::WideString(game->players[0].name).ToUtf8());
}

TEST_F(MenusTest, PlayPauseSaveQuitThenLoadInANewRun) {
    Click(kNewGame);
    ASSERT_TRUE(Shown("MENUPLAY"));
    Click(kAgainstComputer);
    EXPECT_EQ(game->gameKind, game::KindAgainstComputer);
    EXPECT_NE(game->mode, Menu);
    PlayUntilHumanTurn();
    // Lay nothing yet; turn the camera a little so it is worth keeping.
    game->camera.azimuth = 25.0f;
    game->camera.UpdateEye();

    HoldPointerOverTheTable();
    input.PushKey(platform::KeyEscape);
    Frames(40);
    ASSERT_EQ(game->mode, Menu);
    EXPECT_TRUE(Shown("MENUGAMEOPTION"));
    EXPECT_FALSE(Shown("MENUPLAY"));
    EXPECT_FALSE(Shown("MENUMAIN"));
    const std::string paused = GameBytes(*game);

    // Resume, and back again: nothing moved.
    Click(kResume);
    EXPECT_EQ(game->mode, Play);
    HoldPointerOverTheTable();
    input.PushKey(platform::KeyEscape);
    Frames(40);
    ASSERT_EQ(game->mode, Menu);
    EXPECT_EQ(GameBytes(*game), paused);

    Click(kSave);
    EXPECT_EQ(game->frontEnd.SlotMode(), frontend::SlotListSave);
    ClickAt(400, kSlot2Y);
    EXPECT_EQ(game->frontEnd.SlotMode(), frontend::SlotListClosed);
    EXPECT_TRUE(Shown("MENUGAMEOPTION"));
    std::string file;
    ASSERT_TRUE(platform::ReadWholeFile(persist::SlotFilePath(2).c_str(), &file));

    Click(kMainMenu);
    ASSERT_TRUE(Shown("MENUMAIN"));
    Click(kQuit);
    EXPECT_EQ(game->quit, 1);

    // A new run: load slot 2 and carry on where the game was.
    Start();
    EXPECT_NE(GameBytes(*game), paused);
    Click(kLoad);
    EXPECT_EQ(game->frontEnd.SlotMode(), frontend::SlotListLoad);
    EXPECT_EQ(game->frontEnd.SlotSummary(1).kind, 4);
    ClickAt(400, kSlot2Y);
    EXPECT_EQ(game->mode, Play);
    EXPECT_EQ(game->frontEnd.SlotMode(), frontend::SlotListClosed);
    EXPECT_EQ(game->camera.azimuth, 25.0f);
    // The loaded game, as it stands after a few frames of play: the human
    // has not acted, so only the per-frame counters could have moved.
    HoldPointerOverTheTable();
    EXPECT_EQ(GameBytes(*game), paused);
    EXPECT_TRUE(game->rules.HumanToMove());
}

TEST_F(MenusTest, NamesTypedInTheMenuSurviveARestart) {
    Click(kNewGame);
    ClickAt(510, 180);  // the first name field
    ASSERT_TRUE(game->menuGui->HasFocus("TEXTEPLAYER1NAME"));
    for (int i = 0; i < 12; ++i) input.PushKey(platform::KeyBackspace, 8);
    for (const char *c = "Zoe"; *c; ++c) input.PushKey(*c, uint16_t(*c));
    input.PushKey(platform::KeyReturn, 13);
    Frames(5);
    Click(kQuit);  // Back, at the same place in this menu
    EXPECT_EQ(persist::WideString(game->players[0].name).ToUtf8(), "Zoe");
    ASSERT_TRUE(Shown("MENUMAIN"));
    Start();
    EXPECT_EQ(persist::WideString(game->players[0].name).ToUtf8(), "Zoe");
    uint16_t text[64];
    ASSERT_TRUE(game->menuGui->GetText("TEXTEPLAYER1NAME", text, 64));
    EXPECT_EQ(persist::WideString(text).ToUtf8(), "Zoe");
}

TEST_F(MenusTest, TwoPlayersBothHuman) {
    Click(kNewGame);
    Click(kTwoPlayers);
    EXPECT_EQ(game->gameKind, game::KindTwoHumans);
    EXPECT_EQ(game->players[0].isComputer, 0);
    EXPECT_EQ(game->players[1].isComputer, 0);
    EXPECT_EQ(game->players[0].HandSize(), 7);
}

TEST_F(MenusTest, ScreenSizeChangedAndBack) {
    game->frontEnd.HandleAction("BUTTON_OPTION");
    game->menuGui->SetState("BUTTONOPTION_RES", 2);
    game->frontEnd.HandleAction("BUTTONOPTION_RES");
    game->frontEnd.HandleAction("BUTTONOPTION_BACK");
    ASSERT_EQ(game->settings.width, 1024);
    EXPECT_EQ(game->settings.height, 768);
    EXPECT_EQ(game->width, 1024);
    ASSERT_NE(game->menuGui, nullptr);  // the menu script ran again
    int state = -1;
    EXPECT_TRUE(game->menuGui->GetState("BUTTONOPTION_RES", &state));
    EXPECT_EQ(state, 2);
    EXPECT_EQ(platform::IniGetInt("Game", "Width", 0, "config.ini"), 1024);
    Frames(5);
    EXPECT_EQ(frame.width, 1024);
    EXPECT_EQ(frame.height, 768);

    game->frontEnd.HandleAction("BUTTON_OPTION");
    game->menuGui->SetState("BUTTONOPTION_RES", 1);
    game->frontEnd.HandleAction("BUTTONOPTION_RES");
    game->frontEnd.HandleAction("BUTTONOPTION_BACK");
    EXPECT_EQ(game->width, 800);
    EXPECT_EQ(platform::IniGetInt("Game", "Height", 0, "config.ini"), 600);
    Frames(30);  // the reloaded menu swings in
    EXPECT_EQ(frame.width, 800);
    // A size the display refuses: the previous one comes back, with a
    // message, and nothing is saved.
    testing::internal::CaptureStderr();
    game->frontEnd.pendingWidth = 20000;
    game->frontEnd.pendingHeight = 20000;
    game->frontEnd.HandleAction("BUTTONOPTION_BACK");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("20000"), std::string::npos) << err;
    EXPECT_EQ(game->width, 800);
    EXPECT_EQ(game->settings.width, 800);
    EXPECT_EQ(game->frontEnd.pendingWidth, 800);
    ASSERT_NE(game->menuGui, nullptr);
    EXPECT_NE(game->frontEnd.Notice().find("20000 x 20000"), std::string::npos);
    EXPECT_EQ(platform::IniGetInt("Game", "Width", 0, "config.ini"), 800);
    Frames(30);
    // The menus still answer: a click starts a game.
    Click(kNewGame);
    Click(kAgainstComputer);
    EXPECT_NE(game->mode, Menu);
}

TEST_F(MenusTest, TheEndOfAGameReturnsToTheMainMenu) {
    Click(kNewGame);
    Click(kAgainstComputer);
    PlayUntilHumanTurn();
    game->mode = GameOver;
    input.PushKey('x');
    Frames(40);
    EXPECT_EQ(game->mode, Menu);
    EXPECT_TRUE(Shown("MENUMAIN"));
    EXPECT_FALSE(Shown("MENUPLAY"));
    EXPECT_FALSE(Shown("MENUGAMEOPTION"));
}

}  // namespace
