// The sound manager against the real SDL_mixer on SDL's dummy driver, whose
// audio thread mixes in real time and calls the hooks as on a real device.
#include "app/SoundManager.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

// Writes a 16-bit mono 44.1 kHz sine tone.
void WriteTone(const char *path, double seconds, double hz) {
    const int rate = 44100;
    const uint32_t frames = static_cast<uint32_t>(seconds * rate);
    std::vector<uint8_t> out;
    auto put = [&out](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; i++) out.push_back((v >> (8 * i)) & 0xff);
    };
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    put(36 + frames * 2, 4);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put(16, 4), put(1, 2), put(1, 2), put(rate, 4), put(rate * 2, 4), put(2, 2), put(16, 2);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put(frames * 2, 4);
    for (uint32_t i = 0; i < frames; i++) {
        double s = 0.5 * std::sin(2 * M_PI * hz * i / rate);
        put(static_cast<uint16_t>(static_cast<int16_t>(s * 32767)), 2);
    }
    FILE *file = fopen(path, "wb");
    ASSERT_NE(file, nullptr);
    fwrite(out.data(), 1, out.size(), file);
    fclose(file);
}

// Loudest sample the mixer sent to the device since the last reset.
std::atomic<int> g_outputPeak{0};

void MeasurePeak(void *, Uint8 *stream, int len) {
    const Sint16 *s = reinterpret_cast<const Sint16 *>(stream);
    int peak = 0;
    for (int i = 0; i < len / 2; i++) peak = std::max(peak, std::abs(int(s[i])));
    if (peak > g_outputPeak.load()) g_outputPeak.store(peak);
}

// Output peak over `ms` milliseconds of real mixing.
int PeakOver(int ms) {
    g_outputPeak.store(0);
    SDL_Delay(ms);
    return g_outputPeak.load();
}

// Everything the mixer sends to the device, for tests that look at the wave.
const int kCaptureSize = 44100 * 2 * 4;
std::vector<Sint16> g_capture(kCaptureSize);
std::atomic<int> g_captured{0};

void Capture(void *, Uint8 *stream, int len) {
    const Sint16 *s = reinterpret_cast<const Sint16 *>(stream);
    int at = g_captured.load();
    int n = std::min(len / 2, kCaptureSize - at);
    std::copy(s, s + n, g_capture.begin() + at);
    g_captured.store(at + n);
}

template <typename Condition>
bool WaitFor(Condition condition, int ms = 3000) {
    for (int waited = 0; waited < ms; waited += 10) {
        if (condition()) return true;
        SDL_Delay(10);
    }
    return condition();
}

class SoundManagerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WriteTone("long.wav", 3.0, 440);
        WriteTone("other.wav", 3.0, 660);
        WriteTone("short.wav", 0.03, 880);
        WriteTone("tune.wav", 2.0, 330);
        WriteTone("cycle.wav", 0.5, 440);  // exactly 220 periods
    }

    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
        sm = SoundManager::Instance();
        ASSERT_TRUE(sm->Open(44100, 1024, 4));
        Mix_SetPostMix(MeasurePeak, nullptr);
    }

    void TearDown() override {
        SoundManager::DestroyInstance();
        SDL_Quit();
    }

    int CountSlotsHolding(Mix_Chunk *chunk) const {
        int n = 0;
        for (int c = 0; c < sm->channelCount; c++) n += sm->channels[c].load() == chunk;
        return n;
    }

    // Every slot that holds an effect is a channel that is playing, and the
    // free count is the number of empty slots.
    void ExpectConsistent() const {
        EXPECT_EQ(sm->freeChannels.load(), CountSlotsHolding(nullptr));
        for (int c = 0; c < sm->channelCount; c++) {
            if (sm->channels[c].load()) {
                EXPECT_TRUE(Mix_Playing(c)) << "channel " << c;
            }
        }
    }

    SoundManager *sm = nullptr;
};

TEST_F(SoundManagerTest, OpenGrantsStereo16BitDeviceAndChannels) {
    EXPECT_EQ(sm->open.load(), 1);
    EXPECT_EQ(sm->channelCount, 4);
    EXPECT_EQ(sm->freeChannels.load(), 4);
    int frequency = 0, channels = 0;
    Uint16 format = 0;
    ASSERT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 1);
    EXPECT_EQ(format, AUDIO_S16LSB);
    EXPECT_EQ(channels, 2);
    // Opening again while open keeps the device and its channels as they are.
    EXPECT_TRUE(sm->Open(22050, 1024, 8));
    EXPECT_EQ(sm->channelCount, 4);

    // More channels than the slot array can track are never granted.
    sm->Close();
    ASSERT_TRUE(sm->Open(44100, 1024, 100));
    EXPECT_EQ(sm->channelCount, SoundManager::kMaxChannels);
    EXPECT_EQ(Mix_AllocateChannels(-1), SoundManager::kMaxChannels);
}

