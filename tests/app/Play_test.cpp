// The game screens end to end: the real game object on the test display,
// driven through scripted input in simulated time, its frames read back.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/Game.h"
#include "image/Image.h"
#include "lib3d/Matrix.h"
#include "lib3d/Mesh.h"
#include "lib3d/Occluder.h"
#include "lib3d/PassCounter.h"
#include "lib3d/Scene.h"
#include "persist/UserFolder.h"
#include "platform/Clock.h"

namespace {

void WriteFile(const std::string &path, const std::string &text) {
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
}

struct Rgb {
    int r, g, b;
};

class PlayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
        // Simulated time stands still during start-up: no opening logo.
        setenv("MARBRIX_NO_LOGO", "1", 1);
        unlink("playersname.txt");
        WriteFile("config.ini", "[Game]\nFullscreen=0\nWidth=800\nHeight=600\n" + Settings());
        game.reset(new Game);
        game->input = &input;
        game->timer.clock = &clock;
        testing::internal::CaptureStderr();
        bool ok = game->Init();
        std::string err = testing::internal::GetCapturedStderr();
        ASSERT_TRUE(ok) << err;
        game->frameCapture = &frame;
        srand(7);
    }
    void TearDown() override {
        if (game) game->Shutdown();
        game.reset();
        // SDL stays up until the process ends: quitting it unloads the GL
        // driver, whose own leaks could then no longer be told from ours.
        persist::SetUserFolder("./");
    }
    virtual std::string Settings() { return ""; }

    // One turn of the main loop, 20 ms of simulated time after the last
    // (or as set: longer frames make time go faster in fewer frames).
    void Frame() {
        clock.AdvanceMs(frameMs);
        game->RunOnce();
    }
    void Frames(int n) {
        for (int i = 0; i < n; ++i) Frame();
    }
    // From the stand-in menu through the opening into play.
    void StartPlaying() {
        Frame();  // the stand-in menu deals a game
        ASSERT_EQ(game->mode, Opening);
        Frames(3);
        input.PushKey('x');
        Frame();
        ASSERT_EQ(game->mode, Play);
        Frame();
    }
    // Where a world point lands on screen through the view drawn last.
    bool Project(const float p[3], int *x, int *y) {
        device::Device *d = game->GetDevice();
        float v[16], proj[16];
        d->GetTransform(device::TransformView, v);
        d->GetTransform(device::TransformProjection, proj);
        float e[4] = {0, 0, 0, 0}, c[4] = {0, 0, 0, 0};
        const float in[4] = {p[0], p[1], p[2], 1};
        for (int col = 0; col < 4; ++col)
            for (int r = 0; r < 4; ++r) e[col] += in[r] * v[r * 4 + col];
        for (int col = 0; col < 4; ++col)
            for (int r = 0; r < 4; ++r) c[col] += e[r] * proj[r * 4 + col];
        if (c[3] <= 0) return false;
        *x = static_cast<int>(std::lround((c[0] / c[3] + 1) * 0.5f * game->width));
        *y = static_cast<int>(std::lround((1 - c[1] / c[3]) * 0.5f * game->height));
        return true;
    }
    // The pixel at which the pick gives exactly board point (bx, bz).
    bool PixelForBoardPoint(float bx, float bz, int *x, int *y) {
        const float world[3] = {bx - 16.5f, 0, bz - 16.5f};
        return Project(world, x, y);
    }
    Rgb Pixel(int x, int y) const {
        const uint8_t *p = &frame.pixels[(y * frame.width + x) * 4];
        return {p[0], p[1], p[2]};
    }
    // Sum of absolute differences over a rectangle between two frames.
    static long Difference(const Image &a, const Image &b, int x0, int y0, int x1, int y1) {
        long sum = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                for (int c = 0; c < 3; ++c)
                    sum += std::abs(a.pixels[(y * a.width + x) * 4 + c] -
                                    b.pixels[(y * b.width + x) * 4 + c]);
        return sum;
    }
    // Lays out a fixed position: the human (seat 0) to move, 6-6 on the
    // table, the human holding 6-1 and 2-3, the computer 4-4 and 5-0.
    void FixedPosition() {
        game::Rules &r = game->rules;
        for (game::Player &p : r.players) p.ClearHand();
        r.board.Clear();
        r.boneyard.clear();
        for (game::Tile &t : r.tiles) {
            t.link1 = t.link2 = nullptr;
            r.boneyard.push_back(&t);
        }
        auto take = [&](int a, int b) {
            game::Tile *t = r.FindTile(a, b);
            r.boneyard.erase(std::find(r.boneyard.begin(), r.boneyard.end(), t));
            return t;
        };
        game::Tile *start = take(6, 6);
        start->angle = 0;
        r.board.Place(start, 15, 15);
        r.firstMove = 0;
        r.players[0].AddToHand(take(1, 6));
        r.players[0].AddToHand(take(2, 3));
        r.players[1].AddToHand(take(4, 4));
        r.players[1].AddToHand(take(0, 5));
        for (game::Player &p : r.players) p.handPips = p.SumPips();
        r.current = 0;
        r.selected = nullptr;
        r.placementAngle = 0;
    }
    void SelectHandSlot(int slot) {
        int x = 9 + 58 * slot + 29, y = 560;
        input.SetMouse(x, y);
        Frame();
        input.PushClick(x, y);
        Frame();
    }

    // The computer keeps thinking: no spot markers, no moves.
    void ComputerThinking() {
        game::Rules &r = game->rules;
        r.current = 1;
        r.cpuPending = 1;
        r.cpuDelay = 1e9f;
        r.lastAction = game::ActionPass;
    }
    // The human's first legal move for a tile.
    bool LegalMove(game::Tile *t, game::Candidate *out) {
        std::vector<game::Candidate> moves;
        game->rules.CollectCandidates(0, &moves);
        for (const game::Candidate &m : moves) {
            if (m.tile != t) continue;
            *out = m;
            return true;
        }
        return false;
    }

    uint32_t frameMs = 20;
    std::unique_ptr<Game> game;
    platform::ScriptedInput input;
    platform::ManualClock clock;
    Image frame;
};

}  // namespace

