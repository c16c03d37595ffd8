#pragma once
// A rendered canvas cut into 256 x 256 tiles, each ready to become one
// texture, and where each tile goes when the picture is drawn scaled to a
// window. The textures themselves and the drawing are the engine's: for each
// tile the caller makes a texture of side kTileSide from `pixels` (opaque,
// clamped addressing) and draws the quads LayoutTiles gives.

#include <vector>

#include "image/Image.h"

namespace texteffects {

const int kTileSide = 256;

struct PictureTile {
    int column = 0, row = 0;
    Image image;  // kTileSide x kTileSide; outside the canvas (0, 0, 0, 255)
};

struct TiledPicture {
    int width = 0, height = 0;  // the canvas
    int columns = 0, rows = 0;
    std::vector<PictureTile> tiles;  // row by row
};

// Where one tile is drawn: a screen rectangle and the part of the tile's
// texture it shows, from (0, 0) to (u, v).
struct TileQuad {
    int tile = 0;  // index in TiledPicture::tiles
    float x = 0, y = 0, width = 0, height = 0;
    float u = 1, v = 1;
};

// Cuts `canvas` into ceil(w / 256) x ceil(h / 256) tiles. 0 for an empty canvas.
int MakeTiledPicture(const Image &canvas, TiledPicture *out);
// The quads that draw the picture scaled to a window of windowWidth x
// windowHeight; tiles reaching past the picture's right or bottom edge are
// cut there, texture coordinates included.
std::vector<TileQuad> LayoutTiles(const TiledPicture &picture, int windowWidth, int windowHeight);

}  // namespace texteffects
