#include "game/ComputerLevel1.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "RulesFixture.h"
#include "game/Autoplay.h"

using namespace game;

class Level1Test : public ::testing::Test {
protected:
    void SetUp() override {
        ResetTable(rules);
        rules.SetHost(&host);
        rules.current = 1;
    }
    bool Legal(const CpuMove &m) {
        Tile probe = *m.tile;
        probe.angle = m.angle;
        return rules.board.CanPlace(&probe, m.x, m.z) != 0;
    }
    RecordingHost host;
    Rules rules;
};

// 4-6 fits this table, but not where the line of the tile it joins points,
// nor at another angle there: level 0 draws, level 1 lays.
TEST_F(Level1Test, LaysWhereLevelZeroDraws) {
    Lay(rules, 6, 6, 15, 15, 90);
    Lay(rules, 3, 6, 14, 14, 0);
    Lay(rules, 3, 5, 13, 14, 180);
    GiveHand(rules, 0, {{0, 0}, {0, 1}, {0, 2}, {1, 1}, {1, 2}, {2, 2}, {0, 3}});
    GiveHand(rules, 1, {{4, 6}, {1, 4}});
    std::vector<Candidate> list;
    ASSERT_EQ(rules.CollectCandidates(1, &list), 0);
    ASSERT_TRUE(rules.HasLegalDrop(1));

    rules.level = 0;
    EXPECT_EQ(rules.Decide(), ActionDraw);
    rules.level = 1;
    rules.lastAction = rules.Decide();
    EXPECT_EQ(rules.lastAction, ActionLay);
    EXPECT_EQ(rules.cpuMove.tile, rules.FindTile(4, 6));
    EXPECT_TRUE(Legal(rules.cpuMove));
    EXPECT_EQ(rules.cpuPending, 1);

    // Carried out by the usual countdown.
    rules.ComputerUpdate(100.0f);
    ASSERT_EQ(rules.board.placed.size(), 4u);
    EXPECT_EQ(rules.board.placed.back(), rules.FindTile(4, 6));
    EXPECT_EQ(rules.current, 0);
    EXPECT_EQ(rules.players[1].HandSize(), 1);
}

TEST_F(Level1Test, CanLayFollowsTheLevelsOwnSearch) {
    Lay(rules, 6, 6, 15, 15, 90);
    Lay(rules, 3, 6, 14, 14, 0);
    Lay(rules, 3, 5, 13, 14, 180);
    GiveHand(rules, 0, {{0, 1}});
    GiveHand(rules, 1, {{4, 6}});
    rules.level = 0;
    rules.CountMoves();
    EXPECT_EQ(rules.canLay[1], 0);
    rules.level = 1;
    rules.CountMoves();
    EXPECT_EQ(rules.canLay[1], 1);
}

TEST_F(Level1Test, DrawsOrPassesOnlyWhenNothingFits) {
    Lay(rules, 3, 5, 15, 15, 0);
    rules.level = 1;
    GiveHand(rules, 0, {{0, 0}, {0, 1}, {0, 2}, {1, 1}, {1, 2}, {2, 2}, {0, 4}});
    // A tile that fits is laid, however the hands stand.
    GiveHand(rules, 1, {{1, 4}, {2, 4}, {4, 4}, {4, 6}, {0, 6}, {1, 6}, {2, 6}, {6, 6}, {4, 5}});
    EXPECT_EQ(rules.Decide(), ActionLay);
    EXPECT_EQ(rules.cpuMove.tile, rules.FindTile(4, 5));
    EXPECT_TRUE(Legal(rules.cpuMove));
    // Nothing fits: it draws while the rule lets it...
    GiveHand(rules, 1, {{1, 4}, {2, 4}});
    rules.lastAction = rules.Decide();
    EXPECT_EQ(rules.lastAction, ActionDraw);
    rules.ComputerUpdate(100.0f);  // draws, decides again at once
    EXPECT_EQ(rules.players[1].HandSize(), 3);
    EXPECT_EQ(rules.drawsThisTurn, 1);
    // ... and passes after two draws in one turn, holding 10, or with the
    // boneyard empty, as the computer always did.
    GiveHand(rules, 1, {{1, 4}, {2, 4}});
    rules.notes[1].drawsThisTurn = 2;
    EXPECT_EQ(rules.Decide(), ActionPass);
    rules.notes[1] = ComputerNotes();
    GiveHand(rules, 1, {{1, 4}, {2, 4}, {4, 4}, {4, 6}, {0, 6}, {1, 6}, {2, 6}, {6, 6}, {0, 1}});
    EXPECT_EQ(rules.Decide(), ActionPass);  // 9 held, the other seat 7: 7 + 2 is not more
    GiveHand(rules, 1, {{1, 4}});
    std::vector<Tile *> keep = rules.boneyard;
    rules.boneyard.clear();
    EXPECT_EQ(rules.Decide(), ActionPass);
    rules.boneyard = keep;
}