TEST_F(PlayTest, ClickOnALegalSpotLaysTheSelectedTileThere) {
    StartPlaying();
    FixedPosition();
    Frame();
    SelectHandSlot(0);
    game::Rules &r = game->rules;
    ASSERT_EQ(r.selected, r.FindTile(1, 6));
    game::Candidate move;
    ASSERT_TRUE(LegalMove(r.selected, &move));
    r.placementAngle = move.angle;

    // The tile follows the pointer and sits over the spot's marker.
    int x, y;
    ASSERT_TRUE(PixelForBoardPoint(move.x, move.z, &x, &y));
    ASSERT_TRUE(x > 0 && x < 800 && y > 0 && y < 480) << x << "," << y;
    input.SetMouse(x, y);
    Frames(2);
    EXPECT_EQ(game->pointerOverBoard, 1);
    EXPECT_EQ(r.placementLegal, 1);
    EXPECT_NEAR(r.selected->x, move.x, 0.05);
    EXPECT_NEAR(r.selected->z, move.z, 0.05);
    Image withTile = frame;
    // The 6 half covers the marker of the spot it attaches to.
    ASSERT_EQ(r.board.spots.size(), 4u);
    const game::Spot *spot = nullptr;
    for (const game::Spot &s : r.board.spots) {
        float bx = move.x, bz = move.z, dx = 0, dz = 0;
        game::AngleDir(move.angle, &dx, &dz);
        if (std::fabs(bx + dx - s.x) < 0.01f && std::fabs(bz + dz - s.z) < 0.01f) spot = &s;
    }
    ASSERT_NE(spot, nullptr);
    const float marker[3] = {spot->x - 16, 0.3f, spot->z - 16};
    int mx, my;
    ASSERT_TRUE(Project(marker, &mx, &my));
    Rgb over = Pixel(mx, my);
    EXPECT_GT(over.r + over.g + over.b, 3 * 170) << "ivory tile expected at the marker";
    // Without the pointer over the table, the marker is seen instead.
    input.SetMouse(400, 590);
    Frames(2);
    EXPECT_GT(Difference(withTile, frame, mx - 6, my - 6, mx + 6, my + 6), 12 * 12 * 60);

    // The click lays it, snapped onto the spot, and the turn passes.
    input.SetMouse(x, y);
    Frame();
    size_t placed = r.board.placed.size();
    input.PushClick(x, y);
    Frame();
    ASSERT_EQ(r.board.placed.size(), placed + 1);
    game::Tile *laid = r.board.placed.back();
    EXPECT_EQ(laid, r.FindTile(1, 6));
    EXPECT_EQ(r.players[0].HandSize(), 1);
    EXPECT_EQ(r.current, 1);
    EXPECT_TRUE(laid->Shows(6));
}

