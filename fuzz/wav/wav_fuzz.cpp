// The sound-file check on arbitrary bytes. What it accepts must describe
// samples inside the file, and must load and play through SDL_mixer (on the
// silent driver) without harm, as effect and as music: that is the whole
// point of the check.
#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/WavCheck.h"

namespace {

void Check(bool condition) {
    if (!condition) abort();
}

bool OpenMixer() {
    static int state = 0;  // 0 not tried, 1 open, -1 unavailable
    if (state == 0) {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        state = SDL_Init(SDL_INIT_AUDIO) == 0 && Mix_OpenAudio(44100, AUDIO_S16LSB, 2, 4096) == 0
                    ? 1
                    : -1;
    }
    return state == 1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    WavFormat format;
    std::string why;
    if (!CheckWav(data, size, &format, &why)) {
        Check(!why.empty());
        return 0;
    }
    Check(format.channels == 1 || format.channels == 2);
    Check(format.bits == 8 || format.bits == 16);
    Check(format.rate >= kWavMinRate && format.rate <= kWavMaxRate);
    Check(format.dataLength > 0 && format.dataOffset <= size &&
          format.dataLength <= size - format.dataOffset);
    Check(format.dataLength % (size_t(format.channels) * format.bits / 8) == 0);
    // Long inputs would only slow the search down in the mixer's conversion.
    if (size > (1 << 16) || !OpenMixer()) return 0;
    Mix_Chunk *chunk = Mix_LoadWAV_RW(SDL_RWFromConstMem(data, int(size)), 1);
    Check(chunk != nullptr);
    Mix_FreeChunk(chunk);
    SDL_RWops *rw = SDL_RWFromConstMem(data, int(size));
    Mix_Music *music = Mix_LoadMUSType_RW(rw, MUS_WAV, 0);
    Check(music != nullptr);
    Mix_FreeMusic(music);
    SDL_FreeRW(rw);
    return 0;
}
