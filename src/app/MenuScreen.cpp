// Mode 0, the menus, as the program sees them: the front-end does the work;
// the game object gives it the display, the sound and the game in memory,
// and takes it into play. Also the change of screen size, which rebuilds
// everything that lives on the display.
#include <SDL.h>

#include <cstdio>

#include "app/Game.h"
#include "app/SoundManager.h"

bool Game::LoadMenuScript() {
    // The menu scene is built from the menu script here once the GUI
    // manager is part of the program; until then there is none.
    frontEnd.SetGui(menuGui.get());
    return true;
}

int Game::FrontEndUpdate() {
    if (menuGui) return frontEnd.Update();
    // No menu scene: a game against the computer is dealt at once, and
    // Escape (on release) ends the program.
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
    StartNewGame(KindAgainstComputer);
    return 0;
}

void Game::FrontEndRender() {
    if (menuGui) {
        frontEnd.Render();
        return;
    }
    if (!BeginFrame()) return;
    ClearFrame();
    EndFrame();
    PresentFrame();
}

bool Game::BeginMenuFrame() {
    if (!BeginFrame()) return false;
    ClearFrame();
    return true;
}

void Game::ApplyVolumes() {
    if (soundOpen_)
        SoundManager::Instance()->ApplySwitches(settings.music != 0, settings.sound != 0);
}

void Game::PlayClick() {
    PlayEffect(kSoundPlace);
}

void Game::LogLine(const char *text) {
    if (!text) return;
    fprintf(stderr, "%s\n", text);
    Log(text);
}

void Game::RenderNameTextures() {
    if (!IsOpen()) return;
    texts.Load(&guiRenderer, width, players[0].name, players[1].name);
}

// Into play: game music, the play screen's states and lights.
void Game::EnterPlay() {
    mode = Play;
    if (soundOpen_) SoundManager::Instance()->PlayMusic(kMusicGame);
    SetState(5, 1);
    SetState(6, 0);
    SetState(15, 0);
    SetState(10, 1);
    boardView.ApplyLights();
    SetAmbient(0.4f, 0.4f, 0.4f);
    SDL_ShowCursor(0);
}

void Game::StartNewGame(int kind) {
    gameKind = kind == KindTwoHumans ? KindTwoHumans : KindAgainstComputer;
    computerLevel = settings.level;
    EnterPlay();
    NewGame();
}

void Game::ResumeGame(int kind) {
    gameKind = kind == KindTwoHumans ? KindTwoHumans : KindAgainstComputer;
    EnterPlay();
    cameraPreset = camera.preset;
    UpdateView();
    timer.Reset();
}

// The display goes and comes back at the new size, with every resource
// that lives on it and the menu scene, whose switches and name entries are
// set again.
bool Game::ChangeVideoMode(int newWidth, int newHeight) {
    settings.width = newWidth;
    settings.height = newHeight;
    ReleaseDisplay();
    if (!BuildDisplay(false)) return false;
    timer.Reset();
    return true;
}