TEST_F(PlayTest, PointerTileIsRedOnlyOverAnIllegalPoint) {
    StartPlaying();
    FixedPosition();
    Frame();
    SelectHandSlot(0);
    game::Rules &r = game->rules;
    game::Candidate move;
    ASSERT_TRUE(LegalMove(r.selected, &move));
    r.placementAngle = move.angle;
    int x, y;
    ASSERT_TRUE(PixelForBoardPoint(move.x, move.z, &x, &y));
    input.SetMouse(x, y);
    Frames(2);
    ASSERT_EQ(r.placementLegal, 1);
    const float centre[3] = {move.x - 16, 0.3f, move.z - 16};
    int cx, cy;
    ASSERT_TRUE(Project(centre, &cx, &cy));
    Rgb legal = Pixel(cx, cy);
    // Far from every spot.
    ASSERT_TRUE(PixelForBoardPoint(8, 8, &x, &y));
    input.SetMouse(x, y);
    Frames(2);
    ASSERT_EQ(r.placementLegal, 0);
    const float far[3] = {8 - 16, 0.3f, 8 - 16};
    ASSERT_TRUE(Project(far, &cx, &cy));
    Rgb illegal = Pixel(cx, cy);
    EXPECT_GT(illegal.r, illegal.g + 60) << illegal.r << " " << illegal.g << " " << illegal.b;
    EXPECT_LT(std::abs(legal.r - legal.g), 40) << legal.r << " " << legal.g << " " << legal.b;
}

TEST_F(PlayTest, ComputersHandIsFaceDownAndHumansFaceUp) {
    StartPlaying();
    FixedPosition();
    Frames(2);
    // Face up: the pips of the human's 2-3 show as dark dots in slot 1.
    auto darkPixels = [&](int slot) {
        int n = 0;
        for (int y = 490; y < 595; ++y)
            for (int x = 9 + 58 * slot + 4; x < 9 + 58 * slot + 54; ++x) {
                Rgb p = Pixel(x, y);
                if (p.r + p.g + p.b < 150) ++n;
            }
        return n;
    };
    EXPECT_GT(darkPixels(0), 30);
    EXPECT_GT(darkPixels(1), 30);
    game->rules.current = 1;
    game->rules.cpuPending = 1;
    game->rules.cpuDelay = 1000;  // keep the computer thinking
    game->rules.lastAction = game::ActionPass;
    Frames(2);
    EXPECT_LT(darkPixels(0), 5);
    EXPECT_LT(darkPixels(1), 5);
    // In a game of two humans the seat to move sees its own tiles.
    game->players[1].isComputer = 0;
    game->rules.cpuPending = 0;
    Frames(2);
    EXPECT_GT(darkPixels(0), 30);
}

