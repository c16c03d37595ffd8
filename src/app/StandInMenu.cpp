// The menu mode until the scripted front-end exists: it starts a game
// against the computer at once. Escape (on release) or closing the window
// ends the program.
#include "app/Game.h"

int Game::FrontEndUpdate() {
    TickFrame();
    if (input) {
        input->Pump();
        platform::InputEvent event;
        while (input->PollEvent(&event)) {
            if (HandleCommonEvent(event)) continue;
            if (event.type == platform::EventKeyUp && event.key == platform::KeyEscape) quit = 1;
        }
    }
    if (quit) return 0;
    gameKind = game::KindAgainstComputer;
    NewGame();
    return 0;
}

void Game::FrontEndRender() {
    if (!BeginFrame()) return;
    ClearFrame();
    EndFrame();
    PresentFrame();
}