TEST_F(SoundManagerTest, FifthEffectWhileFourPlayIsDropped) {
    sm->LoadSound("long.wav", 0);
    sm->LoadSound("other.wav", 1);
    Mix_Chunk *first = sm->sounds[0], *fifth = sm->sounds[1];
    ASSERT_NE(first, nullptr);
    ASSERT_NE(fifth, nullptr);
    for (int i = 0; i < 4; i++) sm->PlaySound(0);
    EXPECT_EQ(sm->freeChannels.load(), 0);
    EXPECT_EQ(CountSlotsHolding(first), 4);
    EXPECT_EQ(Mix_Playing(-1), 4);

    sm->PlaySound(1);
    EXPECT_EQ(CountSlotsHolding(fifth), 0);
    EXPECT_EQ(sm->freeChannels.load(), 0);
    EXPECT_EQ(Mix_Playing(-1), 4);
    ExpectConsistent();
}

TEST_F(SoundManagerTest, ChannelFinishedHookFreesItsSlot) {
    sm->LoadSound("long.wav", 0);
    sm->LoadSound("other.wav", 1);
    Mix_Chunk *other = sm->sounds[1];
    for (int i = 0; i < 4; i++) sm->PlaySound(0);

    // Halting makes the mixer call the hook itself; the lowest free channel
    // is the next one used.
    Mix_HaltChannel(2);
    EXPECT_EQ(sm->channels[2].load(), nullptr);
    EXPECT_EQ(sm->freeChannels.load(), 1);
    sm->PlaySound(1);
    EXPECT_EQ(sm->channels[2].load(), other);
    EXPECT_EQ(sm->freeChannels.load(), 0);

    // Called from another thread, as the audio thread would, and repeated:
    // a slot is freed once only.
    std::thread([] { SoundManager::ChannelFinished(0); }).join();
    std::thread([] { SoundManager::ChannelFinished(0); }).join();
    EXPECT_EQ(sm->channels[0].load(), nullptr);
    EXPECT_EQ(sm->freeChannels.load(), 1);
    // Channel numbers outside the slot array are ignored.
    SoundManager::ChannelFinished(-1);
    SoundManager::ChannelFinished(SoundManager::kMaxChannels);
    SoundManager::ChannelFinished(1 << 20);
    EXPECT_EQ(sm->freeChannels.load(), 1);

    // Channel 0 still sounded when its hook came early; reusing it must not
    // let that late sound free the new effect's slot.
    sm->PlaySound(1);
    EXPECT_EQ(sm->channels[0].load(), other);
    EXPECT_EQ(sm->freeChannels.load(), 0);
    ExpectConsistent();
}

TEST_F(SoundManagerTest, EffectsEndingOnTheAudioThreadGiveTheirChannelsBack) {
    sm->LoadSound("short.wav", 6);
    ASSERT_NE(sm->sounds[6], nullptr);
    int highest = 0;
    for (int round = 0; round < 60; round++) {
        sm->PlaySound(6);
        highest = std::max(highest, sm->freeChannels.load());
        if (round % 3 == 0) SDL_Delay(5);
    }
    EXPECT_LE(highest, 4);
    EXPECT_TRUE(WaitFor([&] { return sm->freeChannels.load() == 4; }));
    EXPECT_EQ(CountSlotsHolding(nullptr), 4);
    EXPECT_EQ(Mix_Playing(-1), 0);
}

TEST_F(SoundManagerTest, UnknownNumbersAndMissingFilesAreSilent) {
    testing::internal::CaptureStderr();
    sm->LoadSound("data/sfx/absent.wav", 2);
    sm->LoadSound(nullptr, 3);
    sm->RegisterMusic("data/sfx/absent.zik", 0);
    sm->PlaySound(2);
    sm->PlaySound(3);
    sm->PlaySound(99);
    sm->PlaySound(-7);
    sm->PlayMusic(0);
    sm->PlayMusic(42);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

    EXPECT_EQ(sm->sounds.count(2), 1u);
    EXPECT_EQ(sm->sounds[2], nullptr);
    EXPECT_EQ(sm->freeChannels.load(), 4);
    EXPECT_EQ(CountSlotsHolding(nullptr), 4);
    EXPECT_EQ(Mix_Playing(-1), 0);
    EXPECT_EQ(sm->music, nullptr);
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    EXPECT_EQ(PeakOver(150), 0);
}

