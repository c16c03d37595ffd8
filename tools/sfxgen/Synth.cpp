#include "Synth.h"

#include <algorithm>
#include <cmath>

namespace sfx {

float Noise::Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<float>(state_ >> 8) / 8388608.0f - 1.0f;
}

void Biquad::Set(double b0, double b1, double b2, double a0, double a1, double a2) {
    b0_ = b0 / a0;
    b1_ = b1 / a0;
    b2_ = b2 / a0;
    a1_ = a1 / a0;
    a2_ = a2 / a0;
}

void Biquad::LowPass(double hz, double q) {
    double w = kTwoPi * hz / kRate, c = std::cos(w), alpha = std::sin(w) / (2 * q);
    Set((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

void Biquad::HighPass(double hz, double q) {
    double w = kTwoPi * hz / kRate, c = std::cos(w), alpha = std::sin(w) / (2 * q);
    Set((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha);
}

void Biquad::BandPass(double hz, double q) {
    double w = kTwoPi * hz / kRate, c = std::cos(w), alpha = std::sin(w) / (2 * q);
    Set(alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha);
}

float Biquad::Process(float x) {
    double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
    x2_ = x1_;
    x1_ = x;
    y2_ = y1_;
    y1_ = y;
    return static_cast<float>(y);
}

double MidiToHz(double note) {
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

int Frames(double seconds) {
    return static_cast<int>(std::lround(seconds * kRate));
}

double Gate(double t, double attack, double held, double release) {
    if (t < 0) return 0;
    double level = attack > 0 ? std::min(1.0, t / attack) : 1.0;
    if (t <= held) return level;
    double r = (t - held) / release;
    if (r >= 1) return 0;
    return level * 0.5 * (1 + std::cos(kPi * r));
}

namespace {

// Partials above this are left out so nothing folds back below Nyquist.
constexpr double kTopPartial = 14000.0;

double Partial(double hz, double ratio, double t) {
    return hz * ratio < kTopPartial ? std::sin(kTwoPi * hz * ratio * t) : 0.0;
}

// One period of a sum of harmonics, read back at any pitch.
class WaveTable {
public:
    WaveTable(double hz, double tilt) : table_(kSize + 1) {
        for (int k = 1; k * hz < kTopPartial && k <= 16; k++) {
            double amp = 1.0 / std::pow(k, tilt);
            for (int i = 0; i <= kSize; i++) {
                table_[i] += static_cast<float>(amp * std::sin(kTwoPi * k * i / kSize + 0.9 * k));
            }
        }
    }
    float At(double phase) const {  // phase in periods
        double p = (phase - std::floor(phase)) * kSize;
        int i = static_cast<int>(p);
        double f = p - i;
        return static_cast<float>(table_[i] * (1 - f) + table_[i + 1] * f);
    }

private:
    static constexpr int kSize = 4096;
    std::vector<float> table_;
};

}  // namespace

Voice ElectricPiano(double hz, double seconds, double velocity) {
    const double release = 0.4;
    Voice v(Frames(seconds + release));
    for (size_t i = 0; i < v.size(); i++) {
        double t = double(i) / kRate;
        double index = 1.6 * velocity * std::exp(-t / 0.35) + 0.2;
        double carrier = std::sin(kTwoPi * hz * t + index * std::sin(kTwoPi * hz * t));
        double tine = 0.12 * velocity * std::exp(-t / 0.03) * Partial(hz, 7, t);
        double amp = std::exp(-t / 1.6) * Gate(t, 0.003, seconds, release);
        v[i] = static_cast<float>(velocity * amp * (carrier + tine));
    }
    return v;
}

Voice Pad(double hz, double seconds) {
    const double attack = 0.5, release = 1.0;
    const double detune[3] = {0.9965, 1.0, 1.0035};
    WaveTable wave(hz, 1.7);
    Voice v(Frames(seconds + release));
    for (size_t i = 0; i < v.size(); i++) {
        double t = double(i) / kRate;
        double sum = 0;
        for (int d = 0; d < 3; d++) sum += wave.At(hz * detune[d] * t + 0.31 * d);
        v[i] = static_cast<float>(sum / 3 * Gate(t, attack, seconds, release));
    }
    return v;
}

Voice Bass(double hz, double seconds) {
    const double release = 0.06;
    Voice v(Frames(seconds + release));
    for (size_t i = 0; i < v.size(); i++) {
        double t = double(i) / kRate;
        double tone = std::sin(kTwoPi * hz * t) + 0.35 * std::sin(kTwoPi * 2 * hz * t) +
                      0.12 * std::sin(kTwoPi * 3 * hz * t) +
                      0.3 * std::exp(-t / 0.04) * std::sin(kTwoPi * 4 * hz * t);
        v[i] = static_cast<float>(tone * std::exp(-t / 0.9) * Gate(t, 0.004, seconds, release));
    }
    return v;
}

Voice Mallet(double hz, double seconds) {
    const double release = 0.15;
    Voice v(Frames(seconds + release));
    for (size_t i = 0; i < v.size(); i++) {
        double t = double(i) / kRate;
        double tone = std::sin(kTwoPi * hz * t) + 0.3 * std::exp(-t / 0.04) * Partial(hz, 4, t) +
                      0.08 * std::exp(-t / 0.01) * Partial(hz, 10, t);
        v[i] = static_cast<float>(tone * std::exp(-t / 0.45) * Gate(t, 0.002, seconds, release));
    }
    return v;
}

Voice Lead(double hz, double seconds) {
    const double release = 0.12;
    Voice v(Frames(seconds + release));
    double phase = 0;
    for (size_t i = 0; i < v.size(); i++) {
        double t = double(i) / kRate;
        // Vibrato comes in after the attack, as a player would add it.
        double depth = 0.004 * std::clamp((t - 0.15) / 0.3, 0.0, 1.0);
        phase += hz * (1 + depth * std::sin(kTwoPi * 5.5 * t)) / kRate;
        double p = kTwoPi * phase;
        double index = 0.9 + 0.8 * std::exp(-t / 0.08);
        double tone = std::sin(p + index * std::sin(p)) + 0.2 * std::sin(2 * p);
        double amp = (0.75 + 0.25 * std::exp(-t / 0.15)) * Gate(t, 0.015, seconds, release);
        v[i] = static_cast<float>(tone * amp);
    }
    return v;
}

Voice Bell(double hz, double seconds) {
    const double release = 0.25;
    Voice v(Frames(seconds + release));
    for (size_t i = 0; i < v.size(); i++) {
        double t = double(i) / kRate;
        double index = 1.8 * std::exp(-t / 0.25) + 0.3;
        double tone = std::sin(kTwoPi * hz * t + index * std::sin(kTwoPi * 2 * hz * t));
        v[i] = static_cast<float>(tone * std::exp(-t / 0.6) * Gate(t, 0.002, seconds, release));
    }
    return v;
}

Voice Horn(double hz, double seconds, double bendSemitones) {
    const double release = 0.15;
    Voice v(Frames(seconds + release));
    double phase = 0;
    for (size_t i = 0; i < v.size(); i++) {
        double t = double(i) / kRate;
        double held = std::min(t, seconds) / seconds;
        double depth = 0.012 * held;
        double f = hz * std::pow(2.0, -bendSemitones * held * held / 12.0) *
                   (1 + depth * std::sin(kTwoPi * 4.5 * t));
        phase += f / kRate;
        // The tone brightens as the breath swells, then mellows.
        double bright = 0.35 + 0.4 * std::min(1.0, t / 0.06) * std::exp(-t / 0.5);
        double tone = 0, weight = 1;
        for (int k = 1; k <= 10 && k * f < kTopPartial; k++) {
            tone += weight / k * std::sin(kTwoPi * k * phase);
            weight *= bright;
        }
        v[i] = static_cast<float>(tone * Gate(t, 0.03, seconds, release));
    }
    return v;
}

Voice Kick() {
    Voice v(Frames(0.3));
    double phase = 0;
    for (size_t i = 0; i < v.size(); i++) {
        double t = double(i) / kRate;
        phase += (45 + 110 * std::exp(-t / 0.03)) / kRate;
        v[i] = static_cast<float>(std::sin(kTwoPi * phase) * std::exp(-t / 0.16) *
                                  Gate(t, 0.001, 0.25, 0.05));
    }
    return v;
}

Voice Snare(Noise &noise) {
    Voice v(Frames(0.25));
    Biquad band;
    band.BandPass(2500, 0.7);
    for (size_t i = 0; i < v.size(); i++) {
        double t = double(i) / kRate;
        double tone = 0.5 * std::sin(kTwoPi * 185 * t) * std::exp(-t / 0.05);
        double rattle = 1.4 * band.Process(noise.Next()) * std::exp(-t / 0.08);
        v[i] = static_cast<float>((tone + rattle) * Gate(t, 0.001, 0.2, 0.05));
    }
    return v;
}

Voice HiHat(Noise &noise, bool open) {
    const double decay = open ? 0.12 : 0.028, length = open ? 0.35 : 0.1;
    Voice v(Frames(length));
    Biquad high;
    high.HighPass(7000, 0.7);
    for (size_t i = 0; i < v.size(); i++) {
        double t = double(i) / kRate;
        v[i] = static_cast<float>(high.Process(noise.Next()) * std::exp(-t / decay) *
                                  Gate(t, 0.0005, length - 0.03, 0.03));
    }
    return v;
}

void AddAt(Voice &out, const Voice &voice, int start, float gain) {
    if (start < 0) return;
    if (out.size() < start + voice.size()) out.resize(start + voice.size(), 0.0f);
    for (size_t i = 0; i < voice.size(); i++) out[start + i] += gain * voice[i];
}

void Finish(Voice &sound, float peak) {
    const size_t n = sound.size();
    if (n == 0) return;
    // Short fades so the first and last samples are silent whatever the
    // generator left there.
    const size_t fadeIn = std::min<size_t>(n / 4, Frames(0.001));
    const size_t fadeOut = std::min<size_t>(n / 4, Frames(0.004));
    for (size_t i = 0; i < fadeIn; i++) sound[i] *= float(i) / fadeIn;
    for (size_t i = 0; i < fadeOut; i++) sound[n - 1 - i] *= float(i) / fadeOut;
    // The bump 1 - cos over the whole sound has a mean of exactly 1 and is
    // zero at both ends, so subtracting mean * bump removes the offset
    // without a step at either end; at a few hertz it is inaudible.
    double mean = 0;
    for (float s : sound) mean += s;
    mean /= n;
    for (size_t i = 0; i < n; i++) {
        sound[i] -= static_cast<float>(mean * (1 - std::cos(kTwoPi * i / n)));
    }
    float top = 0;
    for (float s : sound) top = std::max(top, std::fabs(s));
    if (top > 0) {
        for (float &s : sound) s *= peak / top;
    }
}

}  // namespace sfx
