#pragma once
// The one application object. It lives in static storage for the whole run
// and owns every piece of the program's state; the main loop dispatches on
// its mode to one update step and, when that asks for it, one render step.
//
// Conventions for every update step: it first calls TickFrame(), reads the
// keyboard and mouse only through `input`, polls every pending event and
// passes each one to HandleCommonEvent() (which ends the program when the
// window is closed), and returns nonzero when its render step is to run.

#include <cstdint>

#include "app/FrameTimer.h"
#include "persist/Settings.h"
#include "platform/Input.h"

struct SDL_Surface;

enum GameMode { Menu = 0, Play = 1, Opening = 2, GameOver = 3 };

// Game kinds: one human against the computer, or two humans at one machine.
enum GameKind { KindAgainstComputer = 4, KindTwoHumans = 5 };

// A seat as far as the shell needs it; the rules' player record takes its
// place. The name comes first in both, so the name storage serves either.
struct Seat {
    persist::NameBuffer name;
    int32_t isComputer;
};

class Game {
public:
    Game();
    Game(const Game &) = delete;
    Game &operator=(const Game &) = delete;

    // Brings the program up; on false a message has been written and the
    // caller still runs Shutdown.
    bool Init();
    // Loops until quit is set.
    void Run();
    // Releases everything in reverse order; safe after a partial Init.
    void Shutdown();

    // Writes the settings, then the names file. Failures are ignored.
    void SaveSettings();

    // Ticks the frame timer and keeps its step for every part to read.
    float TickFrame();
    // Events every mode handles alike: closing the window ends the program.
    // Returns true when the event was consumed.
    bool HandleCommonEvent(const platform::InputEvent &event);

    // Mode steps. The front-end's are stand-ins until the menus exist.
    int FrontEndUpdate();
    void FrontEndRender();
    // For modes whose steps do not exist (or an unknown mode): only keeps
    // the window responsive to being closed.
    int IdleUpdate();

    // Loop control.
    int32_t quit;
    int32_t mode;
    int32_t gameKind;

    // Settings, and the size the options screen has chosen but not applied.
    persist::Settings settings;
    int32_t pendingWidth;
    int32_t pendingHeight;

    Seat players[2];
    int32_t playerCount;

    int32_t cameraPreset;
    int32_t screenshotCounter;

    // Input of every update step: SDL in the program, scripted in tests.
    platform::Input *input;

    FrameTimer timer;
    float frameStep;  // the timer's step for this frame

private:
    void InitUserFolders();
    bool InitTexts();
    void InitSettings();
    bool OpenDisplay();
    void InitPlayerNames();
    void InitSeats();

    // The window until the 3D engine takes over the display.
    SDL_Surface *screen_;
};
