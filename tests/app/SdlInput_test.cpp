#include "app/SdlInput.h"

#include <SDL.h>
#include <gtest/gtest.h>

using namespace platform;

class SdlInputTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        ASSERT_NE(SDL_SetVideoMode(64, 64, 0, 0), nullptr) << SDL_GetError();
        SDL_EnableUNICODE(1);
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
        }
    }
    void TearDown() override { SDL_Quit(); }
};

TEST_F(SdlInputTest, TranslatesKeysButtonsAndQuit) {
    SDL_Event e;
    memset(&e, 0, sizeof e);
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = SDLK_a;
    e.key.keysym.unicode = 0xE9;
    SDL_PushEvent(&e);
    e.type = SDL_KEYUP;
    e.key.keysym.sym = SDLK_ESCAPE;
    SDL_PushEvent(&e);
    memset(&e, 0, sizeof e);
    e.type = SDL_ACTIVEEVENT;  // not read by any update step: skipped
    SDL_PushEvent(&e);
    e.type = SDL_MOUSEBUTTONUP;
    e.button.button = SDL_BUTTON_RIGHT;
    e.button.x = 10;
    e.button.y = 20;
    SDL_PushEvent(&e);
    memset(&e, 0, sizeof e);
    e.type = SDL_QUIT;
    SDL_PushEvent(&e);

    SdlInput input;
    InputEvent ev;
    ASSERT_TRUE(input.PollEvent(&ev));
    EXPECT_EQ(ev.type, EventKeyDown);
    EXPECT_EQ(ev.key, 'a');
    EXPECT_EQ(ev.unicode, 0xE9);
    ASSERT_TRUE(input.PollEvent(&ev));
    EXPECT_EQ(ev.type, EventKeyUp);
    EXPECT_EQ(ev.key, KeyEscape);
    ASSERT_TRUE(input.PollEvent(&ev));
    EXPECT_EQ(ev.type, EventButtonUp);
    EXPECT_EQ(ev.button, ButtonRight);
    EXPECT_EQ(ev.x, 10);
    EXPECT_EQ(ev.y, 20);
    ASSERT_TRUE(input.PollEvent(&ev));
    EXPECT_EQ(ev.type, EventQuit);
    EXPECT_FALSE(input.PollEvent(&ev));
    EXPECT_FALSE(input.KeyDown(-1));
    EXPECT_FALSE(input.KeyDown(100000));
}
