#include "game/LayHelp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "RulesFixture.h"
#include "game/Autoplay.h"
#include "game/PlayControls.h"

using namespace game;
using platform::ScriptedInput;

namespace {

// The pointer's board point when it is over the ring of a spot at (x, z).
float RingX(const Spot &s) {
    return s.x + kPointerCellOffset;
}
float RingZ(const Spot &s) {
    return s.z + kPointerCellOffset;
}

}  // namespace

// After the first tile 3-5 at (15, 15), angle 0, the spots are, in order:
// value 3 at (14,15) (15,14) (15,16), value 5 at (17,15) mask 11, (16,14)
// mask 9, (16,16) mask 3. The human holds 5-6, selected.
class LayHelpTest : public ::testing::Test {
protected:
    static const int W = 800, H = 600;

    void SetUp() override {
        ResetTable(rules);
        rules.SetHost(&host);
        Lay(rules, 3, 5, 15, 15, 0);
        GiveHand(rules, 0, {{5, 6}, {0, 1}});
        tile = rules.FindTile(5, 6);
        rules.selected = tile;
        controls.help.enabled = 1;
        ahead = rules.board.spots[3];
        ASSERT_FLOAT_EQ(ahead.x, 17);
        ASSERT_FLOAT_EQ(ahead.z, 15);
    }
    // One frame with the pointer over the table at a board point: counts,
    // the tile following the pointer, then every pending event.
    void Frame(float boardX, float boardZ) {
        rules.BeginFrame();
        PlayPointer p;
        p.x = 400;
        p.y = 300;
        p.overBoard = 1;
        p.boardX = boardX;
        p.boardZ = boardZ;
        controls.Preview(p);
        controls.HandleEvents(input, p, W, H);
    }
    void Release(int button) {
        platform::InputEvent e;
        e.type = platform::EventButtonUp;
        e.button = button;
        input.Push(e);
    }

    RecordingHost host;
    Rules rules;
    PlayControls controls{rules};
    ScriptedInput input;
    Tile *tile = nullptr;
    Spot ahead;
};

TEST_F(LayHelpTest, PointerOnTheRingShowsAndLaysTheDropThere) {
    Frame(RingX(ahead), RingZ(ahead));
    EXPECT_EQ(rules.placementLegal, 1);
    EXPECT_FLOAT_EQ(tile->x, 17);
    EXPECT_FLOAT_EQ(tile->z, 15);
    EXPECT_FLOAT_EQ(tile->angle, 0);  // the placement angle fits here
    // The same point without the help is not a legal drop at all.
    Tile probe = *tile;
    EXPECT_EQ(rules.board.CanPlace(&probe, RingX(ahead), RingZ(ahead)), 0);

    const float shownX = tile->x, shownZ = tile->z, shownAngle = tile->angle;
    Release(platform::ButtonLeft);
    Frame(RingX(ahead), RingZ(ahead));
    ASSERT_EQ(rules.board.placed.size(), 2u);
    EXPECT_EQ(rules.board.placed.back(), tile);
    EXPECT_FLOAT_EQ(tile->x, shownX);
    EXPECT_FLOAT_EQ(tile->z, shownZ);
    EXPECT_FLOAT_EQ(tile->angle, shownAngle);
    EXPECT_EQ(host.LastEffect(), SoundPlace);
    EXPECT_EQ(rules.current, 1);
    EXPECT_EQ(rules.players[0].HandSize(), 1);
    EXPECT_EQ(rules.players[0].handPips, 1);
}

