#pragma once
// Whole games without a display. SimpleSeat plays a human seat only through
// the operations the human's controls use (select a hand tile, turn it, drop
// it at a point, draw, pass), choosing at random among the drops the board
// accepts; PlayMatch runs frames of play against the computer until the game
// ends, the human seat is left with no legal action, or a turn limit passes.

#include <cstdint>

#include "game/Drops.h"
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

// Plays the human seat through the human's controls only.
class SeatPlayer {
public:
    enum Outcome { Laid, Drew, Passed, Stuck, Refused };

    virtual ~SeatPlayer() {}
    // One action for the human seat to move.
    virtual Outcome Act(Rules &rules) = 0;
};

class SimpleSeat : public SeatPlayer {
public:
    explicit SimpleSeat(uint64_t seed) : random_(seed) {}
    Outcome Act(Rules &rules) override;

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

// The computer's judgement at a level (0 as the computer seat plays by
// default, 1 the stronger one) playing the human seat through the human's
// controls, so two levels can be set against each other. One per game.
class ComputerSeat : public SeatPlayer {
public:
    ComputerSeat(int level, uint64_t seed) : level_(level), random_(seed) {}
    Outcome Act(Rules &rules) override;

    // Turns in which the level-0 judgement wanted to draw or pass although a
    // drop existed that it does not look for; the human's controls refuse
    // that, so the seat laid the first such drop instead.
    int forcedLays = 0;

private:
    int Decide(Rules &rules, int seat, CpuMove *move);
    Outcome LayMove(Rules &rules, const CpuMove &move);
    Outcome LayAnyDrop(Rules &rules);

    int level_;
    SeatRandom random_;
    ComputerNotes notes_;
    int runAcross_ = 0;
    int runAlong_ = 0;
    int drawsThisTurn_ = 0;
    std::vector<Candidate> candidates_;
    std::vector<Drop> drops_;
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
MatchResult PlayMatch(Rules &rules, SeatPlayer &seat, int maxTurns, MatchObserver *observer);

// Whether two laid tiles share interior area; touching edges do not count.
bool FootprintsOverlap(const Tile &p, const Tile &q);

}  // namespace game
