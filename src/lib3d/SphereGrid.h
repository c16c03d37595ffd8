#pragma once
// Triangles of a sphere made as a grid of (rings + 1) × (segments + 1)
// vertices, row by row from pole to pole. The poles and the seam repeat
// positions; they are welded so that the surface is closed (a shadow volume
// extruded from it is closed too), and the triangles that collapse at the
// poles are dropped.

#include <cstdint>
#include <vector>

namespace lib3d {

// `xyz` holds three floats per grid vertex, in grid order.
std::vector<uint16_t> SphereGridIndices(const std::vector<float> &xyz, int rings, int segments);

}  // namespace lib3d
