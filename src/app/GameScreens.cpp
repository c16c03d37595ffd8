// The two short screens around a game: the opening orbit that says who
// starts, and the result orbit over the final layout.
#include "app/Game.h"
#include "app/SoundManager.h"
#include "game/ScreenTexts.h"

namespace {

bool IsRelease(const platform::InputEvent &e) {
    return e.type == platform::EventKeyUp || e.type == platform::EventButtonUp;
}

}  // namespace

// The events of the two orbit screens: F10 acts on its own (and Escape,
// which ends the program, when there is no menu to go back to); any other
// key or button release ends the screen.
// Returns whether such a release came.
bool Game::PollOrbitEvents() {
    if (!input) return false;
    input->Pump();
    input->MouseState(&mouseX, &mouseY);
    bool released = false;
    platform::InputEvent e;
    while (input->PollEvent(&e)) {
        if (HandleCommonEvent(e)) continue;
        if (e.type == platform::EventKeyUp && e.key == platform::KeyF10) {
            RequestScreenshot();
            continue;
        }
        if (!menuGui && e.type == platform::EventKeyUp && e.key == platform::KeyEscape) {
            quit = 1;
            continue;
        }
        if (IsRelease(e)) released = true;
    }
    return released;
}

int Game::OpeningUpdate() {
    TickFrame();
    if (PollOrbitEvents()) mode = Play;
    if (mode == Opening) {
        camera.Orbit(0.2f, frameStep);
    } else if (mode == Play) {
        camera.SetPreset(cameraPreset, false);
    }
    UpdateView();
    return 1;
}

void Game::OpeningRender() {
    if (!BeginGameFrame()) return;
    boardView.DrawBackground();
    boardView.DrawTable(false);
    std::vector<game::TextItem> items;
    game::LayoutOpeningTexts(rules, gameKind, width, &items);
    for (const game::TextItem &t : items) texts.Draw(t);
    FinishFrame(true);
}

int Game::GameOverUpdate() {
    TickFrame();
    if (PollOrbitEvents() && mode == GameOver) {
        mode = Menu;
        if (soundOpen_) SoundManager::Instance()->PlayMusic(kMusicMenu);
        frontEnd.ShowOnly("MENUMAIN");
    }
    if (mode == GameOver) {
        camera.Orbit(0.5f, frameStep);
        UpdateView();
    }
    return 1;
}

void Game::GameOverRender() {
    if (!BeginGameFrame()) return;
    DrawTable(false);
    if (rules.endCause == game::EndBlocked) DrawFinalHands();
    std::vector<game::TextItem> items;
    game::LayoutGameOverTexts(rules, gameKind, width, height, texts, &items);
    SetState(lib3d::Depth::Off);
    for (const game::TextItem &t : items) texts.Draw(t);
    SetState(lib3d::Depth::On);
    FinishFrame(true);
}