TEST_F(SoundManagerTest, MusicOffKeepsPlayingSilentlyAndComesBackWithoutRestart) {
    sm->RegisterMusic("tune.wav", 0);
    sm->ApplySwitches(true, true);
    sm->PlayMusic(0);
    ASSERT_NE(sm->music, nullptr);
    Mix_Music *playing = sm->music;
    SDL_Delay(1100);  // past the fade-in
    const int full = PeakOver(200);
    EXPECT_GT(full, 1000);

    sm->ApplySwitches(false, true);
    EXPECT_EQ(Mix_VolumeMusic(-1), 0);
    EXPECT_EQ(PeakOver(300), 0);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    EXPECT_EQ(sm->music, playing);

    sm->ApplySwitches(true, true);
    EXPECT_EQ(Mix_VolumeMusic(-1), SoundManager::kMusicVolumeOn);
    // At full level at once: a restart would fade in from silence over a second.
    EXPECT_GT(PeakOver(150), full * 8 / 10);
    EXPECT_EQ(sm->music, playing);
    EXPECT_EQ(Mix_PlayingMusic(), 1);
}

// Musics are plain WAV files: the mixer must loop them without a gap or a
// step, so a seamless file is heard seamless.
TEST_F(SoundManagerTest, WavMusicLoopsWithoutAGap) {
    sm->RegisterMusic("cycle.wav", 0);
    sm->PlayMusic(0);
    ASSERT_NE(sm->music, nullptr);
    SDL_Delay(1100);  // past the fade-in
    g_captured.store(0);
    Mix_SetPostMix(Capture, nullptr);
    ASSERT_TRUE(WaitFor([] { return g_captured.load() >= 44100 * 2 * 2; }, 5000));
    Mix_SetPostMix(nullptr, nullptr);

    // The tone changes by at most 2 pi 440 / 44100 of its amplitude per
    // sample; a gap or a jump at a loop point would change far more.
    const int frames = g_captured.load() / 2;
    int peak = 0, largestStep = 0;
    for (int f = 1; f < frames; f++) {
        for (int c = 0; c < 2; c++) {
            int now = g_capture[2 * f + c], before = g_capture[2 * (f - 1) + c];
            peak = std::max(peak, std::abs(now));
            largestStep = std::max(largestStep, std::abs(now - before));
        }
    }
    ASSERT_GT(peak, 4000);
    EXPECT_LT(largestStep, peak * 2 * M_PI * 440 / 44100 * 1.2);
    // Nor does it fall silent anywhere: every 5 ms holds a near-peak sample.
    for (int f = 0; f + 220 <= frames; f += 220) {
        int windowPeak = 0;
        for (int i = 0; i < 220 * 2; i++)
            windowPeak = std::max(windowPeak, std::abs(int(g_capture[2 * f + i])));
        ASSERT_GT(windowPeak, peak * 9 / 10) << "at frame " << f;
    }
}

TEST_F(SoundManagerTest, VolumesFollowTheSwitchesAndStayInRange) {
    sm->LoadSound("long.wav", 0);
    Mix_Chunk *chunk = sm->sounds[0];
    sm->ApplySwitches(true, false);
    EXPECT_EQ(sm->soundVolume, 0);
    EXPECT_EQ(sm->musicVolume, SoundManager::kMusicVolumeOn);
    sm->PlaySound(0);
    EXPECT_EQ(chunk->volume, 0);
    EXPECT_EQ(PeakOver(150), 0);

    // The effect volume applies to effects started afterwards.
    sm->ApplySwitches(false, true);
    EXPECT_EQ(sm->soundVolume, SoundManager::kSoundVolumeOn);
    EXPECT_EQ(sm->musicVolume, 0);
    sm->PlaySound(0);
    EXPECT_EQ(chunk->volume, SoundManager::kSoundVolumeOn);
    EXPECT_GT(PeakOver(150), 1000);

    sm->SetSoundVolume(500);
    EXPECT_EQ(sm->soundVolume, MIX_MAX_VOLUME);
    sm->SetMusicVolume(-3);
    EXPECT_EQ(sm->musicVolume, 0);
    EXPECT_EQ(Mix_VolumeMusic(-1), 0);
}

