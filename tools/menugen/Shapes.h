// The menus' meshes: bevelled slabs with rounded corners, a flat backdrop
// panel and a domino, all facing +z (toward the menu camera). The front face
// of every slab lies at z = -0.5, so a caption drawn in the plane z = 0 (or at
// the front depth, which the GUI takes as the largest z + 0.5) floats just in
// front of it and is never hidden by the face itself.
#pragma once

#include "../modelgen/Model.h"

struct SlabSize {
    float width, height;  // outer size in menu units (one unit is one pixel at 800 x 600)
    float depth;          // front to back
    float radius;         // corner radius of the outline
    float bevel;          // width and depth of the chamfer around the front face
};

// Texture coordinates of a slab: the front face spans the whole picture, the
// chamfer and the sides take the picture's outer border.
Part MakeSlab(const char *name, const char *material, const SlabSize &size);
// A flat rectangle, subdivided so a point light falls off smoothly across it.
Part MakePanel(const char *name, const char *material, float width, float height, float z,
               int columns, int rows);
