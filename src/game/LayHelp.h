#pragma once
// Laying a tile without pixel hunting. With the help on, the tile a human
// holds over the table snaps to the legal drop nearest the pointer, when one
// lies within a cell: it is drawn there, legal, and a left click lays it
// there through the rules' usual checks. Right clicks turn it through the
// angles that fit at that place. Further from every legal drop, and with the
// help off, the tile follows the pointer exactly as it always did.

#include <vector>

#include "game/Drops.h"
#include "game/PlayLayout.h"
#include "game/Rules.h"

namespace game {

// How far from a drop's ring, in cells, the pointer still snaps to it.
constexpr float kLayHelpReach = 1.0f;

class LayHelp {
public:
    // Off until the settings turn it on (they do by default).
    int enabled = 0;

    // The drop shown for a pointer at the board point (bx, bz): the legal
    // drop of the selected tile whose spot's ring is nearest, if it is within
    // reach. Ties go to the drop at the placement angle, then to the lower
    // spot index, then to the next angle on from the placement angle. False
    // when the help is off, on the first move, with no tile selected or no
    // legal drop within reach.
    bool Find(Rules &rules, float bx, float bz, Drop *out);

    // The tile following the pointer: snapped to the drop found, else as
    // the rules show it.
    void Preview(Rules &rules, float bx, float bz);
    // Left click over the table: lays the selected tile at the drop shown,
    // else at the pointer as the rules do. Returns 1 when a tile was laid.
    int Lay(Rules &rules, float bx, float bz);
    // Right click over the table: the placement angle goes to the next angle,
    // after the one shown, that has a legal drop at the place shown; with no
    // drop within reach it turns by 90 degrees as always.
    void Turn(Rules &rules, float bx, float bz);

private:
    // Drops of the selected tile at the nearest ring within reach, best first.
    int NearestGroup(Rules &rules, float bx, float bz);

    std::vector<Drop> drops_;
    std::vector<Drop> group_;
};

}  // namespace game
