#pragma once
// The one application object. It lives in static storage for the whole run
// and owns every piece of the program's state; the main loop dispatches on
// its mode to one update step and, when that asks for it, one render step.
// It is the engine itself, so every engine operation is called on it.
//
// Conventions for every update step: it first calls TickFrame(), reads the
// keyboard and mouse only through `input`, polls every pending event and
// passes each one to HandleCommonEvent() (which ends the program when the
// window is closed), and returns nonzero when its render step is to run.

#include <cstdint>
#include <memory>

#include "app/BoardView.h"
#include "app/FrameTimer.h"
#include "app/GameTexts.h"
#include "frontend/FrontEnd.h"
#include "frontend/FrontEndHost.h"
#include "frontend/MenuGui.h"
#include "game/Camera.h"
#include "game/PlayControls.h"
#include "game/Rules.h"
#include "gui/EngineRenderer.h"
#include "lib3d/Engine.h"
#include "persist/Settings.h"
#include "platform/Input.h"

struct Image;

namespace lib3d {
class PassCounter;
}

enum GameMode { Menu = 0, Play = 1, Opening = 2, GameOver = 3 };

class Game : public lib3d::Engine, public game::RulesHost, public frontend::FrontEndHost {
public:
    Game();
    ~Game() override;
    Game(const Game &) = delete;
    Game &operator=(const Game &) = delete;

    // Brings the program up; on false a message has been written and the
    // caller still runs Shutdown.
    bool Init();
    // Loops until quit is set.
    void Run();
    // One turn of the loop: the mode's update step, then its render step if asked for.
    void RunOnce();
    // Releases everything in reverse order; safe after a partial Init.
    void Shutdown();

    // Writes the settings, then the names file. Failures are ignored.
    void SaveSettings();

    // Ticks the frame timer and keeps its step for every part to read.
    float TickFrame();
    // Events every mode handles alike: closing the window ends the program.
    // Returns true when the event was consumed.
    bool HandleCommonEvent(const platform::InputEvent &event);

    // Releases everything that depends on the display (board, scenes, fonts,
    // the menu scene, the engine's resources) and builds it again at the
    // given size. False, with a message, when that failed.
    bool ChangeVideoMode(int newWidth, int newHeight);

    // Mode steps.
    int FrontEndUpdate();
    void FrontEndRender();
    int PlayUpdate();
    void PlayRender();
    int OpeningUpdate();
    void OpeningRender();
    int GameOverUpdate();
    bool PollOrbitEvents();
    void GameOverRender();
    // For an unknown mode: only keeps the window responsive to being closed.
    int IdleUpdate();

    // Deals a new game and shows the opening screen.
    void NewGame();

    // What the rules ask of the application.
    void PlaySound(game::Sound sound) override;
    void GameStarted() override;
    void GameEnded() override;
    void ResetView() override;
    void ResetFrameTimer() override;
    void LeaveRequested() override;

    // What the front-end asks of the program.
    platform::Input *MenuInput() override { return input; }
    float TickMenuFrame() override { return TickFrame(); }
    bool HandleWindowEvent(const platform::InputEvent &event) override {
        return HandleCommonEvent(event);
    }
    void Quit() override { quit = 1; }
    int ScreenWidth() const override { return width; }
    int ScreenHeight() const override { return height; }
    persist::Settings &MenuSettings() override { return settings; }
    // Saves the settings and applies the two that act on the game at once:
    // the lay help and the computer's level.
    void SaveMenuSettings() override;
    void ApplyVolumes() override;
    void PlayClick() override;
    void RequestMenuScreenshot() override { RequestScreenshot(); }
    void LogLine(const char *text) override;
    bool RecreateDisplay() override { return ChangeVideoMode(settings.width, settings.height); }
    game::Rules &GameRules() override { return rules; }
    game::Camera &GameCamera() override { return camera; }
    int GameKind() const override { return gameKind; }
    int ComputerLevel() const override { return rules.level; }
    void SetComputerLevel(int level) override { rules.level = level == 1 ? 1 : 0; }
    void RenderNameTextures() override;
    void StartNewGame(int kind) override;
    void ResumeGame(int kind) override;
    bool BeginMenuFrame() override;
    gui::GuiRenderer *MenuRenderer() override { return &guiRenderer; }
    int SlotHighlightTexture() override { return boardView.selectionTexture; }
    void FinishMenuFrame() override;

