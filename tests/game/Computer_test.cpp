#include <gtest/gtest.h>

#include <cstdlib>

#include "RulesFixture.h"

using namespace game;

class ComputerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetTable(rules);
        rules.SetHost(&host);
        rules.current = 1;
    }
    RecordingHost host;
    Rules rules;
};

TEST_F(ComputerTest, OpeningTileGoesToTheMiddleAtOnce) {
    GiveHand(rules, 0, {{1, 2}});
    GiveHand(rules, 1, {{5, 5}, {0, 1}});
    rules.ChooseStarter();
    ASSERT_EQ(rules.current, 1);
    for (unsigned seed = 1; seed <= 8; ++seed) {
        srand(seed);
        rules.firstMove = 1;
        rules.runAcross = rules.runAlong = 0;
        EXPECT_EQ(rules.Decide(), ActionLay);
        EXPECT_EQ(rules.cpuMove.tile, rules.FindTile(5, 5));
        EXPECT_FLOAT_EQ(rules.cpuMove.x, 15);
        EXPECT_FLOAT_EQ(rules.cpuMove.z, 15);
        EXPECT_GE(AngleIndex(rules.cpuMove.angle), 0);
        EXPECT_EQ(rules.firstMove, 0);
        EXPECT_EQ(rules.cpuPending, 1);
        EXPECT_FLOAT_EQ(rules.cpuDelay, 10);
        EXPECT_EQ(rules.runAcross + rules.runAlong, 1);
    }
}

TEST_F(ComputerTest, PrefersTheMoveLeavingTheMostOfItsOwnValue) {
    Lay(rules, 2, 2, 15, 15, 0);  // every open end shows 2
    GiveHand(rules, 1, {{5, 6}, {2, 5}, {5, 5}});
    std::vector<Candidate> list;
    ASSERT_GT(rules.CollectCandidates(1, &list), 0);
    for (const Candidate &c : list) {
        EXPECT_EQ(c.tile, rules.FindTile(2, 5));
        EXPECT_EQ(c.value, 2);
        EXPECT_EQ(c.score, 3);
        Tile probe = *c.tile;
        probe.angle = c.angle;
        EXPECT_NE(rules.board.CanPlace(&probe, c.x, c.z), 0);
    }
    EXPECT_EQ(rules.Decide(), ActionLay);
    EXPECT_EQ(rules.cpuMove.tile, rules.FindTile(2, 5));
    EXPECT_FLOAT_EQ(rules.cpuMove.x, list[0].x);
    EXPECT_FLOAT_EQ(rules.cpuMove.z, list[0].z);
    EXPECT_EQ(rules.moveCount[1], 4);
}

TEST_F(ComputerTest, EqualScoresGoToTheTileReceivedFirst) {
    Lay(rules, 3, 3, 15, 15, 0);
    GiveHand(rules, 1, {{1, 3}, {3, 4}});
    EXPECT_EQ(rules.Decide(), ActionLay);
    EXPECT_EQ(rules.cpuMove.tile, rules.FindTile(1, 3));
    GiveHand(rules, 1, {{3, 4}, {1, 3}});
    EXPECT_EQ(rules.Decide(), ActionLay);
    EXPECT_EQ(rules.cpuMove.tile, rules.FindTile(3, 4));
    // A higher score wins over hand order: 3-4 leaves 4, shown by two tiles.
    GiveHand(rules, 1, {{1, 3}, {3, 4}, {4, 6}});
    EXPECT_EQ(rules.Decide(), ActionLay);
    EXPECT_EQ(rules.cpuMove.tile, rules.FindTile(3, 4));
}

TEST_F(ComputerTest, ThirdMoveAlongOneAxisTurns) {
    Lay(rules, 3, 5, 15, 15, 0);
    GiveHand(rules, 1, {{5, 6}, {0, 0}});
    EXPECT_EQ(rules.Decide(), ActionLay);
    EXPECT_FLOAT_EQ(rules.cpuMove.angle, 0);  // straight on from (17, 15)
    EXPECT_FLOAT_EQ(rules.cpuMove.x, 17);
    EXPECT_EQ(rules.runAcross, 1);

    rules.runAcross = 2;
    EXPECT_EQ(rules.Decide(), ActionLay);
    EXPECT_FLOAT_EQ(rules.cpuMove.angle, 90);
    EXPECT_FLOAT_EQ(rules.cpuMove.x, 17);
    EXPECT_FLOAT_EQ(rules.cpuMove.z, 15);
    EXPECT_EQ(rules.runAcross, 0);
    EXPECT_EQ(rules.runAlong, 1);
}

