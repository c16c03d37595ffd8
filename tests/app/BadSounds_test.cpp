// The check every sound file passes before SDL_mixer sees it, at the edges
// of what it lets through, and the sound manager given files that once
// crashed the program inside SDL's audio conversion.
#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/SoundManager.h"
#include "app/WavCheck.h"

namespace {

struct Wav {
    int encoding = 1, channels = 1, bits = 16;
    uint32_t rate = 22050;
    uint32_t fmtLength = 16;
    std::vector<uint8_t> before;   // chunks ahead of "fmt "
    std::vector<uint8_t> between;  // chunks between "fmt " and "data"
    uint32_t dataLength = 64;      // what the header says
    uint32_t dataBytes = 64;       // what follows it

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> out;
        auto put = [&out](uint32_t v, int n) {
            for (int i = 0; i < n; i++) out.push_back(uint8_t(v >> (8 * i)));
        };
        auto tag = [&out](const char *t) {
            for (int i = 0; i < 4; i++) out.push_back(uint8_t(t[i]));
        };
        tag("RIFF");
        put(0, 4);  // patched below
        tag("WAVE");
        out.insert(out.end(), before.begin(), before.end());
        tag("fmt ");
        put(fmtLength, 4);
        put(uint32_t(encoding), 2), put(uint32_t(channels), 2), put(rate, 4);
        put(rate * uint32_t(channels * bits / 8), 4), put(uint32_t(channels * bits / 8), 2);
        put(uint32_t(bits), 2);
        for (uint32_t i = 16; i < fmtLength; i++) out.push_back(0);
        out.insert(out.end(), between.begin(), between.end());
        tag("data");
        put(dataLength, 4);
        for (uint32_t i = 0; i < dataBytes; i++) out.push_back(uint8_t(i * 37));
        const uint32_t riff = uint32_t(out.size() - 8);
        for (int i = 0; i < 4; i++) out[4 + i] = uint8_t(riff >> (8 * i));
        return out;
    }
};

std::vector<uint8_t> Chunk(const char *id, uint32_t length) {
    std::vector<uint8_t> out;
    for (int i = 0; i < 4; i++) out.push_back(uint8_t(id[i]));
    for (int i = 0; i < 4; i++) out.push_back(uint8_t(length >> (8 * i)));
    out.resize(8 + length, 0);
    return out;
}

bool Passes(const Wav &w, std::string *why = nullptr) {
    std::vector<uint8_t> b = w.Bytes();
    std::string reason;
    bool ok = CheckWav(b.data(), b.size(), nullptr, &reason);
    if (why) *why = reason;
    return ok;
}

void Save(const char *path, const std::vector<uint8_t> &bytes) {
    FILE *f = fopen(path, "wb");
    ASSERT_NE(f, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

}  // namespace

TEST(WavCheck, RangesAreCheckedAtTheirEdges) {
    Wav w;
    EXPECT_TRUE(Passes(w));
    for (int c : {0, 3, 65535}) {
        w = Wav();
        w.channels = c;
        w.dataLength = w.dataBytes = 96;
        std::string why;
        EXPECT_FALSE(Passes(w, &why)) << c;
        EXPECT_EQ(why, "channels (" + std::to_string(c) + ")");
    }
    w = Wav();
    w.channels = 2;
    EXPECT_TRUE(Passes(w));
    for (uint32_t rate : {0u, 1u, 7999u, 96001u, 0xFFFFFFFFu}) {
        w = Wav();
        w.rate = rate;
        EXPECT_FALSE(Passes(w)) << rate;
    }
    for (uint32_t rate : {8000u, 96000u}) {
        w = Wav();
        w.rate = rate;
        EXPECT_TRUE(Passes(w)) << rate;
    }
    for (int bits : {0, 4, 12, 24, 32}) {
        w = Wav();
        w.bits = bits;
        w.dataLength = w.dataBytes = 48;
        EXPECT_FALSE(Passes(w)) << bits;
    }
    w = Wav();
    w.bits = 8;
    w.dataLength = w.dataBytes = 3;  // one byte a frame: any length
    EXPECT_TRUE(Passes(w));
    w = Wav();
    w.encoding = 2;  // ADPCM
    EXPECT_FALSE(Passes(w));
}

TEST(WavCheck, TheSamplesMustLieWithinTheFile) {
    Wav w;
    w.dataLength = 65;  // one byte more than there is
    std::string why;
    EXPECT_FALSE(Passes(w, &why));
    EXPECT_EQ(why, "chunk longer than the file (65)");
    w.dataLength = 0xFFFFFFFF;
    EXPECT_FALSE(Passes(w));
    w = Wav();
    w.dataLength = 62;  // fewer bytes claimed than follow: fine
    EXPECT_TRUE(Passes(w));
    w.dataLength = 63;  // half a 16-bit sample
    EXPECT_FALSE(Passes(w));
    w.dataLength = w.dataBytes = 0;
    EXPECT_FALSE(Passes(w));
    // Cut anywhere inside the header, the file is refused.
    std::vector<uint8_t> whole = Wav().Bytes();
    for (size_t n = 0; n < 45; n++) EXPECT_FALSE(CheckWav(whole.data(), n, nullptr, nullptr)) << n;
    WavFormat f;
    ASSERT_TRUE(CheckWav(whole.data(), whole.size(), &f, nullptr));
    EXPECT_EQ(f.dataOffset, 44u);
    EXPECT_EQ(f.dataLength, 64u);
    EXPECT_EQ(f.rate, 22050);
}

TEST(WavCheck, ChunksAreWalkedTheWaySdlWalksThem) {
    Wav w;
    w.before = Chunk("LIST", 4);  // SDL skips LIST and fact before the format
    EXPECT_TRUE(Passes(w));
    w.before = Chunk("junk", 4);  // but nothing else
    EXPECT_FALSE(Passes(w));
    w.before = Chunk("LIST", 3);  // an odd length would need a pad byte SDL skips not
    EXPECT_FALSE(Passes(w));
    w.before = Chunk("fact", 0);  // SDL fails on an empty read
    EXPECT_FALSE(Passes(w));
    w = Wav();
    w.between = Chunk("cue ", 8);
    EXPECT_TRUE(Passes(w));
    w.between = Chunk("{\0\0\0", 0);  // found by the fuzz target: SDL refuses it
    EXPECT_FALSE(Passes(w));
    w.between = Chunk("fmt ", 16);
    EXPECT_FALSE(Passes(w));
    w.between = Chunk("cue ", 8);
    w.between[5] = 0x10;  // says 4104 bytes: past the end of the file
    EXPECT_FALSE(Passes(w));
    w = Wav();
    w.fmtLength = 14;
    EXPECT_FALSE(Passes(w));
    w.fmtLength = 18;  // the extension-size field some writers add
    EXPECT_TRUE(Passes(w));
    // "WAVE" where the size goes: SDL would read the chunks from offset 8.
    std::vector<uint8_t> odd = Wav().Bytes();
    memcpy(&odd[4], "WAVE", 4);
    EXPECT_FALSE(CheckWav(odd.data(), odd.size(), nullptr, nullptr));
    std::vector<uint8_t> text(100, 'x');
    EXPECT_FALSE(CheckWav(text.data(), text.size(), nullptr, nullptr));
    EXPECT_FALSE(CheckWav(nullptr, 0, nullptr, nullptr));
}

class BadSoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0) << SDL_GetError();
        sm = SoundManager::Instance();
        ASSERT_TRUE(sm->Open(44100, 1024, 4));
    }
    void TearDown() override {
        SoundManager::DestroyInstance();
        SDL_Quit();
    }
    SoundManager *sm = nullptr;
};

