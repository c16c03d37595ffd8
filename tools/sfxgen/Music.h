#pragma once
// The two background musics, written as seamless stereo loops: every note is
// mixed modulo the loop length, so what rings past the end is heard at the
// start and the last sample flows into the first as anywhere else.

#include <string>
#include <vector>

#include "Synth.h"
#include "Wav.h"

namespace sfx {

// A note of a part: MIDI pitch, start and length in eighth notes.
struct Note {
    int pitch;
    int start;
    int length;
};

// Reads a part written as "a4:2 c#5:1 r:1 bb3:4": note name, sharp (#) or
// flat (b), octave, then a length in eighths; "r" is a rest. Returns false on
// a malformed token.
bool ParsePart(const std::string &text, std::vector<Note> &notes);

// A stereo loop being mixed.
class Loop {
public:
    Loop(int beatFrames, int beats);
    int EighthFrames() const { return beatFrames_ / 2; }
    // Adds a voice at `start` (frames, any value: it is taken modulo the
    // length) with an equal-power pan from -1 (left) to 1 (right).
    void Add(const Voice &voice, long start, float gain, float pan);
    // Adds a copy of `source` (mono, same length) delayed by `delay` frames.
    void AddDelayed(const std::vector<float> &source, long delay, float gain, float pan);
    // Removes each channel's mean and scales to the given peak.
    Sound Finish(float peak) const;

    int frames;
    std::vector<float> left, right;

private:
    int beatFrames_;
};

Sound MakeMenuMusic();
Sound MakeGameMusic();

}  // namespace sfx
