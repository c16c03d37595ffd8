#pragma once
// The drawing operations of the text-effect generator, each working on a
// canvas in memory (4 bytes per pixel; bytes 0 to 2 are written, byte 3 is
// left as it was). Every operation clips against the canvas and reads its
// sources only inside their bounds, whatever the positions and sizes.

#include <cstdint>

#include "image/Image.h"
#include "image/TrueType.h"

namespace texteffects {

// A uniform source of non-negative random integers (std::rand by default).
typedef int (*RandomSource)();

// Midpoint-displacement clouds of width x height pixels tinted by the colour
// (c0, c1, c2); opaque. The last row and column of the grid repeat the first,
// so the picture tiles seamlessly. Returns 0 for a side below 1.
int MakeClouds(int c0, int c1, int c2, int width, int height, Image *out,
               RandomSource random = nullptr);

// The soft-edge weight of box pixel (i, j) for a box of bw x bh and radius
// r: 1 deep inside, falling to 0 within about r pixels of the edges. A
// radius below 1 gives 1 everywhere (no feathering).
float SoftEdgeWeight(int i, int j, int bw, int bh, int r);

// Darkens a bw x bh box at (x, y): to half in the middle, fading out at the
// edges over radius r.
void ShadowBox(Image *canvas, int x, int y, int bw, int bh, int r);

// MOSAIC: tiles the bitmap over the whole canvas, starting at bitmap pixel (x, y).
void Mosaic(Image *canvas, const Image &bitmap, int x, int y);
// ETIRER: stretches the bitmap over the whole canvas (bilinear); (x, y)
// offsets the samples, which are clamped to the bitmap's edges.
void Stretch(Image *canvas, const Image &bitmap, int x, int y);
// BITMAP: blends the bitmap with its own alpha at (x, y); with `shadow`, a
// shadow box first at three times (dx, dy); with `frame`, a white one-pixel
// frame just outside it.
void DrawBitmap(Image *canvas, const Image &bitmap, int x, int y, bool shadow, int dx, int dy,
                bool frame);
// FBITMAP: blends the bitmap with edges feathered over a tenth of its diagonal.
void DrawFeatheredBitmap(Image *canvas, const Image &bitmap, int x, int y);
// CARREDEGRADE: a shadow at (x + 16, y + 16), then a soft-edged box of colour.
void GradientBox(Image *canvas, const int colour[3], int x, int y, int width, int height);

// Text styles of a script font.
struct TextStyle {
    int outline = 0;   // outline rings, in map pixels
    int fillMode = 0;  // 0 and 1: vertical gradient; 2: the gradient bent by a sine wave
    int top[3] = {255, 255, 255};
    int bottom[3] = {255, 255, 255};
};

// The coverage map of a text ready for drawing: the glyphs at (o, o) in a
// map of (w + 2o) x (h + 8o), then o outline passes, so glyphs are 255, the
// outline rings 128 and the rest 0 (with o = 0 the coverage stays as it is).
void BuildTextMap(const image::Coverage &glyphs, int outline, image::Coverage *map);
// Draws a text map at half size at (x, y); in shadow mode the covered pixels
// are darkened to half instead of coloured. Returns the drawn width.
int DrawTextMap(Image *canvas, const image::Coverage &map, int x, int y, const TextStyle &style,
                bool shadowMode);

// ONDE and ONDEOMBREE: a ripple centred on the canvas with the given
// amplitude and number of periods; with `shaded`, the slopes are lit with
// the weights (lx, ly).
void Wave(Image *canvas, int amplitude, int periods, bool shaded, int lx, int ly);
// The ripple's height at canvas point (p, q).
double WaveHeight(int p, int q, int width, int height, int amplitude, int periods);

// EMBOSS: a spot light at (x, y) of the given radius over a relief whose
// height is w0, w1, w2 times the three channels.
void Emboss(Image *canvas, int x, int y, int radius, int w0, int w1, int w2);
// The spot's light at distance `dist`: 255 near the spot, 0 from the radius on.
int EmbossLight(double dist, int radius);

}  // namespace texteffects
