#pragma once
// One physical domino of the double-six set. The 28 records are created once
// and referenced by pointer everywhere else; shuffling swaps their values, so
// a <= b always holds.

#include <cstdint>

namespace game {

// Directions on the table, in (x, z): 0 -> (+1, 0), 90 -> (0, +1),
// 180 -> (-1, 0), 270 -> (0, -1). Index 0..3 for the four angles, -1 for any
// other value, so a corrupted angle never reads past a table.
int AngleIndex(float angle);
// Unit step of an angle; false (and a zero step) for an angle that is not one
// of the four.
bool AngleDir(float angle, float *dx, float *dz);
// Direction bit: 1 for 0, 2 for 90, 4 for 180, 8 for 270; 0 for anything else.
int AngleBit(float angle);
// (angle + degrees) mod 360 for the four table angles.
float TurnAngle(float angle, int degrees);

// Squared distance under which a point counts as "on" a half: closer than 0.35.
constexpr float kNearSquared = 0.1225f;

struct Tile {
    int32_t a = 0;
    int32_t b = 0;
    Tile *link1 = nullptr;
    Tile *link2 = nullptr;
    float angle = 0.0f;
    float x = 0.0f;  // centre of the a half
    float z = 0.0f;

    bool IsDouble() const { return a == b; }
    int Pips() const { return a + b; }
    int LinkCount() const { return (link1 ? 1 : 0) + (link2 ? 1 : 0); }
    bool Shows(int v) const { return a == v || b == v; }

    bool IsNearA(float px, float pz) const;
    bool IsNearB(float px, float pz) const;
    bool IsNearMiddle(float px, float pz) const;

    // Whether the footprint (the two unit squares of the halves) and the
    // rectangle [x0, x0 + w] x [z0, z0 + h] meet; touching edges count.
    bool Overlaps(float x0, float z0, float w, float h) const;
    // The footprint as a rectangle; false for an angle that is not one of the four.
    bool Footprint(float *x0, float *z0, float *x1, float *z1) const;

    // Records other as a neighbour; false when it shows no matching value or,
    // for a double, when both links are taken.
    bool Link(Tile *other);
};

}  // namespace game