TEST_F(PlayTest, CameraPresetsChangeTheViewAndShowTheirLabel) {
    StartPlaying();
    FixedPosition();
    ComputerThinking();
    input.SetMouse(400, 590);
    Frames(2);
    Image first = frame;
    input.PushKey(platform::KeyF8);
    Frames(2);
    EXPECT_EQ(game->camera.preset, 3);
    EXPECT_FLOAT_EQ(game->camera.elevation, 89);
    EXPECT_GT(game->camera.labelCountdown, 0);
    // The table seen from above differs; the label shows at the right.
    EXPECT_GT(Difference(first, frame, 100, 150, 700, 450), 600 * 300 * 10);
    EXPECT_GT(Difference(first, frame, 640, 128, 800, 160), 500);
    // F5 goes back to the current preset: the same view again.
    Image top = frame;
    input.SetKey(platform::KeyLeft, true);
    Frames(5);
    input.SetKey(platform::KeyLeft, false);
    EXPECT_FLOAT_EQ(game->camera.azimuth, -5);
    input.PushKey(platform::KeyF5);
    frameMs = 200;
    Frames(80);  // the label has gone by now
    EXPECT_FLOAT_EQ(game->camera.azimuth, 0);
    EXPECT_EQ(game->camera.labelCountdown, 0);
    EXPECT_LT(Difference(top, frame, 100, 150, 700, 450), 600 * 300 / 4);
}

