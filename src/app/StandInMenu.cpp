// The menu mode until the scripted front-end exists: a window cleared to the
// table's colour; Escape (on release) or closing the window ends the program.
#include <SDL/SDL.h>

#include "app/Game.h"

int Game::FrontEndUpdate() {
    TickFrame();
    if (!input) return 1;
    input->Pump();
    platform::InputEvent event;
    while (input->PollEvent(&event)) {
        if (HandleCommonEvent(event)) continue;
        if (event.type == platform::EventKeyUp && event.key == platform::KeyEscape) quit = 1;
    }
    return 1;
}

void Game::FrontEndRender() {
    if (!screen_) return;
    SDL_FillRect(screen_, nullptr, SDL_MapRGB(screen_->format, 16, 72, 40));
    SDL_Flip(screen_);
}
