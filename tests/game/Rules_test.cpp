#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "RulesFixture.h"

using namespace game;

class RulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetTable(rules);
        rules.SetHost(&host);
    }
    // Both seats' counts as the frame starts, and no turn ended yet.
    void Frame() { rules.BeginFrame(); }

    RecordingHost host;
    Rules rules;
};

TEST_F(RulesTest, SetupMakesTheSetInOrderAllInTheBoneyard) {
    ASSERT_EQ(rules.tiles.size(), 28u);
    EXPECT_EQ(rules.tiles[0].a, 0);
    EXPECT_EQ(rules.tiles[0].b, 0);
    EXPECT_EQ(rules.tiles[6].b, 6);
    EXPECT_EQ(rules.tiles[7].a, 1);
    EXPECT_EQ(rules.tiles[7].b, 1);
    EXPECT_EQ(rules.tiles[27].a, 6);
    EXPECT_EQ(rules.tiles[27].b, 6);
    EXPECT_EQ(rules.boneyard.size(), 28u);
    EXPECT_EQ(rules.board.width, 32);
}

TEST_F(RulesTest, NewGameDealsSevenEachAndAccountsForEveryTile) {
    rules.placementAngle = 270;
    Lay(rules, 3, 5, 15, 15, 0);
    srand(42);
    rules.NewGame();
    EXPECT_EQ(host.reports, std::vector<int>{ReportStarted});
    EXPECT_EQ(host.viewResets, 1);
    EXPECT_EQ(host.timerResets, 1);
    EXPECT_EQ(rules.players[0].HandSize(), 7);
    EXPECT_EQ(rules.players[1].HandSize(), 7);
    EXPECT_EQ(rules.boneyard.size(), 14u);
    EXPECT_TRUE(rules.board.placed.empty());
    EXPECT_TRUE(rules.board.spots.empty());
    EXPECT_EQ(rules.firstMove, 1);
    EXPECT_FLOAT_EQ(rules.placementAngle, 270);  // carried over
    std::set<const Tile *> seen(rules.boneyard.begin(), rules.boneyard.end());
    std::set<std::pair<int, int>> values;
    for (const Player &p : rules.players) {
        EXPECT_EQ(p.handPips, p.SumPips());
        seen.insert(p.hand.begin(), p.hand.end());
    }
    for (const Tile &t : rules.tiles) {
        EXPECT_LE(t.a, t.b);
        EXPECT_EQ(t.LinkCount(), 0);
        values.insert({t.a, t.b});
    }
    EXPECT_EQ(seen.size(), 28u);
    EXPECT_EQ(values.size(), 28u);  // the shuffle swaps pairs, never duplicates
    ASSERT_NE(rules.startTile, nullptr);
    EXPECT_EQ(rules.players[rules.current].Find(rules.startTile->a, rules.startTile->b),
              rules.startTile);
    EXPECT_EQ(rules.selected, rules.current == 0 ? rules.startTile : nullptr);
}

TEST_F(RulesTest, SameSeedSameDeal) {
    srand(7);
    rules.NewGame();
    std::vector<std::pair<int, int>> first;
    for (Tile *t : rules.players[0].hand) first.push_back({t->a, t->b});
    Rules other;
    other.Setup();
    srand(7);
    other.NewGame();
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(other.players[0].hand[i]->a, first[i].first);
        EXPECT_EQ(other.players[0].hand[i]->b, first[i].second);
    }
}

TEST_F(RulesTest, HighestDoubleStartsWhicheverSeatHoldsIt) {
    GiveHand(rules, 0, {{5, 5}, {0, 1}});
    GiveHand(rules, 1, {{0, 2}, {6, 6}});
    rules.ChooseStarter();
    EXPECT_EQ(rules.current, 1);
    EXPECT_EQ(rules.startTile, rules.FindTile(6, 6));
    EXPECT_EQ(rules.selected, nullptr);  // the computer is not given a selection
    EXPECT_EQ(rules.firstMove, 1);

    GiveHand(rules, 0, {{0, 0}, {1, 1}, {2, 6}});
    GiveHand(rules, 1, {{0, 2}, {3, 6}});
    rules.ChooseStarter();
    EXPECT_EQ(rules.current, 0);
    EXPECT_EQ(rules.startTile, rules.FindTile(1, 1));
    EXPECT_EQ(rules.selected, rules.startTile);
}

