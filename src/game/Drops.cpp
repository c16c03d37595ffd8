#include "game/Drops.h"

namespace game {

int ListDrops(const Board &board, Tile *tile, std::vector<Drop> *out) {
    out->clear();
    const Tile saved = *tile;
    const int spotCount = static_cast<int>(board.spots.size());
    for (int i = 0; i < spotCount; ++i) {
        const Spot &s = board.spots[i];
        if (!tile->Shows(s.value)) continue;
        for (int k = 0; k < 4; ++k) {
            tile->angle = static_cast<float>(90 * k);
            float dx, dz;
            AngleDir(tile->angle, &dx, &dz);
            // The a half on the spot, one step back the b half, half a step
            // back the middle of a double.
            const float points[3][2] = {
                {s.x, s.z}, {s.x - dx, s.z - dz}, {s.x - dx * 0.5f, s.z - dz * 0.5f}};
            const int tries = tile->IsDouble() ? 3 : 2;
            for (int p = 0; p < tries; ++p) {
                int kind = board.CanPlace(tile, points[p][0], points[p][1]);
                if (!kind) continue;
                Drop d;
                d.x = points[p][0];
                d.z = points[p][1];
                d.angle = tile->angle;
                d.spot = i;
                d.kind = kind;
                out->push_back(d);
            }
        }
    }
    tile->x = saved.x;
    tile->z = saved.z;
    tile->angle = saved.angle;
    return static_cast<int>(out->size());
}

}  // namespace game
