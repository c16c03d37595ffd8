#include "app/Game.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "app/SoundManager.h"
#include "image/TrueType.h"
#include "lib3d/Matrix.h"
#include "persist/PlayerNames.h"
#include "persist/TextTable.h"
#include "persist/UserFolder.h"

Game::Game()
    : quit(0),
      mode(Menu),
      gameKind(game::KindAgainstComputer),
      rules(nullptr),
      players(rules.players),
      playerCount(2),
      controls(rules),
      cameraPreset(1),
      pointerWorld{0, 0, 0},
      pointerOverBoard(0),
      mouseX(0),
      mouseY(0),
      pulsePhase(0.0f),
      boardView(this),
      guiRenderer(this),
      screenshotCounter(0),
      screenshotPending(0),
      frameCapture(nullptr),
      frontEnd(this),
      input(nullptr),
      frameStep(1.0f),
      soundOpen_(false) {
    rules.SetHost(this);
    lib3d::Matrix::Identity(cameraView);
}

Game::~Game() {
    Shutdown();
}

// Start-up, in an order that matters: the texts before the default player
// names, the settings before the display, the display before anything that
// needs it (scenes, fonts), the fonts before the text images.
bool Game::Init() {
    quit = 0;
    InitUserFolders();
    if (!InitTexts()) return false;

    screenshotCounter = 0;
    mode = Menu;
    gameKind = game::KindAgainstComputer;
    cameraPreset = 1;

    InitSettings();
    if (!BuildDisplay(true)) return false;
    if (!InitSound()) return false;

    rules.Setup();
    srand(unsigned(time(nullptr)));
    InitSeats();
    timer.Reset();
    return true;
}

// Everything that lives on the display, in start-up order. At start-up the
// opening logo and the player names come in between; a change of screen
// size repeats the rest.
bool Game::BuildDisplay(bool atStartUp) {
    if (!OpenDisplay()) return false;
    ResetFrameState();
    if (atStartUp) {
        PlayLogo();
        ResetFrameState();
    }
    InitRenderStates();
    if (atStartUp) InitPlayerNames();

    camera.SetPreset(cameraPreset, false);
    UpdateView();

    pointerTexture = LoadTexture("data/gfx/2d/pointeur.png");
    if (pointerTexture < 0) {
        fprintf(stderr, "Impossible de lire data/gfx/2d/pointeur.png\n");
        return false;
    }
    if (!boardView.Load()) {
        if (!atStartUp) fprintf(stderr, "InitBoard : Erreur\n");
        return false;
    }
    if (!boardView.LoadBackground()) return false;
    SDL_ShowCursor(0);
    if (!boardView.LoadTable()) return false;

    if (!LoadMenuScript()) return false;

    return texts.Load(&guiRenderer, width, players[0].name, players[1].name);
}

void Game::ReleaseDisplay() {
    frontEnd.ReleaseGraphics();
    frontEnd.SetGui(nullptr);
    menuGui.reset();
    texts.Release();
    boardView.Release();
    if (IsOpen()) {
        ReleaseTextures();
        Close();
    }
    pointerTexture = -1;
}

void Game::InitUserFolders() {
    persist::ReadUserFolder();
    persist::MakeUserFolders();
    // A run killed while replacing a file leaves its temporary behind.
    persist::RemoveLeftoverTemporaries();
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
    frontEnd.pendingWidth = settings.width;
    frontEnd.pendingHeight = settings.height;
    controls.help.enabled = settings.layHelp != 0 ? 1 : 0;
    rules.level = settings.level == 1 ? 1 : 0;
}

// 32-bit colour, else 16-bit. Sizes no display offers are refused before
// the device sees them, so a broken settings file is reported, not guessed at.
bool Game::OpenDisplay() {
    const int w = settings.width, h = settings.height;
    fullscreen = settings.fullscreen != 0;
    if (w > 0 && h > 0 && w <= 16384 && h <= 16384) {
        if (Open(w, h, 3)) {
            SetState(lib3d::Dither::Off);
            SkipPresentedCopy();
            return true;
        }
        if (Open(w, h, 1)) {
            SetState(lib3d::Dither::On);
            SkipPresentedCopy();
            return true;
        }
    }
    fprintf(stderr, "Impossible d'initialiser le mode video %dx%d\n", w, h);
    return false;
}