TEST_F(RulesTest, WithoutDoublesTheHeaviestTileStartsAndTiesGoToTheHigherValue) {
    // 0-0 does not decide the start; 6-3 and 5-4 both count 9, 6-3 wins.
    GiveHand(rules, 0, {{0, 0}, {4, 5}, {1, 2}});
    GiveHand(rules, 1, {{3, 6}, {0, 6}});
    rules.ChooseStarter();
    EXPECT_EQ(rules.current, 1);
    EXPECT_EQ(rules.startTile, rules.FindTile(3, 6));

    GiveHand(rules, 0, {{3, 6}, {0, 1}});
    GiveHand(rules, 1, {{4, 5}, {2, 3}});
    rules.ChooseStarter();
    EXPECT_EQ(rules.current, 0);
    EXPECT_EQ(rules.startTile, rules.FindTile(3, 6));

    // A full tie keeps the earlier tile: 2-4 and 1-5 are 6 pips, 5 beats 2 and 4.
    GiveHand(rules, 0, {{2, 4}});
    GiveHand(rules, 1, {{1, 5}});
    rules.ChooseStarter();
    EXPECT_EQ(rules.startTile, rules.FindTile(1, 5));
    GiveHand(rules, 0, {{1, 5}});
    GiveHand(rules, 1, {{2, 4}});
    rules.ChooseStarter();
    EXPECT_EQ(rules.startTile, rules.FindTile(1, 5));
    EXPECT_EQ(rules.current, 0);
}

TEST_F(RulesTest, DrawingTakesTheFirstBoneyardTileAndStopsWhenEmpty) {
    GiveHand(rules, 0, {{1, 2}});
    Tile *front = rules.boneyard.front();
    size_t before = rules.boneyard.size();
    rules.DrawFromBoneyard(0);
    EXPECT_EQ(rules.players[0].hand.back(), front);
    EXPECT_EQ(rules.players[0].handPips, 3 + front->Pips());
    EXPECT_EQ(rules.boneyard.size(), before - 1);
    rules.boneyard.clear();
    rules.DrawFromBoneyard(0);
    rules.DrawFromBoneyard(-1);
    EXPECT_EQ(rules.players[0].HandSize(), 2);
}

TEST_F(RulesTest, EndTurnClearsSelectionAndPassesTheMove) {
    rules.selected = rules.FindTile(1, 1);
    rules.EndTurn();
    EXPECT_EQ(rules.current, 1);
    EXPECT_EQ(rules.selected, nullptr);
    EXPECT_EQ(rules.turnEnded, 1);
    rules.EndTurn();
    EXPECT_EQ(rules.current, 0);
}

TEST_F(RulesTest, EmptyHandEndsTheGameEveryFrame) {
    GiveHand(rules, 0, {});
    GiveHand(rules, 1, {{1, 2}});
    Frame();
    EXPECT_EQ(rules.CheckEnd(), 1);
    EXPECT_EQ(rules.current, 0);
    EXPECT_EQ(rules.endCause, EndEmptyHand);
    EXPECT_EQ(host.LastEffect(), SoundWin);
    EXPECT_EQ(host.LastReport(), ReportEnded);

    GiveHand(rules, 0, {{3, 4}});
    GiveHand(rules, 1, {});
    rules.current = 0;
    Frame();
    EXPECT_EQ(rules.CheckEnd(), 1);
    EXPECT_EQ(rules.current, 1);
    EXPECT_EQ(host.LastEffect(), SoundLose);
}

TEST_F(RulesTest, BlockedGameIsDecidedByTheLowerPipsOrTied) {
    Lay(rules, 6, 6, 15, 15, 0);
    rules.boneyard.clear();
    GiveHand(rules, 0, {{1, 5}, {2, 4}});  // 12 pips, nothing shows 6
    GiveHand(rules, 1, {{0, 3}, {4, 5}});  // 12 pips
    Frame();
    EXPECT_EQ(rules.CheckEnd(), 0);  // no turn ended in this frame
    ASSERT_EQ(rules.Pass(), 1);
    host.effects.clear();
    EXPECT_EQ(rules.CheckEnd(), 1);
    EXPECT_EQ(rules.current, -1);
    EXPECT_EQ(rules.endCause, EndBlocked);
    EXPECT_TRUE(host.effects.empty());
    EXPECT_EQ(host.LastReport(), ReportEnded);

    // After a tied game there is no seat to move: nothing may index one.
    Frame();
    EXPECT_FALSE(rules.HumanToMove());
    EXPECT_EQ(rules.Pass(), 0);
    EXPECT_EQ(rules.Decide(), ActionPass);
    rules.ComputerUpdate(50);

    GiveHand(rules, 1, {{0, 3}, {1, 2}});  // 6 pips: the computer wins
    rules.boneyard.clear();
    rules.current = 0;
    Frame();
    rules.Pass();
    EXPECT_EQ(rules.CheckEnd(), 1);
    EXPECT_EQ(rules.current, 1);
    EXPECT_EQ(host.LastEffect(), SoundLose);
}

TEST_F(RulesTest, WithTilesLeftTheGameBlocksOnlyWhenBothHandsAreFull) {
    Lay(rules, 6, 6, 15, 15, 0);
    GiveHand(rules, 0,
             {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}, {1, 1}, {1, 2}, {1, 3}, {1, 4}});
    GiveHand(rules, 1, {{2, 2}, {2, 3}, {2, 4}, {2, 5}, {3, 3}, {3, 4}, {3, 5}, {4, 4}, {4, 5}});
    ASSERT_FALSE(rules.boneyard.empty());
    Frame();
    ASSERT_EQ(rules.Pass(), 1);
    EXPECT_EQ(rules.CheckEnd(), 0);  // 10 and 9: the game goes on

    rules.current = 0;
    GiveHand(rules, 1,
             {{2, 2}, {2, 3}, {2, 4}, {2, 5}, {3, 3}, {3, 4}, {3, 5}, {4, 4}, {4, 5}, {5, 5}});
    Frame();
    ASSERT_EQ(rules.Pass(), 1);
    EXPECT_EQ(rules.CheckEnd(), 1);
    EXPECT_EQ(rules.endCause, EndBlocked);
    EXPECT_EQ(rules.current, 0);  // 35 pips against 68
}

