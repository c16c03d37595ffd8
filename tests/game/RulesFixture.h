#pragma once
// Helpers shared by the rules tests: a host that records what the rules ask
// of the application, and ways to put tiles exactly where a test wants them.

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

#include "game/Rules.h"

// What the rules reported to the application, in order.
enum Report { ReportStarted, ReportEnded, ReportLeave };

struct RecordingHost : public game::RulesHost {
    std::vector<int> effects;
    std::vector<int> reports;
    int viewResets = 0;
    int timerResets = 0;
    int pauses = 0;

    void PlaySound(game::Sound s) override { effects.push_back(s); }
    void GameStarted() override { reports.push_back(ReportStarted); }
    void GameEnded() override { reports.push_back(ReportEnded); }
    void LeaveRequested() override {
        reports.push_back(ReportLeave);
        ++pauses;
    }
    void ResetView() override { ++viewResets; }
    void ResetFrameTimer() override { ++timerResets; }
    int LastEffect() const { return effects.empty() ? -1 : effects.back(); }
    int LastReport() const { return reports.empty() ? -1 : reports.back(); }
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
