#include "app/SdlInput.h"

#include <SDL.h>

namespace platform {

void SdlInput::Pump() {
    SDL_PumpEvents();
}

int SdlInput::MouseState(int *x, int *y) {
    return SDL_GetMouseState(x, y);
}

int SdlInput::RelativeMouseState(int *dx, int *dy) {
    return SDL_GetRelativeMouseState(dx, dy);
}

bool SdlInput::KeyDown(int key) {
    int count = 0;
    Uint8 *keys = SDL_GetKeyState(&count);
    return keys && key >= 0 && key < count && keys[key];
}

bool SdlInput::PollEvent(InputEvent *event) {
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        InputEvent out;
        switch (e.type) {
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                out.type = e.type == SDL_KEYDOWN ? EventKeyDown : EventKeyUp;
                out.key = e.key.keysym.sym;
                out.unicode = e.type == SDL_KEYDOWN ? e.key.keysym.unicode : 0;
                break;
            case SDL_MOUSEMOTION:
                out.type = EventMouseMotion;
                out.x = e.motion.x;
                out.y = e.motion.y;
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                out.type = e.type == SDL_MOUSEBUTTONDOWN ? EventButtonDown : EventButtonUp;
                out.button = e.button.button;
                out.x = e.button.x;
                out.y = e.button.y;
                break;
            case SDL_QUIT:
                out.type = EventQuit;
                break;
            default:
                continue;
        }
        *event = out;
        return true;
    }
    return false;
}

}  // namespace platform
