#pragma once
// Helpers shared by the rules tests: a host that records what the rules ask
// of the application, and ways to put tiles exactly where a test wants them.

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

#include "game/Rules.h"

struct RecordingHost : public game::RulesHost {
    std::vector<int> effects;
    std::vector<int> modes;
    int viewResets = 0;
    int timerResets = 0;
    int pauses = 0;

    void PlayEffect(int e) override { effects.push_back(e); }
    void SetMode(int m) override { modes.push_back(m); }
    void ResetView() override { ++viewResets; }
    void ResetFrameTimer() override { ++timerResets; }
    void PauseToMenu() override { ++pauses; }
    int LastEffect() const { return effects.empty() ? -1 : effects.back(); }
    int LastMode() const { return modes.empty() ? -1 : modes.back(); }
};

// Seat 0 human, seat 1 computer, every tile in the boneyard, empty board.
inline void ResetTable(game::Rules &r) {
    r.Setup();
    r.players[0].isComputer = 0;
    r.players[1].isComputer = 1;
    for (game::Player &p : r.players) {
        p.ClearHand();
        p.handPips = 0;
    }
    r.firstMove = 0;
    r.current = 0;
    r.selected = nullptr;
}

inline void TakeFromBoneyard(game::Rules &r, game::Tile *t) {
    r.boneyard.erase(std::remove(r.boneyard.begin(), r.boneyard.end(), t), r.boneyard.end());
}

// Gives the seat exactly these tiles, in this order, out of the boneyard.
inline void GiveHand(game::Rules &r, int seat, std::initializer_list<std::pair<int, int>> values) {
    game::Player &p = r.players[seat];
    for (game::Tile *t : p.hand) r.boneyard.push_back(t);
    p.ClearHand();
    for (const auto &v : values) {
        game::Tile *t = r.FindTile(v.first, v.second);
        TakeFromBoneyard(r, t);
        p.AddToHand(t);
    }
    p.handPips = p.SumPips();
}

// Lays a tile from the boneyard as the rules lay one (no legality test).
inline game::Tile *Lay(game::Rules &r, int a, int b, float x, float z, float angle) {
    game::Tile *t = r.FindTile(a, b);
    TakeFromBoneyard(r, t);
    t->angle = angle;
    r.board.Place(t, x, z);
    r.firstMove = 0;
    return t;
}
