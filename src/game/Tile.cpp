#include "game/Tile.h"

namespace game {

int AngleIndex(float angle) {
    if (angle == 0.0f) return 0;
    if (angle == 90.0f) return 1;
    if (angle == 180.0f) return 2;
    if (angle == 270.0f) return 3;
    return -1;
}

bool AngleDir(float angle, float *dx, float *dz) {
    static const float kDx[4] = {1.0f, 0.0f, -1.0f, 0.0f};
    static const float kDz[4] = {0.0f, 1.0f, 0.0f, -1.0f};
    int i = AngleIndex(angle);
    *dx = i < 0 ? 0.0f : kDx[i];
    *dz = i < 0 ? 0.0f : kDz[i];
    return i >= 0;
}

int AngleBit(float angle) {
    int i = AngleIndex(angle);
    return i < 0 ? 0 : 1 << i;
}

float TurnAngle(float angle, int degrees) {
    // Through the index, so that a corrupt angle (even NaN) turns from 0
    // instead of going through an undefined float-to-int conversion.
    int i = AngleIndex(angle);
    int deg = ((i < 0 ? 0 : i * 90) + degrees % 360 + 360) % 360;
    return static_cast<float>(deg);
}

static bool Near(float cx, float cz, float px, float pz) {
    float dx = px - cx;
    float dz = pz - cz;
    return dx * dx + dz * dz < kNearSquared;
}

bool Tile::IsNearA(float px, float pz) const {
    return Near(x, z, px, pz);
}

bool Tile::IsNearB(float px, float pz) const {
    float dx, dz;
    if (!AngleDir(angle, &dx, &dz)) return false;
    return Near(x + dx, z + dz, px, pz);
}

bool Tile::IsNearMiddle(float px, float pz) const {
    float dx, dz;
    if (!AngleDir(angle, &dx, &dz)) return false;
    return Near(x + dx * 0.5f, z + dz * 0.5f, px, pz);
}

bool Tile::Footprint(float *x0, float *z0, float *x1, float *z1) const {
    switch (AngleIndex(angle)) {
        case 0:
            *x0 = x - 0.5f;
            *x1 = x + 1.5f;
            *z0 = z - 0.5f;
            *z1 = z + 0.5f;
            return true;
        case 1:
            *x0 = x - 0.5f;
            *x1 = x + 0.5f;
            *z0 = z - 0.5f;
            *z1 = z + 1.5f;
            return true;
        case 2:
            *x0 = x - 1.5f;
            *x1 = x + 0.5f;
            *z0 = z - 0.5f;
            *z1 = z + 0.5f;
            return true;
        case 3:
            *x0 = x - 0.5f;
            *x1 = x + 0.5f;
            *z0 = z - 1.5f;
            *z1 = z + 0.5f;
            return true;
        default:
            return false;
    }
}

bool Tile::Overlaps(float rx, float rz, float w, float h) const {
    float x0, z0, x1, z1;
    if (!Footprint(&x0, &z0, &x1, &z1)) return false;
    return x0 <= rx + w && rx <= x1 && z0 <= rz + h && rz <= z1;
}

bool Tile::Link(Tile *other) {
    if (!other) return false;
    if (!IsDouble()) {
        if (other->Shows(a)) {
            link1 = other;
        } else if (other->Shows(b)) {
            link2 = other;
        } else {
            return false;
        }
        return true;
    }
    if (!other->Shows(a)) return false;
    if (!link1) {
        link1 = other;
    } else if (!link2) {
        link2 = other;
    } else {
        return false;
    }
    return true;
}

}  // namespace game
