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

#include "app/BoardView.h"
#include "app/FrameTimer.h"
#include "app/GameTexts.h"
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

// Game kinds: one human against the computer, or two humans at one machine.
enum GameKind { KindAgainstComputer = 4, KindTwoHumans = 5 };

class Game : public lib3d::Engine, public game::RulesHost {
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

    // Mode steps. The front-end's are stand-ins until the menus exist: they
    // start a game against the computer at once.
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
    void PlayEffect(int effect) override;
    void SetMode(int newMode) override;
    void ResetView() override;
    void ResetFrameTimer() override;
    void PauseToMenu() override;

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

    // Settings, and the size the options screen has chosen but not applied.
    persist::Settings settings;
    int32_t pendingWidth;
    int32_t pendingHeight;

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

    // Input of every update step: SDL in the program, scripted in tests.
    platform::Input *input;

    FrameTimer timer;
    float frameStep;  // the timer's step for this frame

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
