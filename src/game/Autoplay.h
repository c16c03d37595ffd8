#pragma once
// Whole games without a display. SimpleSeat plays a human seat only through
// the operations the human's controls use (select a hand tile, turn it, drop
// it at a point, draw, pass), choosing at random among the drops the board
// accepts; PlayMatch runs frames of play against the computer until the game
// ends, the human seat is left with no legal action, or a turn limit passes.

#include <cstdint>

#include "game/Rules.h"

namespace game {

// A small deterministic generator, independent of the C library's, so the
// seat's choices do not disturb the deal.
class SeatRandom {
public:
    explicit SeatRandom(uint64_t seed) : state_(seed) {}
    uint32_t Next();
    int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint32_t>(n)); }
    float Between(float lo, float hi) {
        return lo + (hi - lo) * (Next() >> 8) * (1.0f / 16777216.0f);
    }

private:
    uint64_t state_;
};

class SimpleSeat {
public:
    enum Outcome { Laid, Drew, Passed, Stuck, Refused };

    explicit SimpleSeat(uint64_t seed) : random_(seed) {}
    // One action for the human seat to move.
    Outcome Act(Rules &rules);

private:
    struct Drop {
        int slot;
        float angle;
        float x, z;
    };
    void ListDrops(Rules &rules);

    SeatRandom random_;
    std::vector<Drop> drops_;
    std::vector<Spot> spots_;
};

struct MatchResult {
    int ended = 0;  // reached the game-over screen
    int winner = -1;
    int endCause = 0;
    int turns = 0;
    int stuck = 0;    // the human seat had no legal action
    int refused = 0;  // a drop the seat found legal was refused
    int frames = 0;
};

// Sees every frame of a match: the board as it was before the frame, and the rules after it.
class MatchObserver {
public:
    virtual ~MatchObserver() {}
    virtual void AfterFrame(const Board &before, const Rules &rules) = 0;
};

// Deals a new game (from the C library generator as it stands) and plays it:
// seat 0 by the given seat, seat 1 by the computer.
MatchResult PlayMatch(Rules &rules, SimpleSeat &seat, int maxTurns, MatchObserver *observer);

// Whether two laid tiles share interior area; touching edges do not count.
bool FootprintsOverlap(const Tile &p, const Tile &q);

}  // namespace game
