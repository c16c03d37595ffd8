// The generated effects and musics: the mixer accepts them, and measured
// sample by sample they are clean (no clipping, no offset, no click at the
// ends or at the loop point), of sensible length, and the musics are tonal.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/SoundManager.h"

namespace {

struct Pcm {
    bool ok = false;
    int format = 0, channels = 0, rate = 0, bits = 0;
    std::vector<int16_t> samples;  // interleaved

    size_t Frames() const { return channels ? samples.size() / channels : 0; }
    double Seconds() const { return rate ? double(Frames()) / rate : 0; }
    int At(size_t frame, int channel) const { return samples[frame * channels + channel]; }
};

uint32_t Le(const std::vector<uint8_t> &b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; i--) v = (v << 8) | b[at + i];
    return v;
}

// Reads a RIFF WAVE file chunk by chunk, independently of the generator.
Pcm ReadWav(const std::string &path) {
    Pcm pcm;
    FILE *file = fopen(path.c_str(), "rb");
    if (!file) return pcm;
    std::vector<uint8_t> b;
    for (int c; (c = fgetc(file)) != EOF;) b.push_back(static_cast<uint8_t>(c));
    fclose(file);
    if (b.size() < 12 || memcmp(b.data(), "RIFF", 4) || memcmp(b.data() + 8, "WAVE", 4)) {
        return pcm;
    }
    bool haveFormat = false;
    for (size_t at = 12; at + 8 <= b.size();) {
        uint32_t size = Le(b, at + 4, 4);
        if (at + 8 + size > b.size()) return pcm;
        if (!memcmp(b.data() + at, "fmt ", 4) && size >= 16) {
            pcm.format = Le(b, at + 8, 2);
            pcm.channels = Le(b, at + 10, 2);
            pcm.rate = Le(b, at + 12, 4);
            pcm.bits = Le(b, at + 22, 2);
            haveFormat = true;
        } else if (!memcmp(b.data() + at, "data", 4) && haveFormat && pcm.bits == 16) {
            for (uint32_t i = 0; i + 1 < size; i += 2) {
                pcm.samples.push_back(static_cast<int16_t>(Le(b, at + 8 + i, 2)));
            }
            pcm.ok = pcm.channels > 0 && pcm.samples.size() % pcm.channels == 0;
        }
        at += 8 + size + (size & 1);
    }
    return pcm;
}

const int kHeadroom = 32000;   // peaks stay at least 0.2 dB below full scale
const double kMaxOffset = 33;  // mean within 0.1 % of full scale

void ExpectClean(const Pcm &pcm, const std::string &name) {
    int peak = 0;
    for (int16_t s : pcm.samples) peak = std::max(peak, std::abs(int(s)));
    EXPECT_LT(peak, kHeadroom) << name;
    EXPECT_GT(peak, 3000) << name << " is nearly silent";
    for (int c = 0; c < pcm.channels; c++) {
        double sum = 0;
        for (size_t f = 0; f < pcm.Frames(); f++) sum += pcm.At(f, c);
        EXPECT_LT(std::fabs(sum / pcm.Frames()), kMaxOffset) << name << " channel " << c;
    }
}

class SoundAssets : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0);
        ASSERT_TRUE(SoundManager::Instance()->Open(44100, 1024, 4));
    }
    void TearDown() override {
        SoundManager::DestroyInstance();
        SDL_Quit();
    }
};

TEST_F(SoundAssets, EffectsAreShortClean16BitSounds) {
    for (const char *path : SoundManager::kEffectFiles) {
        SCOPED_TRACE(path);
        Pcm pcm = ReadWav(path);
        ASSERT_TRUE(pcm.ok);
        EXPECT_EQ(pcm.format, 1);
        EXPECT_EQ(pcm.bits, 16);
        EXPECT_EQ(pcm.rate, 44100);
        EXPECT_GE(pcm.Seconds(), 0.05);
        EXPECT_LE(pcm.Seconds(), 2.0);
        ExpectClean(pcm, path);
        // Starting and stopping from silence: no click at either end.
        for (int c = 0; c < pcm.channels; c++) {
            EXPECT_LT(std::abs(pcm.At(0, c)), 64);
            EXPECT_LT(std::abs(pcm.At(pcm.Frames() - 1, c)), 64);
        }

        Mix_Chunk *chunk = Mix_LoadWAV(path);
        ASSERT_NE(chunk, nullptr) << Mix_GetError();
        Mix_FreeChunk(chunk);
    }
}

