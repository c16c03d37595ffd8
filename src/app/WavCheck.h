#pragma once
// The header check every sound file passes before SDL_mixer sees it. SDL's
// own WAV reading and audio conversion trust the header: a file claiming no
// channels or a rate of 0 or 1 Hz crashes the program inside the conversion,
// and a chunk length past the end of the file makes it allocate whatever the
// length says. So the header is read here first, the way SDL reads it, and
// only plain PCM in the ranges below is let through.

#include <cstddef>
#include <cstdint>
#include <string>

// Largest files read: an effect is a few seconds, a music a few minutes.
const size_t kEffectMaxFileSize = size_t(16) << 20;
const size_t kMusicMaxFileSize = size_t(64) << 20;

// What a checked file holds.
struct WavFormat {
    int channels = 0;       // 1 or 2
    int rate = 0;           // 8000 to 96000 Hz
    int bits = 0;           // 8 or 16
    size_t dataOffset = 0;  // first sample byte
    size_t dataLength = 0;  // bytes of samples, a whole number of frames
};

const int kWavMinRate = 8000;
const int kWavMaxRate = 96000;

// True when data holds a RIFF WAVE file SDL can play safely: "fmt " as the
// first chunk (after any "fact" or "LIST" chunks, which SDL skips there),
// uncompressed PCM, 1 or 2 channels, 8000 to 96000 Hz, 8 or 16 bits, and one
// non-empty "data" chunk of whole frames; every chunk up to the data within
// the file, of even and non-zero length. Otherwise false with a short English reason in *why.
bool CheckWav(const uint8_t *data, size_t size, WavFormat *format, std::string *why);
