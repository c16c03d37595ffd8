#pragma once
// A seat at the table: its name, whether the computer plays it, and its hand
// in the order the tiles were received (the computer breaks ties by that order).

#include <cstdint>
#include <vector>

#include "game/Tile.h"

namespace game {

struct Player {
    uint16_t name[64] = {};  // UTF-16, zero-terminated
    int32_t isComputer = 0;
    std::vector<Tile *> hand;
    int32_t handPips = 0;

    void AddToHand(Tile *tile) { hand.push_back(tile); }
    void RemoveFromHand(const Tile *tile);
    void ClearHand() { hand.clear(); }
    Tile *Find(int a, int b) const;
    Tile *HandTileAt(int i) const;
    int CountWithValue(int v) const;
    int HandSize() const { return static_cast<int>(hand.size()); }
    // Sum of the pips actually in the hand (handPips is kept incrementally).
    int SumPips() const;
};

}  // namespace game
