#pragma once
// Every way a tile can be laid on the board as it stands: at each spot that
// matches one of its values, at each of the four angles, with its a half,
// its b half or (a double) its middle on the spot. The lay help and the
// stronger computer both choose among these.

#include <vector>

#include "game/Board.h"

namespace game {

struct Drop {
    float x = 0.0f;  // where the a half goes: the point the board accepts the tile at
    float z = 0.0f;
    float angle = 0.0f;
    int spot = 0;  // index in the board's spot list of the spot it was found from
    int kind = AttachNone;
};

// Appends to `out` (emptied first) every drop of the tile that CanPlace
// accepts, in spot order, then angle order (0, 90, 180, 270), then a half,
// b half, middle. The tile's position and angle are left as they were.
// Returns the number of drops.
int ListDrops(const Board &board, Tile *tile, std::vector<Drop> *out);

}  // namespace game
