#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "game/Autoplay.h"

using namespace game;

namespace {

// Checks after every frame of every game what must always hold.
struct Invariants : public MatchObserver {
    int frames = 0;
    int lays = 0;
    int failures = 0;

    void Fail(const char *what) {
        if (++failures <= 5) ADD_FAILURE() << what;
    }

    void AfterFrame(const Board &before, const Rules &r) override {
        ++frames;
        std::set<const Tile *> all(r.boneyard.begin(), r.boneyard.end());
        size_t count = r.boneyard.size() + r.board.placed.size();
        all.insert(r.board.placed.begin(), r.board.placed.end());
        for (const Player &p : r.players) {
            all.insert(p.hand.begin(), p.hand.end());
            count += p.hand.size();
            if (p.handPips != p.SumPips()) Fail("handPips differs from the hand");
            if (p.HandSize() > Rules::kMaxHand) Fail("a hand holds more than 10");
        }
        if (all.size() != 28 || count != 28) Fail("tiles lost or held twice");
        for (const Tile *t : all) {
            if (t < &r.tiles.front() || t > &r.tiles.back()) Fail("a tile outside the set");
        }

        if (r.board.placed.size() == before.placed.size()) return;
        if (r.board.placed.size() != before.placed.size() + 1) Fail("two tiles in one frame");
        ++lays;
        const Tile *laid = r.board.placed.back();
        if (!before.placed.empty()) {
            Tile probe = *laid;
            if (!before.CanPlace(&probe, laid->x, laid->z)) Fail("laid where CanPlace refuses");
            if (laid->LinkCount() == 0) Fail("laid without a neighbour");
        }
        for (const Tile *t : before.placed) {
            if (FootprintsOverlap(*t, *laid)) Fail("tiles overlap");
        }
    }
};

}  // namespace

// Whole games between the computer and a seat acting through the human's
// operations: every game ends, soon, with the winner the rules give.
TEST(SelfPlay, TwoThousandSeededGamesKeepTheRules) {
    const int kGames = 2000, kMaxTurns = 200;
    Rules rules;
    Invariants check;
    int ended = 0, blocked = 0, longest = 0;
    for (int g = 0; g < kGames && check.failures == 0; ++g) {
        rules.Setup();
        srand(1000 + g);
        SimpleSeat seat(1000 + g);
        MatchResult m = PlayMatch(rules, seat, kMaxTurns, &check);
        ASSERT_EQ(m.stuck, 0) << "seed " << 1000 + g;
        ASSERT_EQ(m.refused, 0) << "seed " << 1000 + g;
        ASSERT_EQ(m.ended, 1) << "seed " << 1000 + g << " turns " << m.turns;
        ++ended;
        longest = std::max(longest, m.turns);
        ASSERT_EQ(rules.current, m.winner);
        const Player &p0 = rules.players[0], &p1 = rules.players[1];
        if (m.endCause == EndEmptyHand) {
            ASSERT_GE(m.winner, 0);
            EXPECT_TRUE(rules.players[m.winner].hand.empty()) << "seed " << 1000 + g;
            EXPECT_FALSE(rules.players[1 - m.winner].hand.empty()) << "seed " << 1000 + g;
        } else {
            ++blocked;
            int expect = p0.handPips < p1.handPips ? 0 : p1.handPips < p0.handPips ? 1 : -1;
            EXPECT_EQ(m.winner, expect) << "seed " << 1000 + g;
            EXPECT_TRUE(rules.boneyard.empty() || (p0.HandSize() == 10 && p1.HandSize() == 10))
                << "seed " << 1000 + g;
            EXPECT_FALSE(p0.hand.empty() || p1.hand.empty());
        }
        // Every tile laid is on the board, and every tile on the board was laid.
        EXPECT_EQ(rules.board.placed.size(),
                  28u - rules.boneyard.size() - p0.hand.size() - p1.hand.size());
    }
    EXPECT_EQ(check.failures, 0);
    EXPECT_EQ(ended, kGames);
    EXPECT_GT(blocked, 0);  // both endings occur
    EXPECT_LT(blocked, kGames);
    EXPECT_LE(longest, kMaxTurns);
    EXPECT_GT(check.lays, kGames * 10);
}