TEST_F(RulesTest, HumanDrawsOnlyWhenNothingFitsAndAtMostTen) {
    Lay(rules, 6, 6, 15, 15, 0);
    GiveHand(rules, 0, {{1, 2}});
    Frame();
    Tile *front = rules.boneyard.front();
    EXPECT_EQ(rules.TakeFromBoneyard(), 1);
    EXPECT_EQ(host.LastEffect(), SoundDraw);
    EXPECT_EQ(rules.players[0].hand.back(), front);
    EXPECT_EQ(rules.current, 0);  // drawing does not end the turn

    rules.boneyard.clear();
    host.effects.clear();
    EXPECT_EQ(rules.TakeFromBoneyard(), 0);
    EXPECT_EQ(host.effects, std::vector<int>{SoundDraw});  // only the sound
    EXPECT_EQ(rules.players[0].HandSize(), 2);

    GiveHand(rules, 0,
             {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 5}, {1, 1}, {1, 2}, {1, 3}, {1, 4}});
    EXPECT_EQ(rules.TakeFromBoneyard(), 0);
    EXPECT_EQ(host.LastEffect(), SoundError);

    GiveHand(rules, 0, {{1, 6}});  // fits the double
    Frame();
    host.effects.clear();
    EXPECT_EQ(rules.TakeFromBoneyard(), 0);
    EXPECT_EQ(rules.Pass(), 0);
    EXPECT_TRUE(host.effects.empty());  // refused silently, as the hidden buttons are
    rules.firstMove = 1;
    GiveHand(rules, 0, {{1, 2}});
    Frame();
    EXPECT_EQ(rules.Pass(), 0);  // never on the first move
}

TEST_F(RulesTest, TileThatMatchesOnlyByValueStillLetsTheSeatPassAndBlock) {
    // A spot showing 2 that nothing may run out of: (2, 5) matches it by value,
    // so the seat's count is 1, but no drop is legal anywhere.
    Tile *n = Lay(rules, 6, 6, 15, 15, 0);
    rules.board.spots.clear();
    rules.board.AddSpot(20, 20, n, 2, 0);
    rules.boneyard.clear();
    GiveHand(rules, 0, {{2, 5}});
    GiveHand(rules, 1, {{0, 2}, {1, 3}});
    Frame();
    EXPECT_EQ(rules.moveCount[0], 1);
    EXPECT_EQ(rules.moveCount[1], 1);
    EXPECT_EQ(rules.canLay[0], 0);
    EXPECT_EQ(rules.canLay[1], 0);
    EXPECT_TRUE(rules.MayPassOrDraw());
    EXPECT_FALSE(rules.PointerOverBoard(780, 500, 800, 600));  // the buttons show
    ASSERT_EQ(rules.Pass(), 1);
    EXPECT_EQ(rules.CheckEnd(), 1);
    EXPECT_EQ(rules.endCause, EndBlocked);
    EXPECT_EQ(rules.current, 1);  // 4 pips against 7

    // With a direction open the same tile fits, and passing is refused.
    ResetTable(rules);
    n = Lay(rules, 6, 6, 15, 15, 0);
    rules.board.spots.clear();
    rules.board.AddSpot(20, 20, n, 2, 1);
    GiveHand(rules, 0, {{2, 5}});
    Frame();
    EXPECT_EQ(rules.canLay[0], 1);
    EXPECT_FALSE(rules.MayPassOrDraw());
    EXPECT_EQ(rules.Pass(), 0);
    EXPECT_TRUE(rules.PointerOverBoard(780, 500, 800, 600));
}

TEST_F(RulesTest, PointerRegionLeavesTheHandAndTheButtonsOffTheBoard) {
    Lay(rules, 3, 5, 15, 15, 0);
    GiveHand(rules, 0, {{5, 6}, {1, 2}, {0, 1}});  // hand ends at 9 + 3 * 58 = 183
    Frame();
    EXPECT_TRUE(rules.PointerOverBoard(100, 479, 800, 600));
    EXPECT_FALSE(rules.PointerOverBoard(100, 480, 800, 600));
    EXPECT_FALSE(rules.PointerOverBoard(183, 500, 800, 600));
    EXPECT_TRUE(rules.PointerOverBoard(184, 500, 800, 600));
    EXPECT_TRUE(rules.PointerOverBoard(700, 500, 800, 600));  // has spots: no buttons
    GiveHand(rules, 0, {{0, 1}, {1, 2}});
    Frame();
    EXPECT_TRUE(rules.PointerOverBoard(669, 500, 800, 600));
    EXPECT_FALSE(rules.PointerOverBoard(670, 500, 800, 600));
}