TEST_F(ComputerTest, DrawsOrPassesByTheSeatsHandSizes) {
    Lay(rules, 6, 6, 15, 15, 0);
    auto hand = [&](int n) {
        static const std::pair<int, int> pool[] = {{0, 0}, {0, 1}, {0, 2}, {0, 3}, {0, 4},
                                                   {1, 1}, {1, 2}, {1, 3}, {1, 4}, {2, 2}};
        Player &p = rules.players[1];
        for (Tile *t : p.hand) rules.boneyard.push_back(t);
        p.ClearHand();
        for (int i = 0; i < n; ++i) {
            Tile *t = rules.FindTile(pool[i].first, pool[i].second);
            TakeFromBoneyard(rules, t);
            p.AddToHand(t);
        }
    };
    GiveHand(rules, 0, {{2, 3}, {2, 4}, {2, 5}, {3, 3}, {3, 4}, {3, 5}, {4, 4}});
    hand(9);
    EXPECT_EQ(rules.Decide(), ActionPass);  // 7 + 2 is not more than 9
    hand(8);
    EXPECT_EQ(rules.Decide(), ActionDraw);
    rules.drawsThisTurn = 2;
    EXPECT_EQ(rules.Decide(), ActionPass);
    rules.drawsThisTurn = 1;
    EXPECT_EQ(rules.Decide(), ActionDraw);
    std::vector<Tile *> saved = rules.boneyard;
    rules.boneyard.clear();
    EXPECT_EQ(rules.Decide(), ActionPass);
    rules.boneyard = saved;
    GiveHand(rules, 0, {{2, 3}, {2, 4}, {2, 5}, {3, 3}, {3, 4}, {3, 5}, {4, 4}, {4, 5}, {5, 5}});
    hand(10);
    EXPECT_EQ(rules.Decide(), ActionPass);  // never beyond 10
}

TEST_F(ComputerTest, CountdownThenLay) {
    Lay(rules, 3, 5, 15, 15, 0);
    GiveHand(rules, 0, {{0, 0}});
    GiveHand(rules, 1, {{5, 6}, {1, 1}});
    int frames = 0;
    while (rules.current == 1 && frames < 100) {
        rules.BeginFrame();
        rules.ComputerUpdate(5);  // 1.0 off the countdown per frame
        ++frames;
        if (frames < 10) {
            EXPECT_EQ(rules.board.placed.size(), 1u);
            EXPECT_EQ(rules.lastAction, ActionLay);
        }
    }
    EXPECT_EQ(frames, 10);
    EXPECT_EQ(rules.turnEnded, 1);
    EXPECT_EQ(host.effects, std::vector<int>{SoundPlace});
    Tile *t = rules.FindTile(5, 6);
    EXPECT_EQ(rules.board.placed.back(), t);
    EXPECT_EQ(rules.players[1].HandSize(), 1);
    EXPECT_EQ(rules.players[1].handPips, 2);
    EXPECT_EQ(rules.current, 0);
}

TEST_F(ComputerTest, DrawThenDecideAgainInTheSameTurn) {
    Lay(rules, 3, 5, 15, 15, 0);
    GiveHand(rules, 0, {{0, 0}, {0, 1}, {0, 2}, {0, 4}, {0, 6}, {1, 1}, {1, 2}});
    GiveHand(rules, 1, {{1, 4}, {2, 2}});
    Tile *fits = rules.FindTile(5, 6);
    TakeFromBoneyard(rules, fits);
    rules.boneyard.insert(rules.boneyard.begin(), fits);
    rules.BeginFrame();
    rules.ComputerUpdate(50);
    EXPECT_EQ(host.effects, std::vector<int>{SoundDraw});
    EXPECT_EQ(rules.players[1].hand.back(), fits);
    EXPECT_EQ(rules.drawsThisTurn, 1);
    EXPECT_EQ(rules.lastAction, ActionLay);  // decided again at once
    EXPECT_EQ(rules.cpuMove.tile, fits);
    EXPECT_EQ(rules.cpuPending, 1);
    EXPECT_FLOAT_EQ(rules.cpuDelay, 10);
    EXPECT_EQ(rules.current, 1);
    EXPECT_EQ(rules.turnEnded, 0);
    rules.BeginFrame();
    rules.ComputerUpdate(50);
    EXPECT_EQ(rules.board.placed.back(), fits);
    EXPECT_EQ(rules.drawsThisTurn, 0);
    EXPECT_EQ(rules.current, 0);
}

TEST_F(ComputerTest, PassEndsTheTurnWithTheSkipSound) {
    Lay(rules, 6, 6, 15, 15, 0);
    rules.boneyard.clear();
    GiveHand(rules, 0, {{0, 0}});
    GiveHand(rules, 1, {{1, 2}});
    rules.BeginFrame();
    rules.ComputerUpdate(50);
    EXPECT_EQ(host.effects, std::vector<int>{SoundSkip});
    EXPECT_EQ(rules.current, 0);
    EXPECT_EQ(rules.turnEnded, 1);
    // Nor does the human's turn move the computer.
    host.effects.clear();
    rules.ComputerUpdate(50);
    EXPECT_TRUE(host.effects.empty());
}