TEST_F(LayHelpTest, ReachIsOneCellFromTheRing) {
    // Straight out to the right of the ring, away from every other spot.
    Frame(RingX(ahead) + 0.9f, RingZ(ahead));
    EXPECT_EQ(rules.placementLegal, 1);
    EXPECT_FLOAT_EQ(tile->x, 17);
    EXPECT_FLOAT_EQ(tile->z, 15);

    // Past reach the tile follows the pointer, red, and a click is refused.
    const float farX = RingX(ahead) + 1.1f, farZ = RingZ(ahead);
    Frame(farX, farZ);
    EXPECT_EQ(rules.placementLegal, 0);
    EXPECT_FLOAT_EQ(tile->x, farX);
    EXPECT_FLOAT_EQ(tile->z, farZ);
    Release(platform::ButtonLeft);
    Frame(farX, farZ);
    EXPECT_EQ(rules.board.placed.size(), 1u);
    EXPECT_EQ(host.LastEffect(), SoundError);

    // Exactly placed the old way, a drop is still taken where the pointer says.
    host.effects.clear();
    Frame(17.1f, 15.0f);
    EXPECT_EQ(rules.placementLegal, 1);
    EXPECT_FLOAT_EQ(tile->x, 17);
    Release(platform::ButtonLeft);
    Frame(17.1f, 15.0f);
    EXPECT_EQ(rules.board.placed.size(), 2u);
    EXPECT_FLOAT_EQ(tile->x, 17);
}

TEST_F(LayHelpTest, NoLegalDropLeavesTheTileFollowingThePointer) {
    // 0-1 matches nothing on the table (a selection the hand would refuse,
    // made directly so the help sees a tile without drops).
    Tile *none = rules.FindTile(0, 1);
    rules.selected = none;
    Drop d;
    EXPECT_FALSE(controls.help.Find(rules, RingX(ahead), RingZ(ahead), &d));
    Frame(RingX(ahead), RingZ(ahead));
    EXPECT_EQ(rules.placementLegal, 0);
    EXPECT_FLOAT_EQ(none->x, RingX(ahead));
    EXPECT_FLOAT_EQ(none->z, RingZ(ahead));
    // A right click with nothing in reach turns by 90 degrees as always.
    Release(platform::ButtonRight);
    Frame(RingX(ahead), RingZ(ahead));
    EXPECT_FLOAT_EQ(rules.placementAngle, 90);
    Release(platform::ButtonLeft);
    Frame(RingX(ahead), RingZ(ahead));
    EXPECT_EQ(rules.board.placed.size(), 1u);
    EXPECT_EQ(host.LastEffect(), SoundError);
}

TEST_F(LayHelpTest, TurningVisitsOnlyTheAnglesThatFitThere) {
    // The angles with a legal drop at the spot ahead, found independently.
    bool fits[4] = {};
    for (int k = 0; k < 4; ++k) {
        Tile probe = *tile;
        probe.angle = static_cast<float>(90 * k);
        float dx, dz;
        AngleDir(probe.angle, &dx, &dz);
        fits[k] =
            rules.board.CanPlace(&probe, 17, 15) || rules.board.CanPlace(&probe, 17 - dx, 15 - dz);
    }
    // Mask 11 refuses a 5-6 running back (180) into the tile it joins.
    ASSERT_FALSE(fits[2]);
    ASSERT_TRUE(fits[0] && fits[1] && fits[3]);

    // A turn shows from the frame after the click (the tile is previewed
    // before the frame's events).
    Frame(RingX(ahead), RingZ(ahead));
    float seen[4];
    for (int n = 0; n < 4; ++n) {
        seen[n] = tile->angle;
        EXPECT_EQ(rules.placementLegal, 1);
        EXPECT_TRUE(fits[AngleIndex(tile->angle)]) << tile->angle;
        EXPECT_FLOAT_EQ(tile->x, 17);
        EXPECT_FLOAT_EQ(tile->z, 15);
        Release(platform::ButtonRight);
        Frame(RingX(ahead), RingZ(ahead));
        Frame(RingX(ahead), RingZ(ahead));
    }
    EXPECT_FLOAT_EQ(seen[0], 0);
    EXPECT_FLOAT_EQ(seen[1], 90);
    EXPECT_FLOAT_EQ(seen[2], 270);  // 180 skipped
    EXPECT_FLOAT_EQ(seen[3], 0);    // round again

    // The click lays the angle shown.
    ASSERT_FLOAT_EQ(tile->angle, 90);
    Release(platform::ButtonLeft);
    Frame(RingX(ahead), RingZ(ahead));
    ASSERT_EQ(rules.board.placed.size(), 2u);
    EXPECT_FLOAT_EQ(tile->angle, 90);
    EXPECT_FLOAT_EQ(tile->x, 17);
    EXPECT_FLOAT_EQ(tile->z, 15);
}

