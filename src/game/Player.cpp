#include "game/Player.h"

#include <algorithm>

namespace game {

void Player::RemoveFromHand(const Tile *tile) {
    hand.erase(std::remove(hand.begin(), hand.end(), tile), hand.end());
}

Tile *Player::Find(int a, int b) const {
    for (Tile *t : hand) {
        if ((t->a == a && t->b == b) || (t->a == b && t->b == a)) return t;
    }
    return nullptr;
}

Tile *Player::HandTileAt(int i) const {
    if (i < 0 || i >= HandSize()) return nullptr;
    return hand[i];
}

int Player::CountWithValue(int v) const {
    int n = 0;
    for (const Tile *t : hand) n += t->Shows(v) ? 1 : 0;
    return n;
}

int Player::SumPips() const {
    int sum = 0;
    for (const Tile *t : hand) sum += t->Pips();
    return sum;
}

}  // namespace game
