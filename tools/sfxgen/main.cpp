// sfxgen: synthesizes the game's sound effects and musics.
//
//   sfxgen [OUTPUT_DIR]     (default "data/sfx")
//
// Writes 16-bit PCM WAV files: seven mono effects and two stereo music loops
// (the ".zik" files are WAV too; the mixer recognises them by content).
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "Effects.h"
#include "Music.h"
#include "Wav.h"

namespace {

bool WriteEffect(const std::string &dir, const char *name, const sfx::Voice &voice) {
    sfx::Sound sound;
    sound.samples = voice;
    return sfx::WriteWav(dir + "/" + name, sound);
}

}  // namespace

int main(int argc, char **argv) {
    const std::string dir = argc > 1 ? argv[1] : "data/sfx";
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        fprintf(stderr, "sfxgen: cannot create %s: %s\n", dir.c_str(), error.message().c_str());
        return 1;
    }
    bool ok = WriteEffect(dir, "win.wav", sfx::MakeWin()) &&
              WriteEffect(dir, "skip.wav", sfx::MakeSkip()) &&
              WriteEffect(dir, "place.wav", sfx::MakePlace()) &&
              WriteEffect(dir, "choose.wav", sfx::MakeChoose()) &&
              WriteEffect(dir, "error.wav", sfx::MakeError()) &&
              WriteEffect(dir, "loose.wav", sfx::MakeLoose()) &&
              WriteEffect(dir, "pioche.wav", sfx::MakePioche()) &&
              sfx::WriteWav(dir + "/musicmenu.zik", sfx::MakeMenuMusic()) &&
              sfx::WriteWav(dir + "/musicjeu1.zik", sfx::MakeGameMusic());
    return ok ? 0 : 1;
}
