#pragma once
// The layout on the table: the tiles laid so far and the open spots where the
// next tile may attach. The line of play bends: every open end offers the
// cell straight ahead and the cells beside it, each spot carrying the
// directions an attaching tile may run in, and the geometric tests below keep
// tiles from crowding each other.

#include <cstdint>
#include <vector>

#include "game/Tile.h"

namespace game {

struct Spot {
    float x = 0.0f;  // cell where the attaching tile's matching half goes
    float z = 0.0f;
    Tile *tile = nullptr;  // the tile whose open end offers the spot
    int32_t value = 0;     // pips the attaching half must show
    int32_t mask = 0;      // direction bits an attaching non-double may run in
};

// How a tile meets a spot.
enum AttachKind { AttachNone = 0, AttachA = 1, AttachB = 2, AttachAcross = 3 };

class Board {
public:
    int32_t width = 32;
    int32_t height = 32;
    std::vector<Tile *> placed;
    std::vector<Spot> spots;

    void SetSize(int w, int h);
    void Clear();

    bool IsFree(float x0, float z0, float w, float h) const;
    bool IsCellFree(float x, float z) const;
    void AddSpot(float x, float z, Tile *tile, int value, int mask);
    int FreeNeighbours(const Spot &spot) const;
    int FindSpots(const Tile *tile, std::vector<Spot> *out) const;

    // The kind of attachment (0 when none) of the tile, with its angle, at
    // (x, z); sets the tile's position to (x, z).
    int CanPlace(Tile *tile, float x, float z) const;
    // Lays the tile (its angle already set), links it and updates the spots.
    void Place(Tile *tile, float x, float z);

    // How the tile, at its current position and angle, meets the spot by
    // value and distance only, and where its a half then lies.
    static int AttachKindAt(const Tile &tile, const Spot &spot);
    static void AttachPosition(const Tile &tile, const Spot &spot, int kind, float *px, float *pz);

private:
    bool PassesGeometry(const Tile &tile, const Spot &spot, int kind) const;
    void MakeSpots(Tile *tile, int joinedValue);
    void PruneSpots(const Tile *neighbour, int joinedValue);
};

}  // namespace game
