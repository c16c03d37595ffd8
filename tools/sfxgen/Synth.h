#pragma once
// Building blocks of the sound generator: noise, filters, envelopes and the
// instruments the effects and the musics are played with. Everything is
// deterministic, so a rebuild writes the same files.

#include <cstdint>
#include <vector>

namespace sfx {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;
constexpr double kTwoPi = 2.0 * kPi;

using Voice = std::vector<float>;  // mono samples at kRate

// White noise in [-1, 1] from a xorshift generator.
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed ? seed : 1u) {}
    float Next();

private:
    uint32_t state_;
};

// Second-order filter (the usual cookbook designs), direct form I.
class Biquad {
public:
    void LowPass(double hz, double q);
    void HighPass(double hz, double q);
    void BandPass(double hz, double q);  // 0 dB peak gain
    float Process(float x);

private:
    void Set(double b0, double b1, double b2, double a0, double a1, double a2);
    double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

double MidiToHz(double note);
// Seconds to a sample count at kRate.
int Frames(double seconds);

// Gate of a held note: a linear attack, full level while held, then a
// raised-cosine release, so a note always starts and ends at zero.
double Gate(double t, double attack, double held, double release);

// Instruments. `seconds` is how long the note is held; each voice also
// carries its release, so it is longer than that.
Voice ElectricPiano(double hz, double seconds, double velocity);
Voice Pad(double hz, double seconds);
Voice Bass(double hz, double seconds);
Voice Mallet(double hz, double seconds);
Voice Lead(double hz, double seconds);
Voice Bell(double hz, double seconds);
Voice Horn(double hz, double seconds, double bendSemitones);
Voice Kick();
Voice Snare(Noise &noise);
Voice HiHat(Noise &noise, bool open);

// Mixes `voice` into `out` from `start`, growing `out` as needed.
void AddAt(Voice &out, const Voice &voice, int start, float gain);

// Removes the mean of a one-shot sound with a slow raised-cosine bump that
// is zero at both ends, then scales it so its peak is `peak`.
void Finish(Voice &sound, float peak);

}  // namespace sfx
