#include "game/Autoplay.h"

namespace game {

uint32_t SeatRandom::Next() {
    // splitmix64
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
}

void SimpleSeat::ListDrops(Rules &rules) {
    drops_.clear();
    const Player &p = rules.players[rules.current];
    for (int slot = 0; slot < p.HandSize(); ++slot) {
        Tile *t = p.hand[slot];
        const Tile saved = *t;
        rules.board.FindSpots(t, &spots_);
        for (const Spot &s : spots_) {
            for (int k = 0; k < 4; ++k) {
                t->angle = static_cast<float>(90 * k);
                float dx, dz;
                AngleDir(t->angle, &dx, &dz);
                // The pointer on the spot puts the a half there; one step back
                // the b half; half a step back the middle of a double.
                const float points[3][2] = {
                    {s.x, s.z}, {s.x - dx, s.z - dz}, {s.x - dx * 0.5f, s.z - dz * 0.5f}};
                for (const auto &pt : points) {
                    if (rules.board.CanPlace(t, pt[0], pt[1])) {
                        drops_.push_back(Drop{slot, t->angle, pt[0], pt[1]});
                    }
                }
            }
        }
        t->x = saved.x;
        t->z = saved.z;
        t->angle = saved.angle;
    }
}

SimpleSeat::Outcome SimpleSeat::Act(Rules &rules) {
    if (rules.firstMove) {
        // Only the starting tile, already selected, may open; anywhere on the table.
        for (int turns = random_.Below(4); turns > 0; --turns) rules.RotatePlacement();
        float x = random_.Between(12.0f, 18.0f);
        float z = random_.Between(12.0f, 18.0f);
        return rules.DropSelected(x, z) ? Laid : Refused;
    }
    ListDrops(rules);
    if (!drops_.empty()) {
        const Drop &d = drops_[random_.Below(static_cast<int>(drops_.size()))];
        if (!rules.SelectSlot(d.slot)) return Refused;
        for (int n = 0; n < 4 && rules.placementAngle != d.angle; ++n) rules.RotatePlacement();
        return rules.DropSelected(d.x, d.z) ? Laid : Refused;
    }
    if (rules.TakeFromBoneyard()) return Drew;
    if (rules.Pass()) return Passed;
    return Stuck;
}

namespace {

// Tells the match when the game is over.
class MatchHost : public RulesHost {
public:
    void GameEnded() override { over = true; }
    bool over = false;
};

}  // namespace

MatchResult PlayMatch(Rules &rules, SimpleSeat &seat, int maxTurns, MatchObserver *observer) {
    MatchHost host;
    RulesHost *previous = rules.Host();
    rules.SetHost(&host);
    rules.players[0].isComputer = 0;
    rules.players[1].isComputer = 1;
    rules.NewGame();

    MatchResult r;
    Board before;
    // Two frames per computer action: it decides in one frame and acts in the
    // next, so a human action and a computer action never share a frame, as
    // at any real frame rate.
    const float step = 25.0f;
    const int maxFrames = maxTurns * 64 + 64;
    while (!host.over && r.turns <= maxTurns && r.frames < maxFrames) {
        if (observer) before = rules.board;
        rules.BeginFrame();
        if (rules.HumanToMove()) {
            SimpleSeat::Outcome o = seat.Act(rules);
            if (o == SimpleSeat::Refused) r.refused += 1;
            if (o == SimpleSeat::Stuck || o == SimpleSeat::Refused) {
                r.stuck += o == SimpleSeat::Stuck;
                break;
            }
        }
        rules.ComputerUpdate(step);
        int over = rules.CheckEnd();
        r.turns += rules.turnEnded;
        r.frames += 1;
        if (observer) observer->AfterFrame(before, rules);
        if (over) {
            r.ended = 1;
            r.winner = rules.current;
            r.endCause = rules.endCause;
        }
    }
    rules.SetHost(previous);
    return r;
}

bool FootprintsOverlap(const Tile &p, const Tile &q) {
    float px0, pz0, px1, pz1, qx0, qz0, qx1, qz1;
    if (!p.Footprint(&px0, &pz0, &px1, &pz1) || !q.Footprint(&qx0, &qz0, &qx1, &qz1)) return false;
    // A little tolerance so tiles that only touch, after float steps, do not count.
    const float e = 1e-3f;
    return px0 + e < qx1 && qx0 + e < px1 && pz0 + e < qz1 && qz0 + e < pz1;
}

}  // namespace game
