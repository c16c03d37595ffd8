// Entry point: starts SDL, runs the one game object, and opens the help page
// on the way out. Exit status 0 after a normal run, 1 after any failure.
#include <SDL.h>

#include <cstdio>

#include "app/Game.h"
#include "app/SdlInput.h"
#include "app/Shell.h"

static Game g_game;

int main(int, char **) {
    // A user's SDL_VIDEODRIVER is respected; otherwise SDL chooses.
    if (SDL_Init(SDL_INIT_EVERYTHING) < 0) {
        // No usable audio is no reason not to play: the sound opens its own
        // device later, falling back to silence.
        if (SDL_Init(SDL_INIT_EVERYTHING & ~SDL_INIT_AUDIO) < 0) {
            fprintf(stderr, "Can't initialize SDL\n");
            return 1;
        }
    }
    SDL_ShowCursor(0);  // the game draws its own pointer
    SDL_WM_SetCaption("Marbrix 3D TR", nullptr);
    SDL_EnableUNICODE(1);

    platform::SdlInput input;
    g_game.input = &input;
    g_game.withMenus = true;
    bool ok = g_game.Init();
    if (ok) g_game.Run();
    g_game.Shutdown();

    SDL_EnableUNICODE(0);
    SDL_Quit();
    platform::ShellOpen("./html/index.html");
    return ok ? 0 : 1;
}