TEST_F(LayHelpTest, AnotherAngleIsShownWhenThePlacementAngleDoesNotFit) {
    rules.placementAngle = 180;
    Frame(RingX(ahead), RingZ(ahead));
    EXPECT_EQ(rules.placementLegal, 1);
    EXPECT_FLOAT_EQ(tile->angle, 270);  // the next angle on from 180 that fits
    EXPECT_FLOAT_EQ(rules.placementAngle, 180);
    Release(platform::ButtonLeft);
    Frame(RingX(ahead), RingZ(ahead));
    ASSERT_EQ(rules.board.placed.size(), 2u);
    EXPECT_FLOAT_EQ(tile->angle, 270);
    // The player's own angle carries on to the next tile.
    EXPECT_FLOAT_EQ(rules.placementAngle, 180);
}

TEST_F(LayHelpTest, EquallyNearSpotsGoToThePlacementAngleThenTheLowerIndex) {
    // A first double 5-5 offers (14,15) mask 14, (17,15) mask 11, and its
    // sides (15.5,14) mask 8 (5-6 may only run to 270) and (15.5,16) mask 2
    // (only 90). The point (16, 15.5) is exactly one cell from both sides'
    // rings and further from the ends'.
    ResetTable(rules);
    Lay(rules, 5, 5, 15, 15, 0);
    GiveHand(rules, 0, {{5, 6}});
    rules.selected = tile;
    ASSERT_EQ(rules.board.spots.size(), 4u);
    ASSERT_FLOAT_EQ(rules.board.spots[2].z, 14);
    ASSERT_FLOAT_EQ(rules.board.spots[3].z, 16);
    const float x = 16.0f, z = 15.5f;
    const float expectSpot[4] = {2, 3, 2, 2};  // placement angle 0, 90, 180, 270
    for (int k = 0; k < 4; ++k) {
        rules.placementAngle = static_cast<float>(90 * k);
        Drop d;
        ASSERT_TRUE(controls.help.Find(rules, x, z, &d)) << k;
        EXPECT_EQ(d.spot, expectSpot[k]) << k;
        EXPECT_FLOAT_EQ(d.angle, d.spot == 2 ? 270 : 90) << k;
    }
}

TEST_F(LayHelpTest, HelpOffBehavesAsBefore) {
    controls.help.enabled = 0;
    Frame(RingX(ahead), RingZ(ahead));
    EXPECT_EQ(rules.placementLegal, 0);
    EXPECT_FLOAT_EQ(tile->x, RingX(ahead));
    Release(platform::ButtonRight);
    Release(platform::ButtonRight);
    Frame(RingX(ahead), RingZ(ahead));
    EXPECT_FLOAT_EQ(rules.placementAngle, 180);  // plain quarter turns
    Release(platform::ButtonLeft);
    Frame(RingX(ahead), RingZ(ahead));
    EXPECT_EQ(rules.board.placed.size(), 1u);
    EXPECT_EQ(host.LastEffect(), SoundError);
}

TEST_F(LayHelpTest, FirstMoveIsUnchanged) {
    rules.board.Clear();
    GiveHand(rules, 0, {{6, 6}, {0, 1}});
    GiveHand(rules, 1, {{1, 2}});
    rules.ChooseStarter();
    ASSERT_EQ(rules.selected, rules.FindTile(6, 6));
    Frame(9.25f, 20.5f);
    EXPECT_EQ(rules.placementLegal, 1);
    Release(platform::ButtonRight);
    Release(platform::ButtonLeft);
    Frame(9.25f, 20.5f);
    Tile *d = rules.FindTile(6, 6);
    ASSERT_EQ(rules.board.placed.size(), 1u);
    EXPECT_FLOAT_EQ(d->x, 9.25f);
    EXPECT_FLOAT_EQ(d->z, 20.5f);
    EXPECT_FLOAT_EQ(d->angle, 90);
}

