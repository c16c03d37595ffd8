#pragma once
// Pictures in the formats SDL_image reads (PNG, BMP, TGA, JPEG, ...), taken
// to the RGBA layout of `Image` whatever their depth or palette, so every
// caller sees the same pixels for the same file.

#include "image/Image.h"

// PNG files go through the engine's own PNG reader, every other format
// through SDL_image; either way only a regular file of at most
// kPictureMaxFileSize bytes is read.
//
// Reads `path` into `image` (rows top to bottom, width x height, RGBA).
// `hasAlpha` (when given) tells whether the picture comes with alpha: for a
// PNG, an alpha channel or a transparency chunk; for other formats a 32-bit
// picture, or a palette, grey or 16-bit one, which the conversion gives full
// alpha or its colour key; 24-bit pictures are opaque. Returns 1 on success; 0
// with `image` empty when the file cannot be read. Writes no message: the
// callers each have their own.
int ReadPicture(const char *path, Image *image, bool *hasAlpha);
