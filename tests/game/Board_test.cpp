#include "game/Board.h"

#include <gtest/gtest.h>

#include <limits>

#include "RulesFixture.h"

using game::Board;
using game::Spot;
using game::Tile;

namespace {

Tile MakeTile(int a, int b, float x, float z, float angle) {
    Tile t;
    t.a = a;
    t.b = b;
    t.x = x;
    t.z = z;
    t.angle = angle;
    return t;
}

struct ExpectedSpot {
    float x, z;
    int value, mask;
};

void ExpectSpots(const Board &board, std::initializer_list<ExpectedSpot> expected) {
    ASSERT_EQ(board.spots.size(), expected.size());
    size_t i = 0;
    for (const ExpectedSpot &e : expected) {
        const Spot &s = board.spots[i++];
        EXPECT_FLOAT_EQ(s.x, e.x) << "spot " << i - 1;
        EXPECT_FLOAT_EQ(s.z, e.z) << "spot " << i - 1;
        EXPECT_EQ(s.value, e.value) << "spot " << i - 1;
        EXPECT_EQ(s.mask, e.mask) << "spot " << i - 1;
    }
}

}  // namespace

TEST(TileNear, HalvesAndMiddleMatchCloserThanPointThreeFive) {
    Tile t = MakeTile(1, 2, 15, 15, 0);
    EXPECT_TRUE(t.IsNearA(15.34f, 15));
    EXPECT_FALSE(t.IsNearA(15.35f, 15));
    EXPECT_FALSE(t.IsNearA(15, 14.65f));
    EXPECT_TRUE(t.IsNearA(15.24f, 15.24f));   // 0.339 on the diagonal
    EXPECT_FALSE(t.IsNearA(15.25f, 15.25f));  // 0.354

    EXPECT_TRUE(t.IsNearB(16.34f, 15));
    EXPECT_FALSE(t.IsNearB(16.35f, 15));
    EXPECT_FALSE(t.IsNearB(15, 15));
    EXPECT_TRUE(t.IsNearMiddle(15.5f, 15.34f));
    EXPECT_FALSE(t.IsNearMiddle(15.5f, 15.35f));

    t.angle = 270;  // b half below the a half
    EXPECT_TRUE(t.IsNearB(15, 14));
    EXPECT_TRUE(t.IsNearMiddle(15, 14.5f));
    EXPECT_FALSE(t.IsNearB(16, 15));
}

TEST(TileNear, AnAngleOutsideTheFourHasNoBHalfOrMiddle) {
    Tile t = MakeTile(1, 2, 15, 15, 45);
    EXPECT_TRUE(t.IsNearA(15, 15));
    EXPECT_FALSE(t.IsNearB(16, 15));
    EXPECT_FALSE(t.IsNearB(15, 16));
    EXPECT_FALSE(t.IsNearMiddle(15.5f, 15));
    EXPECT_FALSE(t.IsNearMiddle(15, 15));
    EXPECT_FALSE(t.Overlaps(14, 14, 2, 2));
}

TEST(TileAngles, TurnsWrapAndOddAnglesCountAsZero) {
    EXPECT_FLOAT_EQ(game::TurnAngle(270, 90), 0);
    EXPECT_FLOAT_EQ(game::TurnAngle(90, 180), 270);
    EXPECT_FLOAT_EQ(game::TurnAngle(0, -90), 270);
    EXPECT_FLOAT_EQ(game::TurnAngle(45, 90), 90);
    EXPECT_FLOAT_EQ(game::TurnAngle(std::numeric_limits<float>::quiet_NaN(), 180), 180);
    EXPECT_EQ(game::AngleBit(270), 8);
    EXPECT_EQ(game::AngleBit(360), 0);
}

