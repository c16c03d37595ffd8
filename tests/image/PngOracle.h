#pragma once

// libpng and zlib used as references the codec is checked against.

#include <cstdint>
#include <string>
#include <vector>

#include "image/Image.h"

// Decodes a PNG held in memory with libpng into 8-bit RGBA (16-bit samples
// cut to their high byte, missing alpha filled with 255). Returns false on
// any libpng error.
bool LibpngDecode(const std::vector<uint8_t> &file, Image *image, bool *hasAlpha = nullptr);

// Encodes with libpng. colorType is a PNG_COLOR_TYPE_*; `samples` holds the
// rows packed as that type at `bitDepth`, rows top to bottom; `palette` is
// RGB triples and `trns` the tRNS chunk's raw bytes when not empty.
// `filters` is a PNG_FILTER_* mask; `interlace` selects Adam7.
bool LibpngEncode(int width, int height, int colorType, int bitDepth,
                  const std::vector<uint8_t> &samples, std::vector<uint8_t> *file, int filters,
                  bool interlace = false, const std::vector<uint8_t> &palette = {},
                  const std::vector<uint8_t> &trns = {}, int level = -1);

// Inflates a zlib stream (or a raw DEFLATE stream) with zlib.
bool ZlibInflate(const std::vector<uint8_t> &in, std::vector<uint8_t> *out, bool raw = false);

// Compresses with zlib's deflate at `level` with `strategy`.
std::vector<uint8_t> ZlibDeflate(const std::vector<uint8_t> &in, int level, int strategy,
                                 bool raw = false);

// Deterministic test data.
std::vector<uint8_t> RandomBytes(size_t n, uint32_t seed);
// A smooth picture with some noise, like a rendered scene.
Image PhotoLikeImage(int width, int height, uint32_t seed);
// Smooth shading without noise, like a rendered game frame: a gradient
// room, a lit table and a row of tiles with pips.
Image SceneImage(int width, int height);
// Large areas of a few flat colours, like a menu screen.
Image FlatImage(int width, int height);
