// The game object's start-up, loop and shutdown, with scripted input.
#include "app/Game.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>

#include "persist/TextTable.h"
#include "persist/UserFolder.h"
#include "platform/Path.h"

namespace {

std::string ReadFile(const std::string &path) {
    std::string s;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) return "<missing>";
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    fclose(f);
    return s;
}

void WriteFile(const std::string &path, const std::string &text) {
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
}

class GameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        unlink("config.ini");
        unlink("playersname.txt");
        game.reset(new Game);
        game->input = &input;
    }
    void TearDown() override {
        if (game) game->Shutdown();
        // SDL stays up until the process ends: quitting it unloads the GL
        // driver, whose own leaks could then no longer be told from ours.
        persist::SetUserFolder("./");
    }
    // Init with its messages caught.
    bool Init(std::string *err) {
        testing::internal::CaptureStderr();
        bool ok = game->Init();
        *err = testing::internal::GetCapturedStderr();
        return ok;
    }
    std::unique_ptr<Game> game;
    platform::ScriptedInput input;
};

}  // namespace

TEST_F(GameTest, FirstStartWritesSettingsAndNamesAndOpensAWindow) {
    std::string err;
    ASSERT_TRUE(Init(&err)) << err;
    EXPECT_EQ(err, "");
    EXPECT_EQ(game->mode, Menu);
    EXPECT_EQ(game->gameKind, game::KindAgainstComputer);
    EXPECT_EQ(game->quit, 0);
    EXPECT_EQ(game->settings.width, 800);
    EXPECT_EQ(game->settings.height, 600);
    EXPECT_EQ(ReadFile("config.ini"),
              "[Game]\nWidth=800\nHeight=600\nShadow=1\nReflect=1\nSound=1\nMusic=1\nLayHelp=1\nLevel=0\n");
    // The names are the word of the shipped English table with the seat digit.
    std::string word = persist::TextLine(1).ToUtf8();
    ASSERT_FALSE(word.empty());
    EXPECT_EQ(persist::WideString(game->players[0].name).ToUtf8(), word + "1");
    EXPECT_EQ(persist::WideString(game->players[1].name).ToUtf8(), word + "2");
    EXPECT_NE(ReadFile("playersname.txt"), "<missing>");
    EXPECT_TRUE(platform::IsDirectory("save"));
    EXPECT_TRUE(platform::IsDirectory("captures"));
    SDL_Surface *screen = SDL_GetVideoSurface();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->w, 800);
    EXPECT_EQ(screen->h, 600);
    EXPECT_EQ(game->players[0].isComputer, 0);
    EXPECT_EQ(game->players[1].isComputer, 1);
}

TEST_F(GameTest, GamePathElsewhereKeepsLanguageInTheWorkingFolder) {
    WriteFile("config.ini", "[Path]\nGamePath=elsewhere\\me\n[Game]\nLang=fr\n");
    std::string err;
    ASSERT_TRUE(Init(&err)) << err;
    EXPECT_EQ(persist::TextLine(1).ToUtf8(), "Joueur");
    EXPECT_EQ(ReadFile("elsewhere/me/config.ini"),
              "[Game]\nWidth=800\nHeight=600\nShadow=1\nReflect=1\nSound=1\nMusic=1\nLayHelp=1\nLevel=0\n");
    EXPECT_TRUE(platform::IsDirectory("elsewhere/me/save"));
    EXPECT_EQ(ReadFile("config.ini"), "[Path]\nGamePath=elsewhere\\me\n[Game]\nLang=fr\n");
}

TEST_F(GameTest, SettingsOfAnExistingFileAreUsedAndNamesRestored) {
    WriteFile("config.ini", "[Game]\nWidth=640\nHeight=480\nFullscreen=0\nShadow=0\n");
    std::string err;
    ASSERT_TRUE(Init(&err)) << err;
    EXPECT_EQ(game->settings.width, 640);
    EXPECT_EQ(game->settings.shadow, 0);
    EXPECT_EQ(SDL_GetVideoSurface()->w, 640);
    // The names file was missing: defaults, written with the settings.
    EXPECT_NE(ReadFile("playersname.txt"), "<missing>");
    EXPECT_NE(ReadFile("config.ini").find("Shadow=0\n"), std::string::npos);
}

TEST_F(GameTest, UnreadableTextTableStopsStartUp) {
    WriteFile("config.ini", "[Game]\nLang=xx\n");
    std::string err;
    EXPECT_FALSE(Init(&err));
    EXPECT_EQ(err, "Cannot read text file\nProbleme de lecture du fichier texte\n");
    EXPECT_FALSE(game->IsOpen());  // stopped before the display
}

TEST_F(GameTest, ImpossibleScreenSizeIsReported) {
    WriteFile("config.ini", "[Game]\nWidth=99999999999\nHeight=-5\n");
    std::string err;
    EXPECT_FALSE(Init(&err));
    EXPECT_EQ(err, "Impossible d'initialiser le mode video 2147483647x-5\n");
    // Start-up stopped there: the names are read only after the display.
    EXPECT_EQ(ReadFile("playersname.txt"), "<missing>");
}

TEST_F(GameTest, WindowCloseEndsTheLoopInEveryMode) {
    std::string err;
    WriteFile("config.ini", "[Game]\nFullscreen=0\n");
    ASSERT_TRUE(Init(&err)) << err;
    game->NewGame();  // a dealt game, so that play has something to show
    const int modes[] = {Menu, Play, Opening, GameOver, 7, -1};
    for (int mode : modes) {
        game->quit = 0;
        game->mode = mode;
        platform::InputEvent press;
        press.type = platform::EventKeyDown;
        press.key = 'a';
        input.PushMotion(3, 4);
        input.Push(press);  // keys act on release: a press changes nothing
        input.PushQuit();
        game->Run();
        EXPECT_EQ(game->quit, 1) << "mode " << mode;
        EXPECT_TRUE(input.Empty()) << "mode " << mode;
        EXPECT_EQ(game->mode, mode);
    }
}

TEST_F(GameTest, StandInMenuDealsAGameAndEscapeQuits) {
    std::string err;
    WriteFile("config.ini", "[Game]\nFullscreen=0\n");
    ASSERT_TRUE(Init(&err)) << err;
    platform::InputEvent down;
    down.type = platform::EventKeyDown;
    down.key = platform::KeyEscape;
    input.Push(down);
    EXPECT_EQ(game->FrontEndUpdate(), 0);  // nothing of its own to show
    EXPECT_EQ(game->quit, 0);              // a press alone does nothing
    EXPECT_EQ(game->mode, Opening);
    EXPECT_EQ(game->players[0].HandSize(), 7);
    EXPECT_EQ(game->players[1].HandSize(), 7);
    input.PushKey(platform::KeyEscape);
    game->Run();
    EXPECT_EQ(game->quit, 1);
    EXPECT_GT(game->timer.frameCount, 0);
}

TEST(GameShutdown, SafeWithoutInit) {
    Game g;
    g.Shutdown();
    g.Shutdown();
    EXPECT_EQ(g.mode, Menu);
    EXPECT_EQ(g.quit, 0);
}