TEST(TileOverlaps, FootprintPerAngleWithTouchingEdgesIncluded) {
    // The far edge of the b half, per angle, and a rectangle just past it.
    struct Case {
        float angle;
        float touchX, touchZ, pastX, pastZ;
    } cases[] = {
        {0, 1.5f, 0, 1.51f, 0},
        {90, 0, 1.5f, 0, 1.51f},
        {180, -1.5f - 0.1f, 0, -1.51f - 0.1f, 0},
        {270, 0, -1.5f - 0.1f, 0, -1.51f - 0.1f},
    };
    for (const Case &c : cases) {
        Tile t = MakeTile(0, 1, 0, 0, c.angle);
        EXPECT_TRUE(t.Overlaps(c.touchX, c.touchZ, 0.1f, 0.1f)) << c.angle;
        EXPECT_FALSE(t.Overlaps(c.pastX, c.pastZ, 0.1f, 0.1f)) << c.angle;
        // The a half's own square is always covered; the cell behind it is not.
        EXPECT_TRUE(t.Overlaps(-0.1f, -0.1f, 0.2f, 0.2f));
    }
    Tile t = MakeTile(0, 1, 0, 0, 0);
    EXPECT_TRUE(t.Overlaps(-1.5f, -0.2f, 1.0f, 0.4f));  // right edge at -0.5 touches
    EXPECT_FALSE(t.Overlaps(-1.5f, -0.2f, 0.99f, 0.4f));
    EXPECT_TRUE(t.Overlaps(0, 0.5f, 1, 1));  // bottom edge touches the top
    EXPECT_FALSE(t.Overlaps(0, 0.51f, 1, 1));
}

TEST(TileLink, NonDoubleFillsTheLinkOfTheSharedHalf) {
    Tile t = MakeTile(2, 5, 0, 0, 0);
    Tile five = MakeTile(5, 6, 0, 0, 0), two = MakeTile(1, 2, 0, 0, 0),
         none = MakeTile(1, 3, 0, 0, 0);
    EXPECT_TRUE(t.Link(&five));
    EXPECT_EQ(t.link2, &five);
    EXPECT_EQ(t.link1, nullptr);
    EXPECT_TRUE(t.Link(&two));
    EXPECT_EQ(t.link1, &two);
    EXPECT_FALSE(t.Link(&none));
    EXPECT_FALSE(t.Link(nullptr));
    EXPECT_EQ(t.LinkCount(), 2);
}

TEST(TileLink, DoubleTakesTwoMatchingNeighboursThenRefuses) {
    Tile d = MakeTile(4, 4, 0, 0, 0);
    Tile p = MakeTile(4, 6, 0, 0, 0), q = MakeTile(1, 4, 0, 0, 0), r = MakeTile(0, 4, 0, 0, 0);
    Tile other = MakeTile(1, 2, 0, 0, 0);
    EXPECT_FALSE(d.Link(&other));
    EXPECT_EQ(d.LinkCount(), 0);
    EXPECT_TRUE(d.Link(&p));
    EXPECT_TRUE(d.Link(&q));
    EXPECT_EQ(d.link1, &p);
    EXPECT_EQ(d.link2, &q);
    EXPECT_FALSE(d.Link(&r));
    EXPECT_EQ(d.link2, &q);
}

class BoardTest : public ::testing::Test {
protected:
    void SetUp() override { ResetTable(rules); }
    game::Rules rules;
    Board &board = rules.board;
};

TEST_F(BoardTest, EmptyBoardAcceptsNothingAndFirstTileOffersBothEnds) {
    for (Tile &t : rules.tiles) {
        for (float angle : {0.0f, 90.0f, 180.0f, 270.0f}) {
            t.angle = angle;
            EXPECT_EQ(board.CanPlace(&t, 15, 15), 0);
            EXPECT_EQ(board.CanPlace(&t, 16, 15), 0);
        }
    }
    Tile *first = Lay(rules, 3, 5, 15, 15, 0);
    EXPECT_FLOAT_EQ(first->x, 15);
    EXPECT_EQ(first->LinkCount(), 0);
    ExpectSpots(board, {{14, 15, 3, 14},
                        {15, 14, 3, 12},
                        {15, 16, 3, 6},
                        {17, 15, 5, 11},
                        {16, 14, 5, 9},
                        {16, 16, 5, 3}});
    std::vector<Spot> found;
    found.push_back(Spot());  // FindSpots starts from an empty list
    EXPECT_EQ(board.FindSpots(rules.FindTile(5, 6), &found), 3);
    EXPECT_FLOAT_EQ(found[0].x, 17);
    EXPECT_EQ(board.FindSpots(rules.FindTile(3, 5), &found), 6);
    EXPECT_EQ(board.FindSpots(rules.FindTile(0, 1), &found), 0);
    EXPECT_TRUE(found.empty());
}

