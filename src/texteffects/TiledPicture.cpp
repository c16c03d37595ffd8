#include "texteffects/TiledPicture.h"

#include <algorithm>
#include <cstring>

namespace texteffects {

int MakeTiledPicture(const Image &canvas, TiledPicture *out) {
    *out = TiledPicture();
    if (canvas.width < 1 || canvas.height < 1 ||
        canvas.pixels.size() < static_cast<size_t>(canvas.width) * canvas.height * 4)
        return 0;
    out->width = canvas.width;
    out->height = canvas.height;
    out->columns = (canvas.width + kTileSide - 1) / kTileSide;
    out->rows = (canvas.height + kTileSide - 1) / kTileSide;
    for (int r = 0; r < out->rows; r++)
        for (int c = 0; c < out->columns; c++) {
            PictureTile tile;
            tile.column = c;
            tile.row = r;
            tile.image.width = tile.image.height = kTileSide;
            tile.image.pixels.resize(static_cast<size_t>(kTileSide) * kTileSide * 4);
            for (size_t at = 0; at < tile.image.pixels.size(); at += 4) {
                tile.image.pixels[at] = tile.image.pixels[at + 1] = tile.image.pixels[at + 2] = 0;
                tile.image.pixels[at + 3] = 255;
            }
            const int x0 = c * kTileSide, y0 = r * kTileSide;
            const int w = std::min(kTileSide, canvas.width - x0);
            const int h = std::min(kTileSide, canvas.height - y0);
            for (int j = 0; j < h; j++)
                memcpy(&tile.image.pixels[static_cast<size_t>(j) * kTileSide * 4],
                       &canvas.pixels[(static_cast<size_t>(y0 + j) * canvas.width + x0) * 4],
                       static_cast<size_t>(w) * 4);
            out->tiles.push_back(std::move(tile));
        }
    return 1;
}

std::vector<TileQuad> LayoutTiles(const TiledPicture &picture, int windowWidth, int windowHeight) {
    std::vector<TileQuad> quads;
    if (picture.width < 1 || picture.height < 1) return quads;
    const float sx = static_cast<float>(windowWidth) / picture.width;
    const float sy = static_cast<float>(windowHeight) / picture.height;
    for (size_t i = 0; i < picture.tiles.size(); i++) {
        const PictureTile &t = picture.tiles[i];
        const int x0 = t.column * kTileSide, y0 = t.row * kTileSide;
        const int w = std::min(kTileSide, picture.width - x0);
        const int h = std::min(kTileSide, picture.height - y0);
        TileQuad q;
        q.tile = static_cast<int>(i);
        q.x = x0 * sx;
        q.y = y0 * sy;
        q.width = w * sx;
        q.height = h * sy;
        q.u = static_cast<float>(w) / kTileSide;
        q.v = static_cast<float>(h) / kTileSide;
        quads.push_back(q);
    }
    return quads;
}

}  // namespace texteffects
