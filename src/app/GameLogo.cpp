// Start-up's opening logo, between opening the display and loading the game.
#include <cstdlib>
#include <cstring>

#include "app/Game.h"
#include "app/LogoScreen.h"

void Game::PlayLogo() {
    logoFrames = 0;
    const char *off = getenv("MARBRIX_NO_LOGO");
    if (off && strcmp(off, "1") == 0) return;
    LogoScreen logo(this, &timer, input);
    if (logo.Begin()) {
        while (!logo.Frame()) {
        }
    }
    logo.End();
    logoFrames = logo.framesDrawn;
    if (logo.sequence.quitRequested) quit = 1;
}
