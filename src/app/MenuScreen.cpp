// Mode 0, the menus, as the program sees them: the front-end does the work;
// the game object gives it the display, the sound and the game in memory,
// and takes it into play. Also the change of screen size, which rebuilds
// everything that lives on the display.
#include <SDL.h>

#include <cstdio>

#include "app/Game.h"
#include "app/SoundManager.h"
#include "frontend/ScriptedMenu.h"
#include "persist/UserFolder.h"

namespace {

const char *const kMenuScript = "./data/scriptdemo.lub";

}  // namespace

bool Game::LoadMenuScript() {
    frontEnd.SetGui(nullptr);
    menuGui.reset();
    if (!withMenus) return true;
    std::unique_ptr<frontend::ScriptedMenu> menu(new frontend::ScriptedMenu);
    char textPath[320];
    snprintf(textPath, sizeof textPath, "./data/textmenu_%s.txt", persist::Language());
    if (!menu->Load(&guiRenderer, kMenuScript, textPath)) {
        // Without menus the program still plays: it deals at once.
        fprintf(stderr, "The menu script %s built no main menu\n", kMenuScript);
        return true;
    }
    menuGui = std::move(menu);
    frontEnd.SetGui(menuGui.get());
    if (input) {
        int x = 0, y = 0;
        input->MouseState(&x, &y);
        menuGui->MouseMove(x, y);
    }
    return true;
}

int Game::FrontEndUpdate() {
    if (menuGui) return frontEnd.Update();
    // No menu scene (a game object made without menus, for tests and
    // tools that exercise play, or a menu script that built nothing): a
    // game against the computer is dealt at once, and Escape (on release)
    // ends the program.
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
    StartNewGame(game::KindAgainstComputer);
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

void Game::FinishMenuFrame() {
    if (input) input->MouseState(&mouseX, &mouseY);
    FinishFrame(true);
}

void Game::ApplyVolumes() {
    if (soundOpen_)
        SoundManager::Instance()->ApplySwitches(settings.music != 0, settings.sound != 0);
}

void Game::PlayClick() {
    PlaySound(game::SoundPlace);
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
    SetState(lib3d::Stage0::TextureTimesColour);
    SetState(lib3d::Blending::Off);
    SetState(lib3d::Specular::Off);
    SetState(lib3d::Lighting::On);
    boardView.ApplyLights();
    SetAmbient(0.4f, 0.4f, 0.4f);
    SDL_ShowCursor(0);
}

void Game::SaveMenuSettings() {
    controls.help.enabled = settings.layHelp != 0 ? 1 : 0;
    SetComputerLevel(settings.level);
    SaveSettings();
}

void Game::StartNewGame(int kind) {
    gameKind = kind == game::KindTwoHumans ? game::KindTwoHumans : game::KindAgainstComputer;
    SetComputerLevel(settings.level);
    EnterPlay();
    NewGame();
}

void Game::ResumeGame(int kind) {
    gameKind = kind == game::KindTwoHumans ? game::KindTwoHumans : game::KindAgainstComputer;
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