TEST_F(PlayTest, OpeningTextsAreCentredWhereTheyBelong) {
    Frame();
    ASSERT_EQ(game->mode, Opening);
    Frames(2);
    // Bounding box of the bright text pixels in the prompt's band.
    int left = 800, right = -1;
    for (int y = 320; y < 352; ++y)
        for (int x = 0; x < 800; ++x) {
            Rgb p = Pixel(x, y);
            if (p.r > 240 && p.g > 240 && p.b > 240) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    ASSERT_GT(right, left);
    EXPECT_NEAR((left + right) / 2.0, 400, 6);
    // Nothing of it above its line.
    for (int x = 0; x < 800; ++x) {
        Rgb p = Pixel(x, 300);
        EXPECT_FALSE(p.r > 250 && p.g > 250 && p.b > 250 && x > left && x < right) << x;
    }
}

TEST_F(PlayTest, ShadowsAndReflectionsChangeOnlyTheTable) {
    StartPlaying();
    FixedPosition();
    input.SetMouse(790, 300);  // over the table, nothing selected
    Frames(2);
    Image both = frame;
    game->settings.shadow = 0;
    Frames(2);
    Image noShadow = frame;
    game->settings.reflect = 0;
    Frames(2);
    Image none = frame;
    // The tile 6-6 lies at world (-1, -1); its surroundings change, the
    // overlay and the hand do not.
    int x, y;
    const float tile[3] = {-0.5f, 0, -1};
    ASSERT_TRUE(Project(tile, &x, &y));
    EXPECT_GT(Difference(both, noShadow, x - 60, y - 60, x + 60, y + 60), 2000);
    EXPECT_GT(Difference(noShadow, none, x - 60, y - 60, x + 60, y + 60), 2000);
    EXPECT_EQ(Difference(both, none, 0, 0, 800, 70), 0);     // names, counts, title
    EXPECT_EQ(Difference(both, none, 0, 485, 130, 600), 0);  // the hand
}

// The table and the room are seen shrunk and at a slant: their pictures
// must carry mip levels (start-up turns mip-mapping on before anything is
// loaded), or the wood shimmers as the camera turns and the software
// rasteriser reads texels scattered far apart.
TEST_F(PlayTest, TableAndRoomPicturesAreMipmapped) {
    BoardView &view = game->boardView;
    int textured = 0;
    for (lib3d::Scene *scene : {view.table.get(), view.background.get()}) {
        ASSERT_NE(scene, nullptr);
        for (int i = 0; i < scene->MeshCount(); ++i) {
            const lib3d::Mesh *mesh = scene->Mesh(i);
            if (!mesh || !mesh->material || mesh->material->texture < 0) continue;
            const lib3d::TextureSlot *slot = game->Slot(mesh->material->texture);
            ASSERT_NE(slot, nullptr);
            ASSERT_NE(slot->texture, nullptr);
            EXPECT_EQ(slot->mipmapped, 1) << "mesh " << i;
            EXPECT_GT(slot->texture->Levels(), 1) << "mesh " << i;
            ++textured;
        }
    }
    EXPECT_GE(textured, 5);  // the table's parts, floor, rug, walls, ...
}

// The see-through table top is blended only where mirrored tiles were
// drawn, and the marks that say where are all gone before the shadows,
// which test the same stencil: the fragments counted show both, and away
// from the tiles the table looks as it does without reflections.
TEST_F(PlayTest, ReflectionsBlendTheTopOnlyOverTheMirroredTiles) {
    StartPlaying();
    FixedPosition();
    input.SetMouse(790, 300);  // over the table, nothing selected
    Frames(2);
    lib3d::PassCounter on(game->GetDevice());
    game->passCounter = &on;
    Frame();
    game->passCounter = nullptr;
    const Image both = frame;
    game->settings.reflect = 0;
    Frame();
    lib3d::PassCounter off(game->GetDevice());
    game->passCounter = &off;
    Frame();
    game->passCounter = nullptr;
    ASSERT_TRUE(on.Ok());
    ASSERT_TRUE(off.Ok());

    EXPECT_GT(on.Samples("reflection"), 0u);
    EXPECT_GT(on.Samples("glaze"), 0u);
    EXPECT_LE(on.Samples("glaze"), on.Samples("reflection"));
    EXPECT_LT(on.Samples("glaze") * 20, on.Samples("table"));
    EXPECT_EQ(off.Samples("glaze"), 0u);
    EXPECT_GT(on.Samples("shadows"), 0u);
    EXPECT_EQ(on.Samples("shadows"), off.Samples("shadows"));

    // The 6-6 lies at world (-1, -1); well left of it the table is bare.
    int x, y;
    const float tile[3] = {-0.5f, 0, -1};
    ASSERT_TRUE(Project(tile, &x, &y));
    ASSERT_GT(x, 200);
    int largest = 0;
    for (int py = y - 40; py < y + 40; ++py)
        for (int px = 20; px < x - 150; ++px)
            for (int c = 0; c < 3; ++c) {
                const size_t i = (static_cast<size_t>(py) * 800 + px) * 4 + c;
                largest = std::max(largest, std::abs(both.pixels[i] - frame.pixels[i]));
            }
    EXPECT_LE(largest, 2);
    EXPECT_GT(Difference(both, frame, x - 60, y - 60, x + 60, y + 60), 2000);
}

// The glaze drawn only inside the mirrored tiles' rectangles, the room
// without what lies wholly behind the top and the shadows as outlines must
// give the picture the long way gives (to a level of rounding), from above,
// from low down where the floor shows between the legs, from far out, and
// with the eye almost on the table.
TEST_F(PlayTest, TableShortcutsLeaveThePictureAlone) {
    StartPlaying();
    FixedPosition();
    // Three more tiles far apart, so that their reflections need glaze
    // rectangles of their own.
    game::Rules &r = game->rules;
    const int spots[3][2] = {{4, 4}, {27, 6}, {9, 26}};
    for (const auto &spot : spots) {
        game::Tile *t = r.boneyard.back();
        r.boneyard.pop_back();
        t->angle = 90;
        r.board.Place(t, spot[0], spot[1]);
    }
    SelectHandSlot(0);  // the 6-1 follows the pointer: a moving tile too
    input.SetMouse(430, 280);
    Frames(2);
    struct View {
        float elevation, distance, azimuth;
    };
    const View views[] = {{45, 30, 0}, {60, 14, 120}, {12, 45, 200}, {20, 100, 30}, {10, 0.6f, 0}};
    BoardView &view = game->boardView;
    int culledViews = 0;
    game->frameStep = 0;  // the spot markers' pulse stands still between the two drawings
    for (const View &v : views) {
        game->camera.elevation = v.elevation;
        game->camera.distance = v.distance;
        game->camera.azimuth = v.azimuth;
        game->camera.UpdateEye();
        game->UpdateView();
        view.drawWhole = false;
        game->PlayRender();
        const Image quick = frame;
        const std::vector<device::Rect> rects = view.GlazeRects();
        int roomDrawn = 0, roomAll = 0;
        for (int i = 0; i < view.background->MeshCount(); ++i) {
            roomDrawn += view.background->Mesh(i)->DrawnTriangles();
            roomAll += view.background->Mesh(i)->triangleCount;
        }
        view.drawWhole = true;
        game->PlayRender();
        int largest = 0;
        for (size_t i = 0; i < frame.pixels.size(); ++i)
            if (i % 4 != 3)
                largest = std::max(largest, std::abs(quick.pixels[i] - frame.pixels[i]));
        EXPECT_LE(largest, 1) << "elevation " << v.elevation << ", distance " << v.distance;
        view.drawWhole = false;
        if (roomDrawn < roomAll) ++culledViews;
        const float eyeHeight = game->camera.eye[1];
        if (eyeHeight < lib3d::PlanarOccluder::kMinEyeHeight) {
            EXPECT_EQ(roomDrawn, roomAll);
        }
        if (v.distance == 30) {
            // Seen from above, the tiles' glaze covers a small part of the screen.
            ASSERT_GE(rects.size(), 3u);
            long area = 0;
            for (const device::Rect &r : rects) area += (r.right - r.left) * (r.bottom - r.top);
            EXPECT_LT(area, 800 * 600 / 10);
            EXPECT_LT(roomDrawn, roomAll - 100);  // much of the floor and the rug
        }
    }
    EXPECT_GE(culledViews, 3);
}

TEST_F(PlayTest, ScriptedGameReachesTheResultAndAReleaseDealsAgain) {
    StartPlaying();
    frameMs = 100;  // the computer thinks for ten frames
    game::Rules &r = game->rules;
    int frames = 0;
    while (game->mode == Play && frames < 40000) {
        ++frames;
        if (!r.HumanToMove()) {
            Frame();
            continue;
        }
        if (r.firstMove) {
            // The start tile is already selected: lay it anywhere on the table.
            input.SetMouse(400, 250);
            Frame();
            input.PushClick(400, 250);
            Frame();
            continue;
        }
        std::vector<game::Candidate> moves;
        if (r.CollectCandidates(r.current, &moves) > 0) {
            const game::Candidate &m = moves[0];
            auto &hand = r.players[r.current].hand;
            int slot = int(std::find(hand.begin(), hand.end(), m.tile) - hand.begin());
            SelectHandSlot(slot);
            ASSERT_EQ(r.selected, m.tile);
            for (int turns = 0; turns < 4 && r.placementAngle != m.angle; ++turns) {
                input.PushClick(400, 250, platform::ButtonRight);
                Frame();
            }
            int x, y;
            ASSERT_TRUE(PixelForBoardPoint(m.x, m.z, &x, &y));
            input.SetMouse(x, y);
            Frame();
            int before = r.players[0].HandSize();
            input.PushClick(x, y);
            Frame();
            ASSERT_EQ(r.players[0].HandSize(), before - 1) << "drop at " << m.x << "," << m.z;
            continue;
        }
        // Nothing to lay: draw when allowed, else pass (the buttons).
        bool canDraw = !r.boneyard.empty() && r.players[r.current].HandSize() < 10;
        int y = canDraw ? 600 - 48 : 600 - 88;
        input.SetMouse(720, y);
        Frame();
        input.PushClick(720, y);
        Frame();
    }
    ASSERT_EQ(game->mode, GameOver) << "after " << frames << " frames";
    Frames(3);
    input.PushKey('x');
    Frame();
    EXPECT_EQ(game->mode, Menu);
    Frame();
    EXPECT_EQ(game->mode, Opening);
    EXPECT_EQ(r.players[0].HandSize(), 7);
    EXPECT_EQ(r.players[1].HandSize(), 7);
    EXPECT_TRUE(r.board.placed.empty());
}

TEST_F(PlayTest, EscapeDuringPlayEndsTheProgramForNow) {
    StartPlaying();
    FixedPosition();
    input.PushKey(platform::KeyEscape);
    Frame();
    EXPECT_EQ(game->quit, 1);
}

TEST_F(PlayTest, OpeningWaitsForAReleaseAndMotionDoesNothing) {
    Frame();
    ASSERT_EQ(game->mode, Opening);
    platform::InputEvent press;
    press.type = platform::EventKeyDown;
    press.key = 'a';
    input.Push(press);
    input.PushMotion(100, 100);
    platform::InputEvent button;
    button.type = platform::EventButtonDown;
    button.button = platform::ButtonLeft;
    input.Push(button);
    float azimuth = game->camera.azimuth;
    Frames(3);
    EXPECT_EQ(game->mode, Opening);
    EXPECT_GT(game->camera.azimuth, azimuth);  // the orbit goes on
    EXPECT_FLOAT_EQ(game->camera.elevation, 30);
    button.type = platform::EventButtonUp;
    input.Push(button);
    Frame();
    EXPECT_EQ(game->mode, Play);
    // Play starts from the current preset.
    EXPECT_FLOAT_EQ(game->camera.elevation, 45);
    EXPECT_FLOAT_EQ(game->camera.azimuth, 0);
}

TEST_F(PlayTest, BlockedGameShowsBothHandsFaceUp) {
    StartPlaying();
    FixedPosition();
    game::Rules &r = game->rules;
    r.endCause = game::EndBlocked;
    r.current = 0;
    game->mode = GameOver;
    Frames(2);
    // Seat 1's two tiles on the upper row, seat 0's on the lower, both
    // showing their pips around the middle of the screen.
    auto dark = [&](int y0, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = 300; x < 500; ++x) {
                Rgb p = Pixel(x, y);
                if (p.r + p.g + p.b < 150) ++n;
            }
        return n;
    };
    int seat1Row, seat0Row;
    const float upper[3] = {0, 0, 13 - 16}, lower[3] = {0, 0, 17 - 16};
    float view[16];
    const float eye[3] = {0, 20, 0.1f}, dir[3] = {0, -20, -0.1f};
    lib3d::Matrix::LookAt(view, eye, dir, 180);
    game->SetView(view);
    int x;
    ASSERT_TRUE(Project(upper, &x, &seat1Row));
    ASSERT_TRUE(Project(lower, &x, &seat0Row));
    EXPECT_LT(seat1Row, seat0Row);
    EXPECT_GT(dark(seat1Row - 40, seat1Row + 40), 30);
    EXPECT_GT(dark(seat0Row - 40, seat0Row + 40), 30);
}