// Power of a windowed frame at one frequency (Goertzel).
double PowerAt(const std::vector<float> &frame, double hz, int rate) {
    double w = 2 * M_PI * hz / rate, k = 2 * std::cos(w), s1 = 0, s2 = 0;
    for (float x : frame) {
        double s = x + k * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    return s1 * s1 + s2 * s2 - k * s1 * s2;
}

// Share of the energy between A3 and C7 that falls on the notes of the
// best-fitting major scale, the rest counting the other notes and the
// quarter tones between notes. Noise scores about a third; a tune in a key,
// most of it.
double ShareInKey(const Pcm &pcm) {
    const int size = 8192;
    std::vector<double> pitchClass(12, 0.0);
    double between = 0;
    std::vector<float> frame(size);
    for (size_t start = 0; start + size <= pcm.Frames(); start += size) {
        for (int i = 0; i < size; i++) {
            double mono = 0;
            for (int c = 0; c < pcm.channels; c++) mono += pcm.At(start + i, c);
            frame[i] = static_cast<float>(mono * (0.5 - 0.5 * std::cos(2 * M_PI * i / size)));
        }
        for (int note = 57; note <= 96; note++) {
            double hz = 440 * std::pow(2.0, (note - 69) / 12.0);
            pitchClass[note % 12] += PowerAt(frame, hz, pcm.rate);
            between += PowerAt(frame, hz * std::pow(2.0, 0.5 / 12), pcm.rate);
        }
    }
    double total = between, best = 0;
    for (double p : pitchClass) total += p;
    const int major[7] = {0, 2, 4, 5, 7, 9, 11};
    for (int tonic = 0; tonic < 12; tonic++) {
        double in = 0;
        for (int step : major) in += pitchClass[(tonic + step) % 12];
        best = std::max(best, in);
    }
    return total > 0 ? best / total : 0;
}

// The key measure itself must tell music from noise, or the check below
// would prove nothing.
TEST(SoundAnalysis, ShareInKeyTellsAChordFromNoise) {
    Pcm chord, noise;
    chord.channels = noise.channels = 1;
    chord.rate = noise.rate = 44100;
    uint32_t state = 12345;
    for (int i = 0; i < 44100 * 2; i++) {
        double t = double(i) / 44100, s = 0;
        for (int note : {60, 64, 67, 72})
            s += std::sin(2 * M_PI * 440 * std::pow(2.0, (note - 69) / 12.0) * t);
        chord.samples.push_back(static_cast<int16_t>(s * 6000));
        state = state * 1664525u + 1013904223u;
        noise.samples.push_back(static_cast<int16_t>(int(state >> 16) - 32768));
    }
    EXPECT_GT(ShareInKey(chord), 0.9);
    EXPECT_LT(ShareInKey(noise), 0.5);
}

TEST_F(SoundAssets, MusicsAreLongSeamlessTonalLoops) {
    for (const char *path : SoundManager::kMusicFiles) {
        SCOPED_TRACE(path);
        Pcm pcm = ReadWav(path);
        ASSERT_TRUE(pcm.ok);
        EXPECT_EQ(pcm.format, 1);
        EXPECT_EQ(pcm.bits, 16);
        EXPECT_GE(pcm.Seconds(), 30.0);
        ExpectClean(pcm, path);

        // At the loop point the wave goes on as it would between any two
        // samples: the step from the last sample to the first, and its change
        // of slope, are no larger than the steps inside the music.
        const size_t n = pcm.Frames();
        for (int c = 0; c < pcm.channels; c++) {
            std::vector<int> steps, bends;
            for (size_t f = 2; f < n; f++) {
                steps.push_back(std::abs(pcm.At(f, c) - pcm.At(f - 1, c)));
                bends.push_back(std::abs(pcm.At(f, c) - 2 * pcm.At(f - 1, c) + pcm.At(f - 2, c)));
            }
            auto percentile = [](std::vector<int> v, double q) {
                std::nth_element(v.begin(), v.begin() + size_t(q * (v.size() - 1)), v.end());
                return v[size_t(q * (v.size() - 1))];
            };
            int seamStep = std::abs(pcm.At(0, c) - pcm.At(n - 1, c));
            int seamBend = std::abs(pcm.At(0, c) - 2 * pcm.At(n - 1, c) + pcm.At(n - 2, c));
            EXPECT_LE(seamStep, percentile(steps, 0.99)) << "channel " << c;
            EXPECT_LE(seamBend, percentile(bends, 0.99)) << "channel " << c;
        }

        EXPECT_GT(ShareInKey(pcm), 0.85);

        Mix_Music *music = Mix_LoadMUS(path);
        ASSERT_NE(music, nullptr) << Mix_GetError();
        EXPECT_EQ(Mix_GetMusicType(music), MUS_WAV);
        Mix_FreeMusic(music);
    }
}

TEST_F(SoundAssets, GameSoundsAllLoadAndTheMenuMusicStarts) {
    SoundManager *sm = SoundManager::Instance();
    sm->LoadGameSounds();
    ASSERT_EQ(sm->sounds.size(), size_t(kSoundEffectCount));
    for (const auto &entry : sm->sounds) EXPECT_NE(entry.second, nullptr) << entry.first;
    EXPECT_EQ(sm->musicFiles[kMusicGame], "data/sfx/musicjeu1.zik");
    sm->PlayMusic(kMusicMenu);
    EXPECT_NE(sm->music, nullptr);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    sm->PlaySound(game::SoundPlace);
    EXPECT_EQ(sm->channels[0].load(), sm->sounds[game::SoundPlace]);
}

}  // namespace
