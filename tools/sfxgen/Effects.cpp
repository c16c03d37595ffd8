#include "Effects.h"

#include <cmath>

namespace sfx {

namespace {

// A struck resonance of a hard body: a damped sine.
struct Mode {
    double hz, amp, decay;
};

// A knock on a body with the given modes, starting at `start` seconds.
void Knock(Voice &out, double start, const Mode *modes, int count, float gain, Noise &noise) {
    Voice v(Frames(0.25));
    Biquad grit;
    grit.BandPass(modes[0].hz * 3, 1.2);
    for (size_t i = 0; i < v.size(); i++) {
        double t = double(i) / kRate;
        double s = 0;
        for (int m = 0; m < count; m++) {
            s += modes[m].amp * std::sin(kTwoPi * modes[m].hz * t) * std::exp(-t / modes[m].decay);
        }
        // The contact itself: a very short burst of filtered noise.
        s += 0.6 * grit.Process(noise.Next()) * std::exp(-t / 0.0015);
        v[i] = static_cast<float>(s * Gate(t, 0.0003, 0.2, 0.05));
    }
    AddAt(out, v, Frames(start), gain);
}

// Band-passed noise whose centre glides from `fromHz` to `toHz` (exponentially)
// under the envelope `shape(u)`, u going 0..1 over `seconds`.
template <typename Shape>
Voice SweptNoise(double seconds, double fromHz, double toHz, double q, Noise &noise, Shape shape) {
    Voice v(Frames(seconds));
    Biquad band;
    for (size_t i = 0; i < v.size(); i++) {
        double u = double(i) / v.size();
        if (i % 32 == 0) band.BandPass(fromHz * std::pow(toHz / fromHz, u), q);
        v[i] = static_cast<float>(band.Process(noise.Next()) * shape(u));
    }
    return v;
}

}  // namespace

Voice MakePlace() {
    Noise noise(0x91ace);
    // A hard resin tile on a wooden table: a few low, quickly damped wood
    // modes, the tile's brighter ring, then a softer second touch as it
    // settles.
    const Mode hit[] = {{180, 0.7, 0.035},
                        {640, 1.0, 0.045},
                        {1470, 0.6, 0.025},
                        {2390, 0.45, 0.016},
                        {3710, 0.25, 0.010}};
    const Mode settle[] = {{660, 1.0, 0.03}, {1530, 0.5, 0.02}, {2450, 0.3, 0.012}};
    Voice out;
    Knock(out, 0.0, hit, 5, 1.0f, noise);
    Knock(out, 0.032, settle, 3, 0.3f, noise);
    out.resize(Frames(0.3), 0.0f);
    Finish(out, 0.8f);
    return out;
}

Voice MakeChoose() {
    Noise noise(0xc40053);
    const Mode click[] = {{1850, 1.0, 0.007}, {3300, 0.5, 0.004}, {920, 0.4, 0.012}};
    Voice out;
    Knock(out, 0.0, click, 3, 1.0f, noise);
    out.resize(Frames(0.09), 0.0f);
    // A light touch: quieter than the other effects.
    Finish(out, 0.45f);
    return out;
}

Voice MakeError() {
    // Two short pulses of a low, slightly detuned buzz: clearly "no".
    Voice out(Frames(0.42), 0.0f);
    const double pulses[2][2] = {{0.0, 0.15}, {0.2, 0.2}};
    for (const auto &pulse : pulses) {
        const double held = pulse[1];
        Voice v(Frames(held + 0.02));
        for (size_t i = 0; i < v.size(); i++) {
            double t = double(i) / kRate;
            double s = 0;
            for (int k = 1; k <= 14; k++) {
                double w = 1.0 / k;
                s += w * (std::sin(kTwoPi * k * 98 * t) + 0.7 * std::sin(kTwoPi * k * 101.5 * t));
            }
            v[i] = static_cast<float>(s * Gate(t, 0.006, held, 0.02));
        }
        AddAt(out, v, Frames(pulse[0]), 1.0f);
    }
    // A steady buzz sounds loud for its peak, so it is kept lower.
    Finish(out, 0.45f);
    return out;
}

Voice MakePioche() {
    Noise noise(0x910c4e);
    // A tile slid out of the pile: filtered friction noise that swells and
    // fades, with a grainy flutter, and the small clacks of the tiles it
    // brushes against.
    Noise grain(0x5eed);
    double flutter = 0;
    Voice out = SweptNoise(0.42, 1100, 2600, 1.3, noise, [&](double u) {
        flutter = 0.995 * flutter + 0.005 * std::fabs(grain.Next());
        double swell = std::sin(kPi * std::pow(u, 0.6));
        return swell * swell * (0.6 + 4.0 * flutter);
    });
    const Mode clack[] = {{2200, 1.0, 0.008}, {3150, 0.6, 0.006}, {1200, 0.4, 0.012}};
    Knock(out, 0.03, clack, 3, 0.35f, noise);
    Knock(out, 0.36, clack, 3, 0.25f, noise);
    out.resize(Frames(0.45), 0.0f);
    Finish(out, 0.7f);
    return out;
}

Voice MakeSkip() {
    Noise noise(0x5c1b);
    // Air rushing past: the band rises while the level swells and dies away.
    Voice out = SweptNoise(0.36, 350, 3200, 2.0, noise, [](double u) {
        double s = std::sin(kPi * std::pow(u, 0.7));
        return s * s;
    });
    Finish(out, 0.7f);
    return out;
}

Voice MakeWin() {
    // C major arpeggio rising to the top C, then a sparkle and the chord.
    Voice out;
    const int notes[] = {72, 76, 79, 84};
    for (int i = 0; i < 4; i++) {
        AddAt(out, Bell(MidiToHz(notes[i]), 0.12), Frames(0.085 * i), 0.55f);
    }
    AddAt(out, Bell(MidiToHz(88), 0.1), Frames(0.34), 0.3f);
    AddAt(out, Bell(MidiToHz(91), 0.1), Frames(0.40), 0.3f);
    const int chord[] = {72, 76, 79, 84};
    for (int n : chord) AddAt(out, Bell(MidiToHz(n), 0.7), Frames(0.46), 0.32f);
    out.resize(Frames(1.45), 0.0f);
    Finish(out, 0.75f);
    return out;
}

Voice MakeLoose() {
    // Four falling steps, the last one sagging further with a slow vibrato.
    Voice out;
    const int notes[] = {67, 66, 65};
    for (int i = 0; i < 3; i++) {
        AddAt(out, Horn(MidiToHz(notes[i]), 0.2, 0.0), Frames(0.27 * i), 0.5f);
    }
    AddAt(out, Horn(MidiToHz(64), 0.75, 1.0), Frames(0.81), 0.5f);
    out.resize(Frames(1.75), 0.0f);
    // Held horn notes carry more energy than the bells of the win jingle.
    Finish(out, 0.4f);
    return out;
}

}  // namespace sfx