TEST_F(BadSoundTest, HeadersThatCrashedSdlAreRefusedAndTheGameGoesOn) {
    Wav zeroChannels, rateZero, rateOne;
    zeroChannels.channels = 0;
    rateZero.rate = 0;
    rateOne.rate = 1;
    Save("zero.wav", zeroChannels.Bytes());
    Save("rate0.wav", rateZero.Bytes());
    Save("rate1.zik", rateOne.Bytes());
    Save("good.wav", Wav().Bytes());
    testing::internal::CaptureStderr();
    sm->LoadSound("zero.wav", 0);
    sm->LoadSound("rate0.wav", 1);
    sm->LoadSound("good.wav", 2);
    sm->LoadSound("missing.wav", 3);
    sm->RegisterMusic("rate1.zik", 0);
    sm->PlayMusic(0);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(sm->sounds[0], nullptr);
    EXPECT_EQ(sm->sounds[1], nullptr);
    EXPECT_NE(sm->sounds[2], nullptr);
    EXPECT_EQ(sm->sounds[3], nullptr);
    EXPECT_EQ(sm->music, nullptr);
    EXPECT_NE(err.find("Cannot play zero.wav: channels (0)\n"), std::string::npos) << err;
    EXPECT_NE(err.find("Cannot play rate0.wav: sample rate (0)\n"), std::string::npos) << err;
    EXPECT_NE(err.find("Cannot play rate1.zik: sample rate (1)\n"), std::string::npos) << err;
    EXPECT_EQ(err.find("missing.wav"), std::string::npos) << err;  // missing is silent
    sm->PlaySound(0);  // nothing to play, nothing happens
    sm->PlaySound(2);
    EXPECT_EQ(sm->freeChannels.load(), 3);
}

TEST_F(BadSoundTest, AFifoOrDeviceInPlaceOfASoundNeitherBlocksNorLoads) {
    alarm(20);
    unlink("pipe.wav");
    ASSERT_EQ(mkfifo("pipe.wav", 0644), 0);
    unlink("zero.zik");
    ASSERT_EQ(symlink("/dev/zero", "zero.zik"), 0);
    testing::internal::CaptureStderr();
    sm->LoadSound("pipe.wav", 0);
    sm->RegisterMusic("zero.zik", 1);
    sm->PlayMusic(1);
    const std::string err = testing::internal::GetCapturedStderr();
    alarm(0);
    EXPECT_EQ(sm->sounds[0], nullptr);
    EXPECT_EQ(sm->music, nullptr);
    EXPECT_NE(err.find("Cannot play pipe.wav: not a regular file"), std::string::npos) << err;
}

TEST_F(BadSoundTest, AGoodMusicStillPlaysFromMemoryAndReplacesCleanly) {
    Wav tune;
    tune.channels = 2;
    tune.dataLength = tune.dataBytes = 44100;
    Save("tune.zik", tune.Bytes());
    sm->RegisterMusic("tune.zik", 0);
    sm->PlayMusic(0);
    ASSERT_NE(sm->music, nullptr);
    EXPECT_TRUE(Mix_PlayingMusic());
    // The file may change under its name while it plays: the mixer reads
    // the copy it was given.
    Save("tune.zik", std::vector<uint8_t>(10, 0));
    SDL_Delay(50);
    sm->PlayMusic(0);  // now refused: the old music is gone, nothing plays
    EXPECT_EQ(sm->music, nullptr);
    EXPECT_TRUE(sm->musicBytes.empty());
}
