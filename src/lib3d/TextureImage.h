#pragma once
// The pixel work behind texture slots, kept free of the device so it can be
// checked exactly: nearest-neighbour resampling to a square, 2x2 ordered
// dithering ahead of the 16-bit packing, the packing itself and the
// mip-level halving. Images are 4 bytes per pixel (red, green, blue, alpha),
// rows top to bottom.

#include <cstdint>
#include <vector>

#include "device/Types.h"

namespace lib3d {

// Resamples a sourceWidth x sourceWidth image to size x size. The column
// steps in 8.8 fixed point, the row by integer division; both reach the far
// edge of the source, so a larger picture is shrunk, never cropped.
void ResampleSquare(const uint8_t *source, int sourceWidth, int size, std::vector<uint8_t> *out);

// Raises red and blue by 8 and green by 4 (clamped to 255) at the pixels of
// each 2x2 block picked by the bits the 16-bit packing will drop.
void DitherPixel(uint8_t rgba[4], int x, int y);

// Packs one pixel into R5G6B5, X1R5G5B5 or A4R4G4B4.
uint16_t PackPixel(const uint8_t rgba[4], device::Format format);

// Fills `out` (side x side words) from a side x side image, dithered or not.
void PackImage(const std::vector<uint8_t> &image, int side, device::Format format, bool dither,
               uint16_t *out, int pitchWords);

// The next mip level: half the side (at least 1); each pixel weighs the
// source pixel (2x, 2y) four times and its four neighbours once, over 8; a
// neighbour outside the image counts as the centre pixel.
void HalveImage(const std::vector<uint8_t> &image, int side, std::vector<uint8_t> *out);

// Number of levels from `size` down to 1 by halving.
int MipLevelCount(int size);

}  // namespace lib3d