TEST_F(SoundManagerTest, EndedMusicRestartsOnlyFromUpdate) {
    sm->RegisterMusic("tune.wav", 1);
    sm->PlayMusic(1);
    Mix_Music *music = sm->music;
    ASSERT_NE(music, nullptr);
    Mix_HaltMusic();
    sm->musicEnded.store(false);
    // Nothing to do without the hook's request.
    sm->Update();
    EXPECT_EQ(Mix_PlayingMusic(), 0);

    // The hook only records the end; the main thread restarts the music.
    std::thread([] { SoundManager::MusicFinished(); }).join();
    EXPECT_TRUE(sm->musicEnded.load());
    EXPECT_EQ(Mix_PlayingMusic(), 0);
    sm->Update();
    EXPECT_FALSE(sm->musicEnded.load());
    EXPECT_EQ(Mix_PlayingMusic(), 1);
    EXPECT_EQ(sm->music, music);

    // A request left over from the previous music does not concern the next.
    SoundManager::MusicFinished();
    sm->PlayMusic(1);
    EXPECT_FALSE(sm->musicEnded.load());
}

TEST_F(SoundManagerTest, ReplacingAPlayingEffectFreesItsChannels) {
    sm->LoadSound("long.wav", 0);
    sm->PlaySound(0);
    sm->PlaySound(0);
    EXPECT_EQ(sm->freeChannels.load(), 2);
    sm->LoadSound("other.wav", 0);
    EXPECT_EQ(sm->freeChannels.load(), 4);
    EXPECT_EQ(Mix_Playing(-1), 0);
    sm->PlaySound(0);
    EXPECT_EQ(sm->channels[0].load(), sm->sounds[0]);
    ExpectConsistent();
}

TEST_F(SoundManagerTest, CloseThenOpenAgain) {
    sm->LoadSound("long.wav", 0);
    sm->RegisterMusic("tune.wav", 0);
    sm->PlayMusic(0);
    sm->PlaySound(0);
    sm->PlaySound(0);
    sm->Close();
    EXPECT_EQ(sm->open.load(), 0);
    EXPECT_TRUE(sm->sounds.empty());
    EXPECT_TRUE(sm->musicFiles.empty());
    EXPECT_EQ(sm->music, nullptr);
    EXPECT_EQ(sm->freeChannels.load(), 0);
    int frequency;
    Uint16 format;
    int channels;
    EXPECT_EQ(Mix_QuerySpec(&frequency, &format, &channels), 0);
    // Closed: nothing plays, a late hook changes nothing, closing again is harmless.
    sm->PlaySound(0);
    sm->PlayMusic(0);
    SoundManager::ChannelFinished(0);
    EXPECT_EQ(sm->freeChannels.load(), 0);
    sm->Close();

    ASSERT_TRUE(sm->Open(44100, 1024, 4));
    EXPECT_EQ(sm->freeChannels.load(), 4);
    EXPECT_EQ(CountSlotsHolding(nullptr), 4);
    sm->LoadSound("long.wav", 0);
    sm->PlaySound(0);
    EXPECT_NE(sm->channels[0].load(), nullptr);
    EXPECT_EQ(Mix_Playing(0), 1);
    ExpectConsistent();

    // A destroyed instance is replaced by a fresh one at full volumes.
    sm->SetSoundVolume(10);
    SoundManager::DestroyInstance();
    sm = SoundManager::Instance();
    EXPECT_EQ(sm->open.load(), 0);
    EXPECT_EQ(sm->soundVolume, MIX_MAX_VOLUME);
    EXPECT_EQ(sm->musicVolume, MIX_MAX_VOLUME);
}

TEST(SoundManagerDevice, FallsBackToTheSilentDriverWhenNoDeviceOpens) {
    const char *saved = getenv("SDL_AUDIODRIVER");
    std::string previous = saved ? saved : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0);
    char name[32] = "";
    ASSERT_EQ(SDL_AudioDriverName(name, sizeof name), nullptr);  // really no device

    testing::internal::CaptureStderr();
    SoundManager *sm = SoundManager::Instance();
    bool opened = sm->Open(44100, 1024, 4);
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(opened);
    EXPECT_NE(message.find("Audio device unavailable"), std::string::npos) << message;
    ASSERT_NE(SDL_AudioDriverName(name, sizeof name), nullptr);
    EXPECT_STREQ(name, "dummy");
    EXPECT_EQ(sm->freeChannels.load(), 4);

    SoundManager::DestroyInstance();
    SDL_Quit();
    if (saved) {
        setenv("SDL_AUDIODRIVER", previous.c_str(), 1);
    } else {
        unsetenv("SDL_AUDIODRIVER");
    }
}

TEST(SoundManagerDevice, NothingHappensBeforeOpen) {
    SoundManager *sm = SoundManager::Instance();
    sm->RegisterMusic("tune.wav", 0);
    sm->PlayMusic(0);
    sm->PlaySound(0);
    sm->Update();
    EXPECT_EQ(sm->music, nullptr);
    EXPECT_EQ(sm->freeChannels.load(), 0);
    SoundManager::DestroyInstance();
}

}  // namespace
