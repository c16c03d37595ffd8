#include "Music.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace sfx {

bool ParsePart(const std::string &text, std::vector<Note> &notes) {
    static const int kSteps[7] = {9, 11, 0, 2, 4, 5, 7};  // a b c d e f g
    std::istringstream in(text);
    std::string token;
    int at = 0;
    while (in >> token) {
        size_t colon = token.find(':');
        if (colon == std::string::npos || colon == 0 || colon + 1 >= token.size()) return false;
        int length = std::atoi(token.c_str() + colon + 1);
        if (length <= 0) return false;
        std::string name = token.substr(0, colon);
        if (name != "r") {
            char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(name[0])));
            if (letter < 'a' || letter > 'g') return false;
            size_t i = 1;
            int pitch = kSteps[letter - 'a'];
            if (i < name.size() && name[i] == '#')
                pitch++, i++;
            else if (i < name.size() && name[i] == 'b')
                pitch--, i++;
            if (i + 1 != name.size() || !std::isdigit(static_cast<unsigned char>(name[i]))) {
                return false;
            }
            pitch += 12 * (name[i] - '0' + 1);
            notes.push_back({pitch, at, length});
        }
        at += length;
    }
    return true;
}

Loop::Loop(int beatFrames, int beats)
    : frames(beatFrames * beats),
      left(frames, 0.0f),
      right(frames, 0.0f),
      beatFrames_(beatFrames) {}

void Loop::Add(const Voice &voice, long start, float gain, float pan) {
    double angle = (std::clamp(pan, -1.0f, 1.0f) + 1.0) * kPi / 4;
    float gl = gain * static_cast<float>(std::cos(angle));
    float gr = gain * static_cast<float>(std::sin(angle));
    long at = ((start % frames) + frames) % frames;
    for (float s : voice) {
        left[at] += gl * s;
        right[at] += gr * s;
        if (++at == frames) at = 0;
    }
}

void Loop::AddDelayed(const std::vector<float> &source, long delay, float gain, float pan) {
    Add(source, delay, gain, pan);
}

Sound Loop::Finish(float peak) const {
    Sound sound;
    sound.channels = 2;
    sound.samples.resize(2 * static_cast<size_t>(frames));
    // The loop repeats, so removing a constant keeps it seamless.
    double meanL = 0, meanR = 0;
    for (int i = 0; i < frames; i++) meanL += left[i], meanR += right[i];
    meanL /= frames;
    meanR /= frames;
    float top = 0;
    for (int i = 0; i < frames; i++) {
        sound.samples[2 * i] = static_cast<float>(left[i] - meanL);
        sound.samples[2 * i + 1] = static_cast<float>(right[i] - meanR);
        top = std::max({top, std::fabs(sound.samples[2 * i]), std::fabs(sound.samples[2 * i + 1])});
    }
    if (top > 0) {
        for (float &s : sound.samples) s *= peak / top;
    }
    return sound;
}

