// The play mode: the human's controls, the camera and the computer's turn
// (update), and the table, the tiles, the hand and the overlay (render).
#include <cmath>

#include "app/Game.h"
#include "game/PlayLayout.h"
#include "game/ScreenTexts.h"
#include "image/Image.h"
#include "lib3d/Matrix.h"
#include "lib3d/PassCounter.h"
#include "lib3d/Scene.h"
#include "persist/UserFolder.h"

namespace {

using game::kPickToBoard;
// The pointer tile floats this high over the table.
const float kPointerTileHeight = 0.3f;
const float kPi = 3.14159265358979f;

}  // namespace

int Game::PlayUpdate() {
    TickFrame();
    if (!input) return 1;
    input->Pump();
    const int buttons = input->MouseState(&mouseX, &mouseY);
    int dx = 0, dy = 0;
    input->RelativeMouseState(&dx, &dy);
    rules.BeginFrame();

    // The pick uses the view of the frame on screen. A pointer looking past
    // the table's plane keeps the last point picked.
    UpdateView();
    PickBoardPoint(mouseX, mouseY, pointerWorld);
    pointerOverBoard = rules.PointerOverBoard(mouseX, mouseY, width, height) ? 1 : 0;
    game::PlayPointer pointer;
    pointer.x = mouseX;
    pointer.y = mouseY;
    pointer.overBoard = pointerOverBoard;
    pointer.boardX = pointerWorld[0] + kPickToBoard;
    pointer.boardZ = pointerWorld[2] + kPickToBoard;
    controls.Preview(pointer);

    camera.HandleHeldKeys(*input);
    pointer.ctrlHeld = input->KeyDown(platform::KeyLCtrl) ? 1 : 0;
    if (pointer.ctrlHeld) camera.HandleDrag(buttons, dx, dy);

    platform::InputEvent e;
    while (input->PollEvent(&e)) {
        if (HandleCommonEvent(e)) continue;
        if (e.type == platform::EventKeyUp) {
            if (camera.HandleKeyRelease(e.key)) {
                cameraPreset = camera.preset;
                continue;
            }
            if (e.key == platform::KeyF10) {
                RequestScreenshot();
                continue;
            }
        }
        if (e.type == platform::EventButtonDown && camera.HandleWheel(e.button)) continue;
        controls.HandleEvent(e, pointer, width, height);
        if (quit || mode != Play) break;
    }

    camera.UpdateEye();
    UpdateView();
    camera.Tick(frameStep);
    if (mode == Play && !quit) {
        rules.ComputerUpdate(frameStep);
        rules.CheckEnd();
    }
    return 1;
}

bool Game::BeginGameFrame() {
    if (!BeginFrame()) return false;
    ClearFrame();
    boardView.ApplyLights();
    SetProjection();
    SetView(cameraView);
    SetState(lib3d::Culling::CounterClockwise);
    return true;
}

const game::Tile *Game::PointerTile() const {
    if (mode != Play || !rules.HumanToMove() || !pointerOverBoard || !rules.selected)
        return nullptr;
    return rules.selected;
}

const game::Tile *Game::ComputerTile(float *drop) const {
    if (mode != Play || rules.current < 0 || rules.current > 1) return nullptr;
    if (!players[rules.current].isComputer || !rules.cpuPending) return nullptr;
    if (rules.lastAction != game::ActionLay || !rules.cpuMove.tile) return nullptr;
    *drop = rules.cpuDelay * 2.0f / 3.0f;
    return rules.cpuMove.tile;
}

void Game::DrawMovingTiles(int pass) {
    float drop = 0.0f;
    boardView.BeginPass(pass);
    if (const game::Tile *cpu = ComputerTile(&drop)) {
        game::Tile t = *cpu;
        t.x = rules.cpuMove.x;
        t.z = rules.cpuMove.z;
        t.angle = rules.cpuMove.angle;
        boardView.DrawTile(t, false, drop, 1, pass, 1);
    }
    if (const game::Tile *tile = PointerTile())
        boardView.DrawTile(*tile, false, kPointerTileHeight, 1, pass, rules.placementLegal);
    boardView.EndPass(pass);
}

// The room, the table and every tile on it with their reflection and shadow
// passes as the settings ask; the moving tiles only in play.
//
// The room goes in after the table: every part of it is opaque and tested
// against depth, so the picture is the same, but the floor and rug behind
// the table (most of the screen in play) are then rejected by the depth
// test instead of being textured and lit and then painted over; what lies
// wholly behind the top is not sent at all.
void Game::DrawTable(bool withMovingTiles) {
    const bool reflect = settings.reflect != 0, shadow = settings.shadow != 0;
    const bool marked = reflect && boardView.MarksReflections();
    if (marked) {
        DrawMarkedReflections(withMovingTiles);
    } else {
        CountPass("table");
        boardView.DrawTable(reflect);
    }
    if (reflect && !marked) {
        CountPass("reflection");
        boardView.DrawPlacedTiles(rules.board, PassReflection);
        if (withMovingTiles) DrawMovingTiles(PassReflection);
        CountPass("glaze");
        boardView.DrawTableGlaze();
    }
    CountPass("room");
    boardView.DrawBackground(camera.eye);
    if (shadow) {
        CountPass("shadows");
        boardView.DrawPlacedTiles(rules.board, PassShadow);
        if (withMovingTiles) DrawMovingTiles(PassShadow);
    }
    CountPass("tiles");
    boardView.DrawPlacedTiles(rules.board, PassNormal);
    if (withMovingTiles) DrawMovingTiles(PassNormal);
}

