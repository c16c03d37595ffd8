#include "app/Game.h"

#include <SDL/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "persist/PlayerNames.h"
#include "persist/TextTable.h"
#include "persist/UserFolder.h"

Game::Game()
    : quit(0),
      mode(Menu),
      gameKind(KindAgainstComputer),
      pendingWidth(800),
      pendingHeight(600),
      players(),
      playerCount(2),
      cameraPreset(1),
      screenshotCounter(0),
      input(nullptr),
      frameStep(1.0f),
      screen_(nullptr) {
    // Sound manager handle: created here once it exists.
}

// Start-up, in an order that matters: the texts before the default player
// names, the settings before the display, the display before anything that
// needs it (logo, scenes, GUI, fonts), the GUI before the sound.
bool Game::Init() {
    quit = 0;
    InitUserFolders();
    if (!InitTexts()) return false;

    screenshotCounter = 0;
    mode = Menu;
    gameKind = KindAgainstComputer;
    cameraPreset = 1;

    InitSettings();
    if (!OpenDisplay()) return false;

    // To come, in this order: this game registered for the menu script's
    // callbacks; the opening logo; projection and default render states.

    InitPlayerNames();

    // To come, in this order: the camera at its preset; the pointer image;
    // the board's resources; the background scene with its lights; the table
    // scene; the GUI with the menu script, its name entries and switches; the
    // two game fonts with the name, digit and message images.

    // Sound: opened here, its musics registered and effects loaded, the menu
    // music started, volumes set from the settings.

    // The tiles: created here in their fixed order, the board sized, then
    // the random generator is seeded and every tile goes to the boneyard.
    srand(unsigned(time(nullptr)));

    InitSeats();
    timer.Reset();
    return true;
}

void Game::InitUserFolders() {
    persist::ReadUserFolder();
    persist::MakeUserFolders();
}

bool Game::InitTexts() {
    persist::ReadLanguage();
    if (!persist::LoadTextTable(persist::Language())) {
        fprintf(stderr, "Probleme de lecture du fichier texte\n");
        return false;
    }
    return true;
}

void Game::InitSettings() {
    // A first start writes the settings and the default names at once.
    persist::LoadSettings(&settings, players[0].name, players[1].name);
    pendingWidth = settings.width;
    pendingHeight = settings.height;
}

// The stand-in display: a plain SDL window of the configured size. Full
// screen when asked for, else (or when that fails) a window; 32-bit colour,
// else 16-bit.
bool Game::OpenDisplay() {
    const int w = settings.width, h = settings.height;
    // Sizes no display offers are refused before SDL sees them.
    if (w > 0 && h > 0 && w <= 16384 && h <= 16384) {
        const int depths[2] = {32, 16};
        for (int depth : depths) {
            if (settings.fullscreen) screen_ = SDL_SetVideoMode(w, h, depth, SDL_FULLSCREEN);
            if (!screen_) screen_ = SDL_SetVideoMode(w, h, depth, 0);
            if (screen_) return true;
        }
    }
    fprintf(stderr, "Impossible d'initialiser le mode video %dx%d\n", w, h);
    return false;
}

void Game::InitPlayerNames() {
    // A names file that is missing or unreadable gives the default names,
    // written back at once together with the settings.
    if (!persist::LoadNames(players[0].name, players[1].name)) SaveSettings();
}

void Game::InitSeats() {
    playerCount = 2;
    players[0].isComputer = 0;
    players[1].isComputer = gameKind == KindAgainstComputer ? 1 : 0;
}

void Game::SaveSettings() {
    persist::SaveSettings(settings, players[0].name, players[1].name);
}

float Game::TickFrame() {
    frameStep = timer.Tick();
    return frameStep;
}

bool Game::HandleCommonEvent(const platform::InputEvent &event) {
    if (event.type == platform::EventQuit) {
        quit = 1;
        return true;
    }
    return false;
}

void Game::Run() {
    while (!quit) {
        switch (mode) {
            case Menu:
                if (FrontEndUpdate()) FrontEndRender();
                break;
            case Play:      // the game's own steps come here
            case Opening:   // the opening screen's steps
            case GameOver:  // the game-over screen's steps
            default:
                IdleUpdate();
                break;
        }
    }
}

int Game::IdleUpdate() {
    TickFrame();
    if (!input) return 0;
    input->Pump();
    platform::InputEvent event;
    while (input->PollEvent(&event)) HandleCommonEvent(event);
    return 0;
}

// Releases in reverse order of creation.
void Game::Shutdown() {
    // To come, in this order: the sound manager closed and destroyed; the
    // board's drawing resources and its placed list; the tiles and the
    // boneyard; the background and table scenes; the two text-drawing
    // objects; the GUI manager; the engine's resources and its device.
    screen_ = nullptr;  // the window itself goes with SDL_Quit
}