namespace {

// One bar (or half bar) of harmony: the pad's voicing and the bass root.
struct Chord {
    int start, length;  // eighths
    const char *voicing;
    int bass;
};

std::vector<int> Pitches(const char *voicing) {
    std::vector<Note> notes;
    std::string text;
    for (std::istringstream in(voicing); in;) {
        std::string name;
        if (in >> name) text += name + ":1 ";
    }
    ParsePart(text, notes);
    std::vector<int> pitches;
    for (const Note &n : notes) pitches.push_back(n.pitch);
    return pitches;
}

std::vector<Note> Part(const char *text) {
    std::vector<Note> notes;
    // The scores are part of this program: a typo in one is a build error,
    // not a music with notes missing.
    if (!ParsePart(text, notes)) {
        fprintf(stderr, "sfxgen: bad part \"%s\"\n", text);
        exit(1);
    }
    return notes;
}

// Eight bars per line of the score below, and a line per phrase.
const char *const kMenuMelody =
    "a4:2 c5:2 e5:3 d5:1  c5:2 e5:2 g5:4  f5:3 e5:1 d5:2 c5:2  d5:4 c5:2 r:2 "
    "a4:2 c5:2 f5:3 e5:1  e5:2 g5:2 a5:4  bb5:3 a5:1 f5:2 d5:2  e5:6 r:2 "
    "f5:2 a5:2 d5:4  d5:2 f5:2 a5:3 g5:1  f5:2 d5:2 bb4:2 d5:2  c5:4 e5:2 g5:2 "
    "a5:3 g5:1 f5:2 c5:2  e5:3 d5:1 c5:2 e5:2  d5:2 f5:2 a4:2 bb4:2  g4:4 r:4";

const Chord kMenuChords[] = {
    {0, 8, "f3 a3 c4 e4", 41},   {8, 8, "g3 a3 c4 e4", 45},    {16, 8, "f3 a3 bb3 d4", 46},
    {24, 4, "f3 g3 c4", 48},     {28, 4, "e3 g3 c4", 48},      {32, 8, "f3 a3 c4 e4", 41},
    {40, 8, "g3 a3 c4 e4", 45},  {48, 8, "f3 a3 bb3 d4", 46},  {56, 8, "e3 g3 bb3 c4", 48},
    {64, 8, "f3 a3 c4 d4", 38},  {72, 8, "f3 a3 bb3 d4", 46},  {80, 8, "f3 g3 bb3 d4", 43},
    {88, 4, "f3 g3 c4", 48},     {92, 4, "e3 g3 c4", 48},      {96, 8, "f3 a3 c4 e4", 41},
    {104, 8, "g3 a3 c4 e4", 45}, {112, 8, "f3 a3 bb3 d4", 46}, {120, 8, "e3 g3 bb3 c4", 48},
};

const char *const kGameMelody =
    "a4:1 c5:1 e5:2 a5:2 g5:1 e5:1  f5:2 e5:1 c5:1 a4:2 c5:2  "
    "g5:2 e5:1 c5:1 g4:2 c5:2  d5:3 b4:1 g4:2 r:2 "
    "a4:1 c5:1 e5:2 a5:2 b5:1 c6:1  a5:2 g5:1 f5:1 e5:2 c5:2  "
    "e5:2 g5:2 c6:2 b5:1 a5:1  g5:4 d5:2 b4:2 "
    "d5:1 f5:1 a5:2 f5:2 d5:2  e5:1 a5:1 c6:2 b5:2 a5:2  "
    "a5:2 g5:1 f5:1 c5:2 f5:2  e5:2 g#5:2 b5:3 r:1 "
    "c6:2 b5:1 a5:1 e5:2 a5:2  f5:2 a5:1 c6:1 a5:2 f5:2  "
    "g5:2 d5:1 b4:1 g5:2 b5:2  g#5:3 e5:1 b4:2 r:2";

const Chord kGameChords[] = {
    {0, 8, "a3 c4 e4", 45},    {8, 8, "a3 c4 f4", 41},   {16, 8, "g3 c4 e4", 48},
    {24, 8, "g3 b3 d4", 43},   {32, 8, "a3 c4 e4", 45},  {40, 8, "a3 c4 f4", 41},
    {48, 8, "g3 c4 e4", 48},   {56, 8, "g3 b3 d4", 43},  {64, 8, "a3 d4 f4", 38},
    {72, 8, "a3 c4 e4", 45},   {80, 8, "a3 c4 f4", 41},  {88, 8, "g#3 b3 e4", 40},
    {96, 8, "a3 c4 e4", 45},   {104, 8, "a3 c4 f4", 41}, {112, 8, "g3 b3 d4", 43},
    {120, 8, "g#3 b3 e4", 40},
};

// Adds a part played by `play(hz, heldSeconds)` to `loop`.
template <typename Play>
void AddPart(Loop &loop, const std::vector<Note> &notes, double eighthSeconds, double legato,
             float gain, float pan, Play play) {
    for (const Note &n : notes) {
        Voice v = play(MidiToHz(n.pitch), n.length * eighthSeconds * legato);
        loop.Add(v, static_cast<long>(n.start) * loop.EighthFrames(), gain, pan);
    }
}

}  // namespace

