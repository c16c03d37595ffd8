#pragma once
// Helpers for the engine tests that draw: a windowed engine, flat quads at a
// chosen depth and alpha, and back-buffer pixels.

#include <cstdint>
#include <vector>

#include "lib3d/Engine.h"

namespace enginetest {

struct Rgb {
    int r = 0, g = 0, b = 0;
};

// Starts SDL's video, waiting a little for an X server that is still starting.
bool StartVideo();

// SDL video up and an engine opened in a window of w x h (colourMode as Open).
bool OpenEngine(lib3d::Engine *engine, int w, int h, int colourMode);

// Starts a frame and clears it; the states a test usually wants: no depth,
// no culling, no lighting, no texture, no blending.
void StartPlainFrame(lib3d::Engine *engine);

// A window-pixel rectangle with depth z and colour 0xAARRGGBB.
void FlatQuad(lib3d::Engine *engine, float x, float y, float w, float h, float z, uint32_t argb);

// The back buffer as RGB, rows top to bottom.
std::vector<Rgb> ReadPixels(lib3d::Engine *engine);
Rgb PixelAt(lib3d::Engine *engine, int x, int y);

// Absolute difference of two colours, largest channel.
int Distance(const Rgb &a, const Rgb &b);

// A 4-bar picture of colours that 5-6-5 holds exactly, drawn as screen quads,
// and the colour expected at (x, y) of it.
void DrawReferencePicture(lib3d::Engine *engine);
Rgb ReferenceColour(int x, int y, int w);

// Reads an 8-bit RGB PNG with libpng (an independent reader).
bool ReadPngFile(const char *path, std::vector<Rgb> *pixels, int *w, int *h);

}  // namespace enginetest