TEST_F(BoardTest, SideSpotRefusesRunningBackIntoItsTile) {
    Lay(rules, 3, 5, 15, 15, 0);
    Tile *t = rules.FindTile(3, 6);
    // (15, 14) beside the a half, mask 12: only 180 and 270 lead away.
    const int expected[4] = {0, 0, 1, 1};
    for (int k = 0; k < 4; ++k) {
        t->angle = 90.0f * k;
        EXPECT_EQ(board.CanPlace(t, 15, 14), expected[k]) << t->angle;
        EXPECT_FLOAT_EQ(t->x, 15);  // CanPlace leaves the tile at the tested point
    }
    // b half on the straight-ahead spot (14, 15): the tile runs off at 180.
    Tile *u = rules.FindTile(1, 3);
    u->angle = 0;
    EXPECT_EQ(board.CanPlace(u, 13, 15), 2);
    u->angle = 180;  // b half would sit at (12, 15): no spot there
    EXPECT_EQ(board.CanPlace(u, 13, 15), 0);
}

TEST_F(BoardTest, MaskAloneDecidesTheDirectionOnAnOpenTable) {
    // A lone spot far from any tile: only the mask can refuse.
    Tile *n = Lay(rules, 0, 0, 0, 0, 0);
    board.spots.clear();
    board.AddSpot(10, 10, n, 1, 12);  // 180 and 270 only
    Tile *t = rules.FindTile(1, 2);
    const int kindA[4] = {0, 0, 1, 1};
    for (int k = 0; k < 4; ++k) {
        t->angle = 90.0f * k;
        EXPECT_EQ(board.CanPlace(t, 10, 10), kindA[k]) << t->angle;
    }
    // b half on the spot: the tile runs away opposite to its angle.
    board.spots[0].value = 2;
    const int kindB[4] = {2, 2, 0, 0};
    for (int k = 0; k < 4; ++k) {
        t->angle = 90.0f * k;
        float dx, dz;
        game::AngleDir(t->angle, &dx, &dz);
        EXPECT_EQ(board.CanPlace(t, 10 - dx, 10 - dz), kindB[k]) << t->angle;
    }
    // A double ignores the mask whichever way it meets the spot.
    board.spots[0].value = 1;
    board.spots[0].mask = 0;
    Tile *d = rules.FindTile(1, 1);
    d->angle = 0;
    EXPECT_EQ(board.CanPlace(d, 10, 10), 1);
    EXPECT_EQ(board.CanPlace(d, 9, 10), 2);
    EXPECT_EQ(board.CanPlace(d, 9.5f, 10), 3);
}

TEST_F(BoardTest, NearToleranceDecidesWhichPointsAttach) {
    Lay(rules, 3, 5, 15, 15, 0);
    Tile *t = rules.FindTile(5, 6);
    t->angle = 0;
    EXPECT_EQ(board.CanPlace(t, 17.34f, 15), 1);
    EXPECT_EQ(board.CanPlace(t, 17.35f, 15), 0);
    EXPECT_EQ(board.CanPlace(t, 17, 15.34f), 1);
}

TEST_F(BoardTest, DoubleAcrossNeedsRoomButNoClearance) {
    Lay(rules, 3, 5, 15, 15, 0);
    Tile *d = rules.FindTile(3, 3);
    d->angle = 90;  // across the end at (14, 15)
    EXPECT_EQ(board.CanPlace(d, 14, 14.5f), 3);
    d->angle = 0;  // lengthwise, its middle on the spot would overlap the first tile
    EXPECT_EQ(board.CanPlace(d, 13.5f, 15), 0);
    // A double's own a half on a side spot ignores the spot's mask.
    d->angle = 90;
    EXPECT_EQ(board.CanPlace(d, 15, 16), 1);
}