Sound MakeMenuMusic() {
    const int beat = 31500;  // 84 beats a minute at 44.1 kHz
    const double eighth = beat / 2.0 / kRate;
    Loop loop(beat, 64);  // 16 bars of 4/4: about 46 s

    for (const Chord &c : kMenuChords) {
        std::vector<int> tones = Pitches(c.voicing);
        // Soft pad, held through the chord and overlapping into the next.
        for (int p : tones) {
            loop.Add(Pad(MidiToHz(p), c.length * eighth), long(c.start) * loop.EighthFrames(),
                     0.09f, (p % 2) ? -0.4f : 0.4f);
        }
        // Bass: root for half the chord, then the fifth and the root again.
        int half = c.length / 2;
        loop.Add(Bass(MidiToHz(c.bass), half * eighth * 0.95), long(c.start) * loop.EighthFrames(),
                 0.26f, 0.0f);
        int quarter = std::max(1, half / 2);
        loop.Add(Bass(MidiToHz(c.bass + 7), quarter * eighth * 0.9),
                 long(c.start + half) * loop.EighthFrames(), 0.2f, 0.0f);
        loop.Add(Bass(MidiToHz(c.bass + 12), quarter * eighth * 0.9),
                 long(c.start + half + quarter) * loop.EighthFrames(), 0.16f, 0.0f);
        // Gentle broken chord, an octave up, swaying left and right.
        static const int kPattern[8] = {0, 1, 2, 3, 2, 1, 2, 3};
        for (int e = 0; e < c.length; e++) {
            int p = tones[kPattern[(c.start + e) % 8] % tones.size()] + 12;
            float pan = std::sin(kTwoPi * (c.start + e) / 16.0) * 0.6f;
            loop.Add(Mallet(MidiToHz(p), eighth * 0.9), long(c.start + e) * loop.EighthFrames(),
                     (e % 2) ? 0.07f : 0.09f, pan);
        }
    }

    // The tune on an electric piano, with an echo a dotted quarter later.
    std::vector<Note> melody = Part(kMenuMelody);
    Loop tune(beat, 64);
    AddPart(tune, melody, eighth, 0.95, 0.36f, 0.0f,
            [](double hz, double held) { return ElectricPiano(hz, held, 0.8); });
    for (int i = 0; i < loop.frames; i++) {
        loop.left[i] += tune.left[i];
        loop.right[i] += tune.right[i];
    }
    loop.AddDelayed(tune.left, 3L * loop.EighthFrames(), 0.25f, -0.8f);
    loop.AddDelayed(tune.left, 6L * loop.EighthFrames(), 0.12f, 0.8f);
    return loop.Finish(0.7f);
}

Sound MakeGameMusic() {
    const int beat = 22050;  // 120 beats a minute
    const double eighth = beat / 2.0 / kRate;
    const long sixteenth = beat / 4;
    Loop loop(beat, 64);  // 16 bars: 32 s
    Noise noise(0xd0b1e5);

    for (const Chord &c : kGameChords) {
        std::vector<int> tones = Pitches(c.voicing);
        long at = long(c.start) * loop.EighthFrames();
        for (int p : tones) {
            loop.Add(Pad(MidiToHz(p + 12), c.length * eighth), at, 0.05f, (p % 2) ? -0.5f : 0.5f);
        }
        // Driving eighth-note bass: root, octave jumps and a fifth.
        static const int kBass[8] = {0, 0, 12, 0, 0, 12, 7, 12};
        for (int e = 0; e < c.length; e++) {
            loop.Add(Bass(MidiToHz(c.bass + kBass[e]), eighth * 0.7),
                     at + long(e) * loop.EighthFrames(), e % 2 ? 0.24f : 0.3f, 0.0f);
        }
        // Mallet arpeggio over the chord, two octaves of it, up then down.
        static const int kArp[8] = {0, 1, 2, 3, 4, 3, 2, 1};
        for (int e = 0; e < c.length; e++) {
            int k = kArp[e];
            int p = tones[k % tones.size()] + 12 * (1 + k / int(tones.size()));
            loop.Add(Mallet(MidiToHz(p), eighth * 0.8), at + long(e) * loop.EighthFrames(), 0.1f,
                     (e % 2) ? 0.5f : -0.3f);
        }
        // Drums, per sixteenth of the bar.
        int bar = c.start / 8;
        for (int s = 0; s < 16; s++) {
            long t = at + s * sixteenth;
            if (s == 0 || s == 8 || (s == 10 && bar % 2 == 1)) loop.Add(Kick(), t, 0.55f, 0.0f);
            if (s == 4 || s == 12) loop.Add(Snare(noise), t, 0.28f, 0.1f);
            bool open = (s == 14 && bar % 4 == 3);
            loop.Add(HiHat(noise, open), t, open ? 0.12f : (s % 2 ? 0.06f : 0.1f), 0.35f);
        }
    }

    std::vector<Note> melody = Part(kGameMelody);
    Loop tune(beat, 64);
    AddPart(tune, melody, eighth, 0.9, 0.26f, 0.0f, Lead);
    for (int i = 0; i < loop.frames; i++) {
        loop.left[i] += tune.left[i];
        loop.right[i] += tune.right[i];
    }
    loop.AddDelayed(tune.left, 3 * sixteenth, 0.2f, -0.7f);
    loop.AddDelayed(tune.left, 6 * sixteenth, 0.1f, 0.7f);
    return loop.Finish(0.7f);
}

}  // namespace sfx