TEST_F(PlayTest, LeftCtrlDragsTurnTheViewAndItsClicksLayNothing) {
    StartPlaying();
    FixedPosition();
    Frame();
    SelectHandSlot(0);
    game::Rules &r = game->rules;
    game::Candidate move;
    ASSERT_TRUE(LegalMove(r.selected, &move));
    r.placementAngle = move.angle;
    int x, y;
    ASSERT_TRUE(PixelForBoardPoint(move.x, move.z, &x, &y));
    input.SetMouse(x, y);
    Frame();

    // Left button held with Left Ctrl: the view turns by the motion.
    input.SetKey(platform::KeyLCtrl, true);
    input.SetButtons(1);
    input.SetMouse(x + 50, y + 20);
    Frame();
    EXPECT_FLOAT_EQ(game->camera.azimuth, -10);
    EXPECT_FLOAT_EQ(game->camera.elevation, 41);
    // Right button held: the distance follows the vertical motion.
    input.SetButtons(4);
    input.SetMouse(x + 50, y + 60);
    Frame();
    EXPECT_FLOAT_EQ(game->camera.distance, 32);
    input.SetButtons(0);

    // Back to the preset view; a click with Left Ctrl held lays nothing.
    input.PushKey(platform::KeyF5);
    Frame();
    input.SetMouse(x, y);
    Frame();
    ASSERT_EQ(r.placementLegal, 1);
    input.PushClick(x, y);
    Frame();
    EXPECT_EQ(r.players[0].HandSize(), 2);
    input.PushClick(x, y, platform::ButtonRight);
    Frame();
    EXPECT_FLOAT_EQ(r.placementAngle, move.angle);  // nor turns the tile
    input.SetKey(platform::KeyLCtrl, false);
    input.PushClick(x, y);
    Frame();
    EXPECT_EQ(r.players[0].HandSize(), 1);
}