TEST_F(LayHelpTest, NothingWhileTheComputerIsToMove) {
    rules.current = 1;
    Drop d;
    EXPECT_FALSE(controls.help.Find(rules, RingX(ahead), RingZ(ahead), &d));
    Release(platform::ButtonRight);
    Release(platform::ButtonLeft);
    Frame(RingX(ahead), RingZ(ahead));
    EXPECT_EQ(rules.board.placed.size(), 1u);
    EXPECT_FLOAT_EQ(rules.placementAngle, 0);
    // A pointer that picked nothing usable (no table under it) is no drop.
    rules.current = 0;
    EXPECT_FALSE(controls.help.Find(rules, NAN, 15.0f, &d));
}

// A pointer moving straight at the ring of every open spot of mid-game
// boards, from eight directions, shows a legal drop at that spot from at
// least half a cell out (the reach is a whole cell), and on the ring itself.
TEST(LayHelpApproach, TurnsLegalBeforeReachingEveryRing) {
    Rules rules;
    LayHelp help;
    help.enabled = 1;
    int spotsTried = 0, spotsSkipped = 0;
    for (unsigned seed = 11; seed <= 16; ++seed) {
        rules.Setup();
        srand(seed);
        SimpleSeat seat(seed);
        PlayMatch(rules, seat, 8, nullptr);
        ASSERT_GE(rules.board.placed.size(), 5u) << seed;
        rules.players[0].isComputer = 0;
        rules.current = 0;
        rules.firstMove = 0;
        std::vector<Drop> drops;
        for (int i = 0; i < static_cast<int>(rules.board.spots.size()); ++i) {
            const Spot s = rules.board.spots[i];
            // Any tile not on the table with a legal drop found from this spot.
            Tile *pick = nullptr;
            for (Tile &t : rules.tiles) {
                bool laid = false;
                for (const Tile *p : rules.board.placed) laid = laid || p == &t;
                if (laid || !ListDrops(rules.board, &t, &drops)) continue;
                for (const Drop &d : drops) {
                    if (d.spot == i) pick = &t;
                }
                if (pick) break;
            }
            if (!pick) {
                ++spotsSkipped;
                continue;
            }
            ++spotsTried;
            rules.selected = pick;
            for (int dir = 0; dir < 8; ++dir) {
                const float a = static_cast<float>(dir) * 3.14159265f / 4.0f;
                const float ux = std::cos(a), uz = std::sin(a);
                // From 0.5 cell out to the ring, in steps of 0.05.
                for (int step = 10; step >= 0; --step) {
                    const float r = 0.05f * static_cast<float>(step);
                    const float bx = RingX(s) + ux * r, bz = RingZ(s) + uz * r;
                    help.Preview(rules, bx, bz);
                    ASSERT_EQ(rules.placementLegal, 1)
                        << "seed " << seed << " spot " << i << " dir " << dir << " r " << r;
                    Tile probe = *pick;
                    ASSERT_NE(rules.board.CanPlace(&probe, pick->x, pick->z), 0);
                }
                // On the ring, the drop is at this spot's cell.
                Drop d;
                ASSERT_TRUE(help.Find(rules, RingX(s), RingZ(s), &d));
                EXPECT_FLOAT_EQ(rules.board.spots[d.spot].x, s.x);
                EXPECT_FLOAT_EQ(rules.board.spots[d.spot].z, s.z);
            }
        }
    }
    EXPECT_GT(spotsTried, 20);
    EXPECT_LT(spotsSkipped, spotsTried);
}
