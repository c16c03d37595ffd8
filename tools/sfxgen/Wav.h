#pragma once
// Minimal writer of 16-bit PCM WAV files.

#include <string>
#include <vector>

namespace sfx {

// A sound as floats in [-1, 1]; stereo samples are interleaved left, right.
struct Sound {
    int rate = 44100;
    int channels = 1;
    std::vector<float> samples;

    size_t Frames() const { return samples.size() / channels; }
};

// Rounds to 16 bits (values beyond full scale are clamped, though the
// generators keep well below it) and writes a canonical 44-byte-header WAV.
// Returns false, with a message on standard error, when the file cannot be
// written.
bool WriteWav(const std::string &path, const Sound &sound);

}  // namespace sfx
