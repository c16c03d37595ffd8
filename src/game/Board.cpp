#include "game/Board.h"

#include <algorithm>

namespace game {

void Board::SetSize(int w, int h) {
    width = w;
    height = h;
    spots.clear();
}

void Board::Clear() {
    placed.clear();
    spots.clear();
}

bool Board::IsFree(float x0, float z0, float w, float h) const {
    for (const Tile *t : placed) {
        if (t->Overlaps(x0, z0, w, h)) return false;
    }
    return true;
}

bool Board::IsCellFree(float x, float z) const {
    return IsFree(x - 0.4f, z - 0.4f, 0.8f, 0.8f);
}

void Board::AddSpot(float x, float z, Tile *tile, int value, int mask) {
    if (!IsCellFree(x, z)) return;
    Spot s;
    s.x = x;
    s.z = z;
    s.tile = tile;
    s.value = value;
    s.mask = mask;
    spots.push_back(s);
}

int Board::FreeNeighbours(const Spot &s) const {
    return IsCellFree(s.x + 1.0f, s.z) + IsCellFree(s.x - 1.0f, s.z) + IsCellFree(s.x, s.z + 1.0f) +
           IsCellFree(s.x, s.z - 1.0f);
}

int Board::FindSpots(const Tile *tile, std::vector<Spot> *out) const {
    out->clear();
    for (const Spot &s : spots) {
        if (s.value == tile->a || s.value == tile->b) out->push_back(s);
    }
    return static_cast<int>(out->size());
}

int Board::AttachKindAt(const Tile &t, const Spot &s) {
    if (!t.IsDouble()) {
        if (t.a == s.value) return t.IsNearA(s.x, s.z) ? AttachA : AttachNone;
        if (t.b == s.value) return t.IsNearB(s.x, s.z) ? AttachB : AttachNone;
        return AttachNone;
    }
    if (t.a != s.value) return AttachNone;
    // Tested in this order; the last test that holds decides.
    int kind = AttachNone;
    if (t.IsNearA(s.x, s.z)) kind = AttachA;
    if (t.IsNearB(s.x, s.z)) kind = AttachB;
    if (t.IsNearMiddle(s.x, s.z)) kind = AttachAcross;
    return kind;
}

void Board::AttachPosition(const Tile &t, const Spot &s, int kind, float *px, float *pz) {
    float dx, dz;
    AngleDir(t.angle, &dx, &dz);
    float k = kind == AttachB ? 1.0f : kind == AttachAcross ? 0.5f : 0.0f;
    *px = s.x - dx * k;
    *pz = s.z - dz * k;
}

namespace {

struct Rect {
    float x, z, w, h;
};

// Room the tile itself needs, relative to the a half, per angle.
const Rect kBody[4] = {
    {-0.4f, -0.4f, 1.8f, 0.8f},
    {-0.4f, -0.4f, 0.8f, 1.8f},
    {-1.4f, -0.4f, 1.8f, 0.8f},
    {-0.4f, -1.4f, 0.8f, 1.8f},
};

// Thin strips around the far half that must stay empty, so that the end the
// tile leaves open can still be played; [angle][kind - 1][strip].
const Rect kClearance[4][2][3] = {
    {{{1.5f, -0.4f, 0.25f, 0.8f}, {0.6f, -0.75f, 0.8f, 0.25f}, {0.6f, 0.5f, 0.8f, 0.25f}},
     {{-0.75f, -0.4f, 0.25f, 0.8f}, {-0.4f, -0.75f, 0.8f, 0.25f}, {-0.4f, 0.5f, 0.8f, 0.25f}}},
    {{{-0.4f, 1.5f, 0.8f, 0.25f}, {-0.75f, 0.6f, 0.25f, 0.8f}, {0.5f, 0.6f, 0.25f, 0.8f}},
     {{-0.4f, -0.75f, 0.8f, 0.25f}, {-0.75f, -0.4f, 0.25f, 0.8f}, {0.5f, -0.4f, 0.25f, 0.8f}}},
    {{{-1.75f, -0.4f, 0.25f, 0.8f}, {-1.4f, -0.75f, 0.8f, 0.25f}, {-1.4f, 0.5f, 0.8f, 0.25f}},
     {{0.5f, -0.4f, 0.25f, 0.8f}, {-0.4f, -0.75f, 0.8f, 0.25f}, {-0.4f, 0.5f, 0.8f, 0.25f}}},
    {{{-0.4f, -1.75f, 0.8f, 0.25f}, {-0.75f, -1.4f, 0.25f, 0.8f}, {0.5f, -1.4f, 0.25f, 0.8f}},
     {{-0.4f, 0.5f, 0.8f, 0.25f}, {-0.75f, -0.4f, 0.25f, 0.8f}, {0.5f, -0.4f, 0.25f, 0.8f}}},
};

}  // namespace

bool Board::PassesGeometry(const Tile &t, const Spot &s, int kind) const {
    int ai = AngleIndex(t.angle);
    if (ai < 0) return false;
    float px, pz;
    AttachPosition(t, s, kind, &px, &pz);
    const Rect &body = kBody[ai];
    if (!IsFree(px + body.x, pz + body.z, body.w, body.h)) return false;
    if (!t.IsDouble()) {
        // The tile runs away from the spot: along its angle when its a half is
        // on the spot, the other way when its b half is.
        float away = kind == AttachA ? t.angle : TurnAngle(t.angle, 180);
        if (!(s.mask & AngleBit(away))) return false;
    }
    if (kind == AttachA || kind == AttachB) {
        for (const Rect &r : kClearance[ai][kind - 1]) {
            if (!IsFree(px + r.x, pz + r.z, r.w, r.h)) return false;
        }
    }
    return true;
}

int Board::CanPlace(Tile *tile, float x, float z) const {
    tile->x = x;
    tile->z = z;
    for (const Spot &s : spots) {
        int kind = AttachKindAt(*tile, s);
        if (kind != AttachNone && PassesGeometry(*tile, s, kind)) return kind;
    }
    return AttachNone;
}

void Board::Place(Tile *tile, float x, float z) {
    tile->x = x;
    tile->z = z;
    placed.push_back(tile);

    Tile *neighbour = nullptr;
    int joined = -1;
    for (const Spot &s : spots) {
        int kind = AttachKindAt(*tile, s);
        if (kind == AttachNone) continue;
        AttachPosition(*tile, s, kind, &tile->x, &tile->z);
        neighbour = s.tile;
        joined = s.value;
        break;
    }
    if (neighbour) {
        tile->Link(neighbour);
        neighbour->Link(tile);
    }
    MakeSpots(tile, joined);
    PruneSpots(neighbour, joined);
}

namespace {

struct NewSpot {
    float dx, dz;
    int mask;
};

// New spots relative to the tile's a half, per angle: the a end, the b end, a double.
const NewSpot kEndA[4][3] = {
    {{-1, 0, 14}, {0, -1, 12}, {0, 1, 6}},
    {{0, -1, 13}, {-1, 0, 12}, {1, 0, 9}},
    {{1, 0, 11}, {0, -1, 9}, {0, 1, 3}},
    {{0, 1, 7}, {-1, 0, 6}, {1, 0, 3}},
};
const NewSpot kEndB[4][3] = {
    {{2, 0, 11}, {1, -1, 9}, {1, 1, 3}},
    {{0, 2, 7}, {-1, 1, 6}, {1, 1, 3}},
    {{-2, 0, 14}, {-1, -1, 12}, {-1, 1, 6}},
    {{0, -2, 13}, {-1, -1, 12}, {1, -1, 9}},
};
const NewSpot kDouble[4][4] = {
    {{-1, 0, 14}, {2, 0, 11}, {0.5f, -1, 8}, {0.5f, 1, 2}},
    {{0, -1, 13}, {0, 2, 7}, {1, 0.5f, 1}, {-1, 0.5f, 4}},
    {{1, 0, 11}, {-2, 0, 14}, {-0.5f, -1, 8}, {-0.5f, 1, 2}},
    {{0, 1, 7}, {0, -2, 13}, {1, -0.5f, 1}, {-1, -0.5f, 4}},
};

}  // namespace

void Board::MakeSpots(Tile *t, int joined) {
    int ai = AngleIndex(t->angle);
    if (ai < 0) return;
    if (t->IsDouble()) {
        for (const NewSpot &n : kDouble[ai]) AddSpot(t->x + n.dx, t->z + n.dz, t, t->a, n.mask);
        return;
    }
    // The half that joined the neighbour offers nothing.
    if (t->a != joined) {
        for (const NewSpot &n : kEndA[ai]) AddSpot(t->x + n.dx, t->z + n.dz, t, t->a, n.mask);
    }
    if (t->b != joined) {
        for (const NewSpot &n : kEndB[ai]) AddSpot(t->x + n.dx, t->z + n.dz, t, t->b, n.mask);
    }
}

void Board::PruneSpots(const Tile *neighbour, int joined) {
    std::vector<Spot> kept;
    kept.reserve(spots.size());
    for (const Spot &s : spots) {
        bool keep;
        if (neighbour && s.tile == neighbour && s.value == joined) {
            // The end just played on is used up, except a double, which still
            // offers its other sides until its second neighbour arrives.
            keep = neighbour->IsDouble() && neighbour->LinkCount() < 2 && IsCellFree(s.x, s.z);
        } else {
            keep = IsCellFree(s.x, s.z) && FreeNeighbours(s) >= 3;
        }
        if (keep) kept.push_back(s);
    }
    spots.swap(kept);
}

}  // namespace game
