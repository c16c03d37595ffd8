#pragma once
// The two coordinate conventions of the engine that OpenGL does not share,
// converted here and nowhere else:
//  - clip space: the engine's projections give depth z/w in [0, 1], OpenGL
//    expects [-1, 1];
//  - window-pixel vertices: x to the right, y pointing down from the top-left
//    corner, depth z in [0, 1]; OpenGL counts y upwards from the bottom.
// Matrices are row-vector (a point is a row vector on the left, translation in
// the fourth row); such a matrix, stored row by row, is exactly the column-major
// array OpenGL expects, so no transposition is needed.

#include <string>

#include "device/Types.h"

namespace device {

// Projection for OpenGL from an engine projection: z' = 2z - w.
void ProjectionToGl(const float engine[16], float gl[16]);

// Projection that maps window-pixel vertices (x, y, z) of a target of the given
// size to OpenGL clip space, so they land on the same pixels and depth.
void WindowPixelProjection(int targetWidth, int targetHeight, float gl[16]);

// Culling: the engine names the winding of the triangles to remove as they
// look on screen. Returns false when nothing is culled; otherwise
// *cullGlFront tells whether OpenGL must cull its front faces (with its
// default counter-clockwise front) or its back faces.
bool CullToGl(int cullMode, bool *cullGlFront);

// The OpenGL viewport rectangle (origin bottom-left) of an engine viewport
// (origin top-left) on a target of the given height.
void ViewportToGl(const Viewport &viewport, int targetHeight, int *x, int *y);

// Lowers the reported capabilities to the features named in `list` (a subset of
// "multitexture,dot3,ps14", separated by commas or blanks). Unknown names are
// appended to *unknown (comma-separated) and otherwise ignored.
void LowerCaps(const char *list, Caps *caps, std::string *unknown);

}  // namespace device
