#pragma once
// The stronger computer (level 1). It weighs every legal drop of every tile
// in its hand, each placed as the geometry allows rather than only where the
// line of the tile it joins points, and judges them as a dominoes player
// would: rid the hand of heavy tiles and doubles, keep its values varied,
// keep ends it can follow, and leave ends the opponent is unlikely to answer,
// counting the values the opponent showed it lacks (it drew or passed on
// them). It never looks at the opponent's hand or the boneyard's order. When
// it cannot lay it draws or passes by the same rule as the computer always
// did; it never draws or passes while it could lay.

#include <cstdint>

namespace game {

class Rules;
struct CpuMove;

// What the stronger computer has seen of the opponent in the current game.
// Plain values: a new game clears them.
struct ComputerNotes {
    int32_t lacks = 0;          // bit v: the opponent showed it has no v to play
    int32_t openAfter = 0;      // bit v: v was open when this seat last ended its turn
    int32_t placed = -1;        // tiles on the table then (-1: nothing seen yet)
    int32_t boneyard = 0;       // tiles in the boneyard then
    int32_t drawsThisTurn = 0;  // this seat's draws since it last laid or passed
};

// How much each consideration weighs; the defaults are the tuned ones.
struct Level1Weights {
    float pips = 0.5f;      // per pip of the tile laid
    float isDouble = 5.0f;  // laying a double
    float variety = 1.5f;   // per distinct value left in hand
    float follow = 2.0f;    // per own tile (up to 4) that matches an end left open
    float block = 30.0f;    // times the chance the opponent cannot answer
};

// One decision for the seat: ActionLay (with *move filled), ActionDraw or
// ActionPass. Updates the notes from what the opponent did since this
// seat's last decision. Not for the first move of a game.
int DecideLevel1(Rules &rules, int seat, ComputerNotes *notes, CpuMove *move,
                 const Level1Weights &weights = Level1Weights());

// The values open on the board, as bits (bit v for value v).
int32_t OpenValues(const Rules &rules);

}  // namespace game
