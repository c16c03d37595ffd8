// The computer's single strength: list every legal way to lay each tile,
// prefer the one leaving an end that matches most of its own tiles, else draw
// or pass by a small fixed policy.

#include <cstdlib>

#include "game/Rules.h"

namespace game {

int Rules::Decide() {
    cpuPending = 1;
    cpuDelay = kCpuDelay;
    if (!ValidSeat(current)) return ActionPass;

    int n = 0;
    for (const Tile *t : players[current].hand) n += board.FindSpots(t, &scratchSpots_);
    moveCount[current] = n;

    if (firstMove) return OpeningMove();
    if (level >= 1) {
        int action = DecideLevel1(*this, current, &notes[current], &cpuMove);
        if (action == ActionLay) {
            cpuMove.tile->x = cpuMove.x;
            cpuMove.tile->z = cpuMove.z;
            cpuMove.tile->angle = cpuMove.angle;
            CountRuns(cpuMove.angle);
        }
        return action;
    }

    int count = CollectCandidates(current, &scratchCandidates_);
    if (count > 0) {
        const Candidate *best = &scratchCandidates_[0];
        for (const Candidate &c : scratchCandidates_) {
            if (c.score > best->score) best = &c;
        }
        cpuMove.tile = best->tile;
        cpuMove.x = best->x;
        cpuMove.z = best->z;
        cpuMove.angle = best->angle;
        best->tile->x = best->x;
        best->tile->z = best->z;
        best->tile->angle = best->angle;
        CountRuns(best->angle);
        return ActionLay;
    }

    // Nothing to lay. Seat 1 is the computer's seat in every game the menus
    // start, so the policy compares the seats by number.
    int held = players[1].HandSize();
    if (held < kMaxHand && players[0].HandSize() + 2 > held && drawsThisTurn < 2) {
        return boneyard.empty() ? ActionPass : ActionDraw;
    }
    return ActionPass;
}

int Rules::OpeningMove() {
    Tile *t = startTile;
    if (!t) return ActionPass;
    t->angle = static_cast<float>((rand() % 4) * 90);
    t->x = 15.0f;
    t->z = 15.0f;
    cpuMove.tile = t;
    cpuMove.x = t->x;
    cpuMove.z = t->z;
    cpuMove.angle = t->angle;
    firstMove = 0;
    CountRuns(t->angle);
    return ActionLay;
}

// The angle and the a-half position that put the tile's matching half on the
// spot, continuing the line of the tile that offers it. False when the tile
// shares no value with that tile.
static bool NaturalPlacement(const Tile &t, const Spot &s, float *angle, float *x, float *z) {
    const Tile *n = s.tile;
    if (!n) return false;
    bool bOnSpot;
    if (t.IsDouble()) {
        *angle = TurnAngle(n->angle, 90);  // across the line
        float dx, dz;
        AngleDir(*angle, &dx, &dz);
        *x = s.x - dx * 0.5f;
        *z = s.z - dz * 0.5f;
        return true;
    }
    if (n->a == t.b) {
        *angle = n->angle;
        bOnSpot = true;
    } else if (n->a == t.a) {
        *angle = TurnAngle(n->angle, 180);
        bOnSpot = false;
    } else if (n->b == t.a) {
        *angle = n->angle;
        bOnSpot = false;
    } else if (n->b == t.b) {
        *angle = TurnAngle(n->angle, 180);
        bOnSpot = true;
    } else {
        return false;
    }
    float dx = 0.0f, dz = 0.0f;
    if (bOnSpot) AngleDir(*angle, &dx, &dz);
    *x = s.x - dx;
    *z = s.z - dz;
    return true;
}

int Rules::CollectCandidates(int seat, std::vector<Candidate> *out) {
    out->clear();
    if (!ValidSeat(seat)) return 0;
    Player &p = players[seat];
    for (Tile *t : p.hand) {
        const Tile saved = *t;
        board.FindSpots(t, &scratchSpots_);
        for (const Spot &s : scratchSpots_) {
            float angle, x, z;
            if (!NaturalPlacement(*t, s, &angle, &x, &z)) continue;
            // After two moves along one axis the third turns, so that the
            // computer's part of the line snakes instead of running off.
            if (runAcross >= 2 && (angle == 0.0f || angle == 180.0f)) {
                angle = TurnAngle(angle, 90);
            } else if (runAlong >= 2) {
                if (angle == 90.0f)
                    angle = 180.0f;
                else if (angle == 270.0f)
                    angle = 0.0f;
            }
            // The first angle that fits is taken alone; when it does not, every
            // other angle that fits at the same point is a candidate.
            int tries = 4;
            for (int k = 0; k < tries; ++k) {
                t->angle = angle;
                if (board.CanPlace(t, x, z)) {
                    Candidate c;
                    c.x = x;
                    c.z = z;
                    c.angle = angle;
                    c.value = s.value;
                    c.tile = t;
                    out->push_back(c);
                    if (k == 0) tries = 1;
                }
                angle = TurnAngle(angle, 90);
            }
        }
        t->x = saved.x;
        t->z = saved.z;
        t->angle = saved.angle;
    }
    for (Candidate &c : *out) {
        int open = c.value == c.tile->a ? c.tile->b : c.tile->a;
        c.score = p.CountWithValue(open);
    }
    return static_cast<int>(out->size());
}

}  // namespace game