TEST_F(BoardTest, ClearanceStripsGuardTheFarHalf) {
    // One open spot, every direction allowed, and a blocker moved toward the
    // strip beyond the far end of a tile laid at angle 0.
    Tile *n = Lay(rules, 0, 0, 5, 5, 0);
    board.spots.clear();
    board.AddSpot(10, 10, n, 1, 15);
    Tile *t = rules.FindTile(1, 2);
    t->angle = 0;  // a on (10, 10), b on (11, 10): the strip is x in [11.5, 11.75]
    Tile *blocker = rules.FindTile(4, 6);
    blocker->angle = 0;
    blocker->z = 10;
    board.placed.push_back(blocker);

    blocker->x = 12.3f;  // footprint from 11.8: clear
    EXPECT_EQ(board.CanPlace(t, 10, 10), 1);
    blocker->x = 12.2f;  // footprint from 11.7: inside the strip
    EXPECT_EQ(board.CanPlace(t, 10, 10), 0);

    // Kind 2 guards the a half instead: b on the spot, a at (9, 10); the
    // strip behind it is x in [8.25, 8.5].
    blocker->x = 6.5f;                       // footprint to 8.0
    EXPECT_EQ(board.CanPlace(t, 9, 10), 0);  // b = 2 is not the spot's value
    board.spots[0].value = 2;
    EXPECT_EQ(board.CanPlace(t, 9, 10), 2);
    blocker->x = 6.8f;  // footprint to 8.3
    EXPECT_EQ(board.CanPlace(t, 9, 10), 0);
    blocker->z = 8.8f;  // below the side strip z in [9.25, 9.5]: footprint to 9.3
    blocker->x = 9;
    EXPECT_EQ(board.CanPlace(t, 9, 10), 0);
    blocker->z = 8.7f;  // footprint to 9.2: clear
    EXPECT_EQ(board.CanPlace(t, 9, 10), 2);

    // A double laid across a spot has no clearance test: only its body counts.
    board.spots[0].value = 1;
    Tile *d = rules.FindTile(1, 1);
    d->angle = 90;
    blocker->x = 10;
    blocker->z = 11.45f;  // clear of its body (to 10.9), over where a strip would be
    blocker->angle = 90;
    EXPECT_EQ(board.CanPlace(d, 10, 9.5f), 3);
}

TEST_F(BoardTest, PlayedEndIsUsedUpAndCrowdedSpotsArePruned) {
    Tile *first = Lay(rules, 3, 5, 15, 15, 0);
    Tile *t = rules.FindTile(3, 4);
    t->angle = 90;
    ASSERT_EQ(board.CanPlace(t, 15, 16), 1);
    Lay(rules, 3, 4, 15, 16, 90);
    EXPECT_EQ(t->link1, first);
    EXPECT_EQ(first->link1, t);
    // Every spot of the 3 end is gone, (16, 16) lost two neighbours, and the
    // new tile's far end offers three spots.
    ExpectSpots(board,
                {{17, 15, 5, 11}, {16, 14, 5, 9}, {15, 18, 4, 7}, {14, 17, 4, 6}, {16, 17, 4, 3}});
    EXPECT_EQ(board.FreeNeighbours(board.spots[0]), 3);
}

TEST_F(BoardTest, DoubleOffersFourSpotsUntilItsSecondNeighbour) {
    Tile *d = Lay(rules, 4, 4, 15, 15, 0);
    ExpectSpots(board, {{14, 15, 4, 14}, {17, 15, 4, 11}, {15.5f, 14, 4, 8}, {15.5f, 16, 4, 2}});

    Tile *t = rules.FindTile(4, 6);
    t->angle = 0;
    ASSERT_EQ(board.CanPlace(t, 17, 15), 1);
    Lay(rules, 4, 6, 17, 15, 0);
    ExpectSpots(board, {{14, 15, 4, 14},
                        {15.5f, 14, 4, 8},
                        {15.5f, 16, 4, 2},
                        {19, 15, 6, 11},
                        {18, 14, 6, 9},
                        {18, 16, 6, 3}});

    Tile *u = rules.FindTile(2, 4);
    u->angle = 0;
    ASSERT_EQ(board.CanPlace(u, 13, 15), 2);
    Lay(rules, 2, 4, 13, 15, 0);
    EXPECT_EQ(d->LinkCount(), 2);
    for (const Spot &s : board.spots) EXPECT_NE(s.tile, d);
    EXPECT_EQ(board.spots.front().value, 6);
}

TEST_F(BoardTest, SpotsAreOnlyAddedOnFreeCells) {
    Tile *n = Lay(rules, 0, 0, 5, 5, 0);
    size_t before = board.spots.size();
    board.AddSpot(5.3f, 5, n, 0, 15);  // inside the double
    board.AddSpot(6.9f, 5, n, 0, 15);  // overlaps its b half
    EXPECT_EQ(board.spots.size(), before);
    board.AddSpot(7.0f, 5, n, 0, 15);  // the cell beyond: touches nothing
    EXPECT_EQ(board.spots.size(), before + 1);
    board.Clear();
    EXPECT_TRUE(board.placed.empty());
    EXPECT_TRUE(board.spots.empty());
}