// The mirrored tiles first, marking their pixels in the stencil, then the
// table top over them: see-through over the marks only.
void Game::DrawMarkedReflections(bool withMovingTiles) {
    CountPass("reflection");
    boardView.BeginMarkedReflections();
    boardView.DrawPlacedTiles(rules.board, PassReflection);
    if (withMovingTiles) DrawMovingTiles(PassReflection);
    boardView.EndMarkedReflections();
    CountPass("table");
    boardView.DrawTableTopUnmarked();
    CountPass("glaze");
    boardView.DrawMarkedGlaze();
    CountPass("table");
    boardView.DrawTableBase();
}

namespace {

// The fixed view of the hand: from high above the table, turned half round.
void HandView(float view[16]) {
    const float eye[3] = {0.0f, 20.0f, 0.1f};
    const float direction[3] = {0.0f, -20.0f, -0.1f};
    lib3d::Matrix::LookAt(view, eye, direction, 180.0f);
}

}  // namespace

void Game::DrawHandView() {
    const int seat = rules.current;
    if (seat != 0 && seat != 1) return;
    float view[16];
    HandView(view);
    SetView(view);
    const game::Player &p = players[seat];
    const bool faceDown = p.isComputer != 0;
    for (int i = 0; i < p.HandSize(); ++i) {
        game::Tile t = *p.hand[i];
        t.angle = 90.0f;
        game::HandPoint(i, &t.x, &t.z);
        if (p.hand[i] == rules.selected) boardView.DrawSelection(t);
        boardView.DrawTile(t, faceDown, 0.0f, 0, PassNormal, 1);
    }
    SetView(cameraView);
}

void Game::DrawFinalHands() {
    float view[16];
    HandView(view);
    SetView(view);
    for (int seat = 1; seat >= 0; --seat) {
        const game::Player &p = players[seat];
        for (int i = 0; i < p.HandSize(); ++i) {
            game::Tile t = *p.hand[i];
            t.angle = 90.0f;
            game::FinalHandPoint(seat, i, p.HandSize(), &t.x, &t.z);
            boardView.DrawTile(t, false, 0.0f, 0, PassNormal, 1);
        }
    }
    SetView(cameraView);
}

void Game::DrawPlayOverlay() {
    game::PlayOverlay overlay;
    game::LayoutPlayOverlay(rules, width, height, mouseX, mouseY, camera.labelCountdown,
                            camera.preset, &overlay);
    SetState(lib3d::Depth::Off);
    SetState(lib3d::Lighting::Off);
    SetState(lib3d::Culling::None);
    if (overlay.panelSeat >= 0 && boardView.selectionTexture >= 0) {
        SetState(lib3d::Stage0::TextureTimesColour);
        BindTexture(boardView.selectionTexture);
        SetState(lib3d::Blending::Additive);
        DrawQuad2D(overlay.panelX, overlay.panelY, overlay.panelWidth, overlay.panelHeight, 0, 0, 1,
                   1, 1, 1, 1);
        SetState(lib3d::Blending::Off);
    }
    for (const game::TextItem &t : overlay.texts) texts.Draw(t);
    for (const game::ButtonItem &b : overlay.buttons) {
        SetState(lib3d::Depth::Off);
        SetState(lib3d::Lighting::Off);
        SetState(lib3d::Stage0::NoTexture);
        if (b.hover) {
            DrawQuad2D(b.x, b.y, b.width, b.height, 0, 0, 1, 1, 1, 1, 0);
        } else {
            DrawQuad2D(b.x, b.y, b.width, b.height, 0, 0, 1, 1, 0.75f, 0, 0);
        }
        texts.Draw(b.label);
    }
    SetState(lib3d::Depth::On);
    SetState(lib3d::Lighting::On);
}

void Game::CountPass(const char *name) {
    if (passCounter) passCounter->Begin(name);
}

void Game::FinishFrame(bool drawPointer) {
    CountPass("pointer");
    if (drawPointer) DrawPointer(mouseX, mouseY);
    if (passCounter) passCounter->End();
    EndFrame();
    // Saved from the finished frame, before it is shown: what was asked for
    // is what the player sees next.
    if (screenshotPending) {
        screenshotPending = 0;
        std::string prefix = persist::ScreenshotBaseName(screenshotCounter);
        Screenshot(prefix.c_str());
        ++screenshotCounter;
    }
    if (frameCapture) {
        std::vector<uint8_t> pixels;
        int pitch = 0;
        device::Device *d = GetDevice();
        if (d && d->ReadBackBuffer(&pixels, &pitch)) {
            const device::PresentParameters &p = d->Parameters();
            lib3d::BackBufferToImage(pixels, pitch, p.width, p.height, p.backBufferFormat,
                                     frameCapture);
        }
    }
    PresentFrame();
}

void Game::PlayRender() {
    if (!BeginGameFrame()) return;
    DrawTable(true);
    CountPass("hand");
    DrawHandView();
    if (rules.HumanToMove()) {
        CountPass("markers");
        float s = ((std::cos(pulsePhase * kPi / 64.0f) + 1.0f) * 0.5f + 1.0f) * 0.5f;
        boardView.DrawSpotMarkers(rules.board, s);
        pulsePhase += frameStep * 1.5f;
    }
    CountPass("overlay");
    DrawPlayOverlay();
    FinishFrame(PointerTile() == nullptr);
}