TEST_F(Level1Test, LearnsWhatTheOpponentLacks) {
    Lay(rules, 3, 5, 15, 15, 0);
    GiveHand(rules, 0, {{0, 0}, {0, 1}});
    GiveHand(rules, 1, {{1, 2}, {2, 4}});  // nothing fits: draws
    ComputerNotes notes;
    CpuMove move;
    ASSERT_EQ(DecideLevel1(rules, 1, &notes, &move), ActionDraw);
    EXPECT_EQ(notes.drawsThisTurn, 1);
    GiveHand(rules, 1, {{1, 2}, {2, 4}, {4, 4}});
    ASSERT_EQ(DecideLevel1(rules, 1, &notes, &move), ActionDraw);
    GiveHand(rules, 1, {{1, 2}, {2, 4}, {4, 4}, {0, 4}});
    ASSERT_EQ(DecideLevel1(rules, 1, &notes, &move), ActionPass);  // after two draws
    EXPECT_EQ(notes.drawsThisTurn, 0);
    // It recorded the ends open when its turn ended.
    EXPECT_EQ(notes.openAfter, (1 << 3) | (1 << 5));
    EXPECT_EQ(notes.lacks, 0);

    // The opponent passes (the table and the boneyard as they were): it lacks 3 and 5.
    GiveHand(rules, 1, {{2, 4}});
    notes.drawsThisTurn = 0;
    DecideLevel1(rules, 1, &notes, &move);
    EXPECT_EQ(notes.lacks, (1 << 3) | (1 << 5));

    // It lays 5-6: it held a 5, so that is no longer sure; 3 still is.
    notes.openAfter = OpenValues(rules);
    notes.placed = static_cast<int>(rules.board.placed.size());
    notes.drawsThisTurn = 0;
    Tile *t = rules.FindTile(5, 6);
    TakeFromBoneyard(rules, t);
    t->angle = 0;
    rules.board.Place(t, 17, 15);
    DecideLevel1(rules, 1, &notes, &move);
    EXPECT_EQ(notes.lacks, 1 << 3);

    // It draws: only what was open before its draw is known to be missing.
    notes.lacks = 1 << 0;
    notes.openAfter = (1 << 3) | (1 << 6);
    notes.placed = static_cast<int>(rules.board.placed.size());
    notes.boneyard = static_cast<int>(rules.boneyard.size()) + 1;
    notes.drawsThisTurn = 0;
    DecideLevel1(rules, 1, &notes, &move);
    EXPECT_EQ(notes.lacks, (1 << 3) | (1 << 6));
}

// Two moves alike in pips, variety and follow-up: it leaves open the value
// the opponent showed it lacks.
TEST_F(Level1Test, BlocksWhatTheOpponentLacks) {
    Lay(rules, 2, 2, 15, 15, 0);
    GiveHand(rules, 0, {{0, 1}, {1, 3}});
    GiveHand(rules, 1, {{2, 6}, {2, 4}});
    ComputerNotes notes;
    CpuMove move;
    notes.lacks = (1 << 2) | (1 << 6);
    ASSERT_EQ(DecideLevel1(rules, 1, &notes, &move), ActionLay);
    EXPECT_EQ(move.tile, rules.FindTile(2, 6));
    EXPECT_TRUE(Legal(move));
    notes = ComputerNotes();
    notes.lacks = (1 << 2) | (1 << 4);
    ASSERT_EQ(DecideLevel1(rules, 1, &notes, &move), ActionLay);
    EXPECT_EQ(move.tile, rules.FindTile(2, 4));
}

TEST_F(Level1Test, HeavyTilesAndDoublesGoFirst) {
    Lay(rules, 3, 5, 15, 15, 0);
    GiveHand(rules, 0, {{0, 1}, {1, 2}, {0, 2}, {1, 1}, {2, 2}, {0, 0}, {1, 4}});
    // 5-5 and 3-0: the double, heavier, goes.
    GiveHand(rules, 1, {{0, 3}, {5, 5}, {4, 6}});
    ComputerNotes notes;
    CpuMove move;
    ASSERT_EQ(DecideLevel1(rules, 1, &notes, &move), ActionLay);
    EXPECT_EQ(move.tile, rules.FindTile(5, 5));
    EXPECT_TRUE(Legal(move));
}

namespace {

struct Checks : public MatchObserver {
    long lays = 0;
    long illegal = 0;
    long overlapping = 0;
    void AfterFrame(const Board &before, const Rules &r) override {
        if (r.board.placed.size() <= before.placed.size() || before.placed.empty()) return;
        ++lays;
        const Tile *laid = r.board.placed.back();
        Tile probe = *laid;
        if (!before.CanPlace(&probe, laid->x, laid->z)) ++illegal;
        for (const Tile *t : before.placed) {
            if (FootprintsOverlap(*t, *laid)) {
                ++overlapping;
                break;
            }
        }
    }
};

}  // namespace

// Level 1 on either side, against level 0, through the computer's turn and
// through the human's controls: only legal lays, and every game ends.
TEST(Level1Play, SelfPlayedGamesKeepTheRulesAndEnd) {
    Rules rules;
    Checks checks;
    int wins[2] = {0, 0};
    for (int side = 0; side < 2; ++side) {
        for (unsigned g = 0; g < 300; ++g) {
            unsigned seed = 7000 + g;
            rules.Setup();
            rules.level = side == 0 ? 0 : 1;
            srand(seed);
            ComputerSeat seat(side == 0 ? 1 : 0, seed);
            MatchResult m = PlayMatch(rules, seat, 200, &checks);
            ASSERT_EQ(m.stuck, 0) << "seed " << seed;
            ASSERT_EQ(m.refused, 0) << "seed " << seed;
            ASSERT_EQ(m.ended, 1) << "seed " << seed;
            if (m.winner >= 0) wins[m.winner == side ? 0 : 1] += 1;  // [0]: level 1
        }
    }
    EXPECT_EQ(checks.illegal, 0);
    EXPECT_EQ(checks.overlapping, 0);
    EXPECT_GT(checks.lays, 600 * 10);
    // Not a measurement (that is the selfplay tool's), only a sanity bound:
    // the stronger side wins more often than it loses.
    EXPECT_GT(wins[0], wins[1]);
}
