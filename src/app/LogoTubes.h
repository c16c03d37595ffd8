#pragma once
// The opening logo's geometry: its outlines read from a table of 3D points
// and every outline swept into a tube. Nothing here needs a display, so the
// mesh can be checked without one.
//
// Outline table: x, y, z per point. A point whose z is below -0.5 ends the
// current outline; two such points in a row end the table.

#include <cstddef>
#include <cstdint>
#include <vector>

struct LogoPoint {
    float x, y, z;
};

// Reads at most `count` floats (whole points only), so a table that lacks
// its final end marks stops at its last point instead of running on.
// Outlines of fewer than two distinct points are dropped.
std::vector<std::vector<LogoPoint>> ReadLogoOutlines(const float *table, size_t count);

// Position, normal, texture coordinates: the vertex format of the logo's
// shader scripts (32 bytes).
struct LogoVertex {
    float position[3];
    float normal[3];
    float uv[2];
};

struct LogoMesh {
    static constexpr int kParts = 3;
    std::vector<LogoVertex> vertices;
    std::vector<uint16_t> indices;  // triangle list
    // Triangles of part i are [partFirst[i], partFirst[i + 1]).
    int partFirst[kParts + 1] = {0, 0, 0, 0};

    int TriangleCount() const { return static_cast<int>(indices.size() / 3); }
};

struct TubeShape {
    static constexpr int kSides = 8;
    float radius = 0.05f;
    // A corner turning further than this many degrees is not mitred (the
    // mitre would grow without bound): the outline is cut there into two
    // tubes, each closed by its cap.
    float maxMitreTurn = 100.0f;
};

// Sweeps one outline into `mesh`. An outline whose last point is its first
// is a closed loop (no caps); an open one gets a flat cap at each end.
// Returns false, adding nothing, when the mesh would need more vertices than
// 16-bit indices can address.
bool AddLogoTube(const std::vector<LogoPoint> &outline, const TubeShape &shape, LogoMesh *mesh);

// The whole logo: the outlines of the table swept into tubes, outline
// `firstOfPart[i]` starting part i (ascending; part 0 starts at outline 0).
bool BuildLogoMesh(const float *table, size_t count, const int firstOfPart[LogoMesh::kParts],
                   LogoMesh *mesh);