// Screenshots and frame captures read the back buffer before Present, so
// the device need not copy every presented picture to keep it readable.
void Game::SkipPresentedCopy() {
    if (device::Device *d = GetDevice()) d->KeepPresentedPicture(false);
}

void Game::InitRenderStates() {
    focal = static_cast<float>(width);
    nearPlane = 0.1f;
    farPlane = 400.0f;
    SetState(lib3d::TextureCreation::MipmapOn);
    SetState(lib3d::TextureCreation::Wrap);
    SetState(lib3d::Culling::CounterClockwise);
    SetState(lib3d::Specular::Off);
    SetState(lib3d::Depth::On);
    SetState(lib3d::Stage0::TextureTimesColour);
    SetState(lib3d::Stage0::NoWrapCoordinates);
    SetState(lib3d::Stage0::ColourModulate);
    SetState(lib3d::Lighting::On);
    SetState(lib3d::Blending::Off);
}

void Game::InitPlayerNames() {
    // A names file that is missing or unreadable gives the default names,
    // written back at once together with the settings.
    if (!persist::LoadNames(players[0].name, players[1].name)) SaveSettings();
}

bool Game::InitSound() {
    SoundManager *sound = SoundManager::Instance();
    if (!sound->Open(44100, 4096, 4)) return false;
    soundOpen_ = true;
    sound->LoadGameSounds();
    sound->PlayMusic(kMusicMenu);
    sound->ApplySwitches(settings.music != 0, settings.sound != 0);
    return true;
}

void Game::InitSeats() {
    rules.firstMove = 1;
    rules.current = 0;
    playerCount = 2;
    rules.playerCount = 2;
    players[0].isComputer = 0;
    players[1].isComputer = gameKind == game::KindAgainstComputer ? 1 : 0;
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
    while (!quit) RunOnce();
}

void Game::RunOnce() {
    if (soundOpen_) SoundManager::Instance()->Update();
    switch (mode) {
        case Menu:
            if (FrontEndUpdate()) FrontEndRender();
            break;
        case Play:
            if (PlayUpdate()) PlayRender();
            break;
        case Opening:
            if (OpeningUpdate()) OpeningRender();
            break;
        case GameOver:
            if (GameOverUpdate()) GameOverRender();
            break;
        default:
            IdleUpdate();
            break;
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

void Game::NewGame() {
    players[0].isComputer = 0;
    players[1].isComputer = gameKind == game::KindAgainstComputer ? 1 : 0;
    rules.NewGame();
    if (soundOpen_) SoundManager::Instance()->PlayMusic(kMusicGame);
}

void Game::PlaySound(game::Sound sound) {
    if (soundOpen_) SoundManager::Instance()->PlaySound(sound);
}

void Game::GameStarted() {
    mode = Opening;
}

void Game::GameEnded() {
    mode = GameOver;
}

void Game::ResetView() {
    camera.ResetForNewGame();
    pulsePhase = 0.0f;
    UpdateView();
}

void Game::ResetFrameTimer() {
    timer.Reset();
}

// Escape on a human turn: the game stays as it is and the game-options menu
// comes up. Without a menu scene there is nothing to go back to, so
// leaving a game ends the program.
void Game::LeaveRequested() {
    mode = Menu;
    if (!menuGui) {
        quit = 1;
        return;
    }
    if (soundOpen_) SoundManager::Instance()->PlayMusic(kMusicMenu);
    frontEnd.ShowOnly("MENUGAMEOPTION");
}

void Game::UpdateView() {
    float direction[3];
    for (int i = 0; i < 3; ++i) direction[i] = camera.target[i] - camera.eye[i];
    lib3d::Matrix::LookAt(cameraView, camera.eye, direction, 0.0f);
    if (!IsOpen()) return;
    SetProjection();
    SetView(cameraView);
}

bool Game::PickBoardPoint(int x, int y, float out[3]) {
    float through[3];
    Unproject(static_cast<float>(x), static_cast<float>(y), through);
    return game::TablePoint(camera.eye, through, out);
}

// Releases in reverse order of creation.
void Game::Shutdown() {
    if (soundOpen_) {
        SoundManager::DestroyInstance();
        soundOpen_ = false;
    }
    frontEnd.ReleaseGraphics();
    frontEnd.SetGui(nullptr);
    menuGui.reset();
    boardView.Release();
    rules.Release();
    texts.Release();
    image::StopTrueType();  // after the last font is closed
    if (IsOpen()) {
        ReleaseTextures();
        Close();
    }
}
