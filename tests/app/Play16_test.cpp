// The game on an X display of depth 16: whatever colour mode the engine
// gets there, the table and the first tile show and play goes on.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/Game.h"
#include "image/Image.h"
#include "platform/Clock.h"

TEST(Play16, PlaysOnADisplayOfDepth16) {
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    setenv("MARBRIX_NO_LOGO", "1", 1);  // simulated time stands still during start-up
    FILE *f = fopen("config.ini", "wb");
    ASSERT_NE(f, nullptr);
    fputs("[Game]\nFullscreen=0\nWidth=800\nHeight=600\n", f);
    fclose(f);
    std::unique_ptr<Game> game(new Game);
    platform::ScriptedInput input;
    platform::ManualClock clock;
    game->input = &input;
    game->timer.clock = &clock;
    ASSERT_TRUE(game->Init());
    Image frame;
    game->frameCapture = &frame;
    auto frameStep = [&] {
        clock.AdvanceMs(20);
        game->RunOnce();
    };
    frameStep();  // deals
    input.PushKey('x');
    frameStep();
    ASSERT_EQ(game->mode, Play);
    // Let the first tile be laid, by whoever starts.
    if (game->rules.HumanToMove()) {
        input.SetMouse(400, 250);
        frameStep();
        input.PushClick(400, 250);
    }
    for (int i = 0; i < 80 && game->rules.board.placed.empty(); ++i) frameStep();
    ASSERT_EQ(game->rules.board.placed.size(), 1u);
    frameStep();
    ASSERT_EQ(frame.width, 800);
    // Not black anywhere in the table's middle band, and the title is drawn.
    long light = 0;
    for (int y = 150; y < 450; y += 10)
        for (int x = 0; x < 800; x += 10) light += frame.pixels[(y * 800 + x) * 4];
    EXPECT_GT(light, 30L * 80 * 60);
    game->Shutdown();
}