// With the lay help (on by default), the pointer on a spot's ring shows the
// tile laid there, legal, and the click lays it there.
TEST_F(PlayTest, PointerOnASpotsRingSnapsTheTileThere) {
    StartPlaying();
    FixedPosition();
    Frame();
    SelectHandSlot(0);
    game::Rules &r = game->rules;
    ASSERT_EQ(r.selected, r.FindTile(1, 6));
    ASSERT_EQ(game->controls.help.enabled, 1);
    // The first spot 6-1 fits at, and the point on the table under its ring.
    const game::Spot *spot = nullptr;
    for (const game::Spot &s : r.board.spots) {
        game::Drop d;
        if (!spot && game->controls.help.Find(r, s.x + 0.5f, s.z + 0.5f, &d)) spot = &s;
    }
    ASSERT_NE(spot, nullptr);
    const float ring[3] = {spot->x - 16, 0, spot->z - 16};
    int x, y;
    ASSERT_TRUE(Project(ring, &x, &y));
    ASSERT_TRUE(x > 0 && x < 800 && y > 0 && y < 480) << x << "," << y;
    input.SetMouse(x, y);
    Frames(2);
    EXPECT_EQ(r.placementLegal, 1);
    // The 6 half lies on the spot: the marker is covered by the ivory tile.
    float dx = 0, dz = 0;
    game::AngleDir(r.selected->angle, &dx, &dz);
    const bool aOnSpot =
        std::fabs(r.selected->x - spot->x) < 0.01f && std::fabs(r.selected->z - spot->z) < 0.01f;
    const bool bOnSpot = std::fabs(r.selected->x + dx - spot->x) < 0.01f &&
                         std::fabs(r.selected->z + dz - spot->z) < 0.01f;
    EXPECT_TRUE(aOnSpot || bOnSpot) << r.selected->x << "," << r.selected->z;
    const float marker[3] = {spot->x - 16, 0.3f, spot->z - 16};
    int mx, my;
    ASSERT_TRUE(Project(marker, &mx, &my));
    Rgb over = Pixel(mx, my);
    EXPECT_GT(over.r + over.g + over.b, 3 * 170) << "ivory tile expected at the marker";
    EXPECT_LT(std::abs(over.r - over.g), 40) << "not red";

    const float shownX = r.selected->x, shownZ = r.selected->z, shownAngle = r.selected->angle;
    input.PushClick(x, y);
    Frame();
    ASSERT_EQ(r.board.placed.size(), 2u);
    game::Tile *laid = r.board.placed.back();
    EXPECT_EQ(laid, r.FindTile(1, 6));
    EXPECT_FLOAT_EQ(laid->x, shownX);
    EXPECT_FLOAT_EQ(laid->z, shownZ);
    EXPECT_FLOAT_EQ(laid->angle, shownAngle);
    EXPECT_EQ(r.current, 1);
}

class PlayNoHelpTest : public PlayTest {
protected:
    std::string Settings() override { return "LayHelp=0\n"; }
};

// Without the lay help the same pointer is half a cell off: red, and the
// click lays nothing.
TEST_F(PlayNoHelpTest, PointerOnASpotsRingIsNotALegalDrop) {
    StartPlaying();
    FixedPosition();
    Frame();
    SelectHandSlot(0);
    game::Rules &r = game->rules;
    ASSERT_EQ(game->controls.help.enabled, 0);
    const game::Spot spot = r.board.spots[0];
    const float ring[3] = {spot.x - 16, 0, spot.z - 16};
    int x, y;
    ASSERT_TRUE(Project(ring, &x, &y));
    input.SetMouse(x, y);
    Frames(2);
    EXPECT_EQ(r.placementLegal, 0);
    input.PushClick(x, y);
    Frame();
    EXPECT_EQ(r.board.placed.size(), 1u);
    EXPECT_EQ(r.current, 0);
}
