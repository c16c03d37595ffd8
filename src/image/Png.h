#pragma once

// The engine's own PNG files: a writer for screenshots and a reader with
// alpha keying for the pictures the menu script loads.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image/Image.h"

// Row filters the writer can apply (the same filter on every row).
enum PngFilter { PngFilterNone = 0, PngFilterSub = 1, PngFilterUp = 2, PngFilterAverage = 3 };

// Largest side, in pixels, the reader accepts; larger files are refused
// before any pixel memory is taken.
const int kPngMaxSide = 16384;
// Largest picture file read, PNG or other: far beyond any texture of the
// game, and small enough that reading it whole never exhausts memory.
const size_t kPictureMaxFileSize = size_t(256) << 20;

// Colour that alpha mode 2 paints over every pixel when `enabled` is set.
// The engine passes its tint flag and colour here; the default leaves the
// picture's own colours.
struct PngTint {
    bool enabled = false;
    uint8_t red = 255;
    uint8_t green = 255;
    uint8_t blue = 255;
};

// Writes `image` as an 8-bit RGB PNG with every colour cut to 5-6-5
// precision; alpha is dropped. `filter` is 0 to 3. An existing file of that
// name is replaced atomically (written beside it, then renamed over the name
// itself), so an interrupted write leaves the old file or none, never half
// a picture, and a link under the name is replaced, not written through. Returns 1 on success; on
// failure writes a message to standard error, removes any partial file and returns 0.
int WritePng(const char *path, const Image &image, int filter);

// Reads a PNG file into `image` (RGBA). Every standard colour type and bit
// depth loads, interlaced or not; 16-bit samples keep their high byte.
// Pictures without an alpha channel or transparency chunk get their alpha
// from `alphaMode`:
//   0 and 6: 255;  3: 128;  4: 70;  5: 150;
//   1: 0 where red + green + blue <= 9, else 255;
//   2: from the luminance S = 2 r + 7 g + b (0..2550): 0 below 510, 255
//      above 1785, and in between rising linearly, (S - 510) * 255 / 1275
//      rounded; the colour becomes `tint`'s when it is enabled;
//   7: colour key: red and blue >= 253 and green <= 2 become transparent
//      black, everything else is opaque.
// Pictures with alpha (RGBA, grey + alpha, or a tRNS chunk) keep their own.
// Only a regular file of at most kPictureMaxFileSize bytes is read.
// Returns 1 on success; on failure writes "Cannot read <path>: <reason>" to
// standard error, leaves `image` empty and returns 0.
int ReadPng(const char *path, Image *image, int alphaMode, const PngTint &tint = PngTint());

// The same two operations over memory. EncodePng replaces `*out` with the
// file's bytes. DecodePng reports a failure in `*error` when it is given,
// otherwise on standard error.
int EncodePng(const Image &image, int filter, std::vector<uint8_t> *out);
int DecodePng(const uint8_t *data, size_t size, Image *image, int alphaMode,
              const PngTint &tint = PngTint(), std::string *error = nullptr);

// Writes `image` as WritePng does, under a name that must not exist yet:
// nothing already under the name (a file, a link, even a dangling one) is
// ever replaced. Returns 1 when written, 0 with *taken set when the name was
// taken meanwhile, 0 with a message on other failures. The picture appears
// whole or not at all.
int WriteNewPng(const char *path, const Image &image, int filter, bool *taken);

// Writes a screenshot as the first free name for `prefix` (see below), with
// the Sub filter. Returns 1 when written.
int WriteScreenshot(const char *prefix, const Image &image);

// Puts in `name` the first screenshot name for `prefix` that does not exist
// yet (a directory entry of any kind, a dangling link included, is taken): prefix + a serial of at
// least four digits + ".png" (0000, 0001, ..., 0009, 0010, ..., 9999, 10000, ...). A name already
// present in the folder, even as a file that cannot be read, is never chosen, so earlier
// screenshots are never overwritten. Returns 0 (with a message on standard error and an
// empty `name`) only when the name does not fit in `nameSize` bytes or the
// folder cannot be searched.
int FindScreenshotName(const char *prefix, char *name, size_t nameSize);