    // The camera's view matrix from its eye, and the device's view and
    // projection set from it (picking reads them back).
    void UpdateView();
    // The world point of the table under window pixel (x, y), through the
    // current view; false when the pointer looks past the table's plane.
    bool PickBoardPoint(int x, int y, float out[3]);
    // F10: the next frame drawn is saved before it is shown.
    void RequestScreenshot() { screenshotPending = 1; }

    // Loop control.
    int32_t quit;
    int32_t mode;
    int32_t gameKind;

    persist::Settings settings;
    // The computer's strength in the game being played (0 or 1).

    // The turn rules own the seats, the tiles, the boneyard and the board.
    game::Rules rules;
    game::Player (&players)[2];
    int32_t playerCount;
    game::PlayControls controls;

    // Presentation.
    game::Camera camera;
    float cameraView[16];
    int32_t cameraPreset;
    float pointerWorld[3];
    int32_t pointerOverBoard;
    int32_t mouseX, mouseY;
    float pulsePhase;
    BoardView boardView;
    gui::EngineRenderer guiRenderer;
    GameTexts texts;

    int32_t screenshotCounter;
    int32_t screenshotPending;
    // When set, every finished frame is also copied here before it is shown.
    Image *frameCapture;
    // When set, the render steps count the fragments of each of their passes
    // into it (measurements only: counting waits for the drawing).
    lib3d::PassCounter *passCounter = nullptr;
    // Starts counting the pass `name` (ending the one before) when counting.
    void CountPass(const char *name);

    // The menus, and the menu scene they drive. Set withMenus before Init
    // (the program does); without it, or when the menu script builds
    // nothing, there is no menu scene and the menu mode deals a game
    // against the computer at once, as tests and tools of play want.
    bool withMenus = false;
    frontend::FrontEnd frontEnd;
    std::unique_ptr<frontend::MenuGui> menuGui;

    // Input of every update step: SDL in the program, scripted in tests.
    platform::Input *input;

    FrameTimer timer;
    float frameStep;  // the timer's step for this frame

    // ---- opening logo (GameLogo.cpp)
    // Plays the logo in its own frame loop until it ends or a key release
    // skips it; MARBRIX_NO_LOGO=1 in the environment leaves it out (tests,
    // benchmarks). Closing the window meanwhile sets quit.
    void PlayLogo();
    int32_t logoFrames = 0;  // frames the logo drew at the last start

private:
    void InitUserFolders();
    bool InitTexts();
    void InitSettings();
    bool OpenDisplay();
    void SkipPresentedCopy();
    void InitRenderStates();
    void InitPlayerNames();
    bool InitSound();
    void InitSeats();
    // The display half of start-up, shared with ChangeVideoMode.
    bool BuildDisplay(bool atStartUp);
    void ReleaseDisplay();
    bool LoadMenuScript();
    // Shared by a new game and a resumed one.
    void EnterPlay();

    // Parts shared by the game's render steps.
    bool BeginGameFrame();
    void DrawTable(bool withPointerTiles);
    void DrawMarkedReflections(bool withMovingTiles);
    void DrawHandView();
    void DrawFinalHands();
    void DrawPlayOverlay();
    void FinishFrame(bool drawPointer);
    // The tile following the pointer and the computer's dropping tile, when shown.
    const game::Tile *PointerTile() const;
    const game::Tile *ComputerTile(float *height) const;
    void DrawMovingTiles(int pass);

    bool soundOpen_;
};
