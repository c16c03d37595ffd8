#pragma once
// The game's sound effects and background music over SDL_mixer.
//
// Seven numbered effects are played on a few mixing channels and one looping
// music at a time; one volume applies to every effect and one to the music.
// The player's sound and music switches only set those volumes (full or 0):
// nothing is unloaded, so music turned off keeps playing silently and comes
// back where it is when turned on again.
//
// Threads: everything runs on the main thread except SDL_mixer's two hooks,
// which the mixer calls from its audio thread (or from inside a halt call on
// the main thread). The channel slots and the free-channel count are atomics,
// not guarded by a mutex: the channel-finished hook runs while the mixer
// holds SDL's audio lock, and PlaySound calls into the mixer, which takes that
// same lock, so a mutex of ours held around the call would invert the lock
// order and could deadlock. Only the main thread ever fills a slot and the
// hook only empties one, so an atomic exchange per slot is enough.
//
// The mixer forbids calling its functions from its hooks, so the
// music-finished hook only raises a flag; Update(), which the game calls once
// per frame from its main loop, restarts the music when the flag is up.

#include <SDL_mixer.h>

#include <atomic>
#include <map>
#include <string>
#include <vector>

#include "game/Sound.h"

// The effects are numbered by game::Sound.
const int kSoundEffectCount = game::SoundCount;

// Music numbers used by the game.
enum SoundMusic { kMusicMenu = 0, kMusicGame = 1, kMusicCount = 2 };

class SoundManager {
public:
    static constexpr int kMaxChannels = 32;
    // Volumes the settings' switches select when on (0 when off).
    static constexpr int kMusicVolumeOn = 63;
    static constexpr int kSoundVolumeOn = 127;
    // File of every effect and music, indexed by its number.
    static const char *const kEffectFiles[kSoundEffectCount];
    static const char *const kMusicFiles[kMusicCount];

    // The one instance, created on the first call.
    static SoundManager *Instance();
    // Closes and deletes the instance; the next Instance() makes a new one.
    static void DestroyInstance();

    // Opens the audio device (16-bit stereo) at `frequency`, else at 22050 Hz,
    // else with SDL's silent dummy driver, and allocates up to kMaxChannels
    // mixing channels. Returns false only when even the dummy device fails.
    bool Open(int frequency, int chunkSize, int channelCount);
    // Remembers the file of a music; it is loaded only when played.
    void RegisterMusic(const char *path, int number);
    // Loads an effect; a file that cannot be read stores nothing playable.
    // Every sound file (effect or music) must be a regular file that passes
    // CheckWav; a file that is present but refused is reported on standard
    // error, a missing one is silent.
    void LoadSound(const char *path, int number);
    // Registers the game's two musics and loads its seven effects.
    void LoadGameSounds();
    // Replaces the current music by music `number`, looping with a fade-in.
    void PlayMusic(int number);
    // Plays effect `number` on the lowest free channel, or drops it.
    void PlaySound(int number);
    // Volumes 0..128; the effect volume applies to effects started later.
    void SetSoundVolume(int volume);
    void SetMusicVolume(int volume);
    // Applies the settings' music and sound switches to the two volumes.
    void ApplySwitches(bool musicOn, bool soundOn);
    // Main-thread work requested by the hooks; call once per frame.
    void Update();
    // Stops everything, closes the device and forgets every sound.
    void Close();

    // SDL_mixer's hooks, public so the behaviour can be driven directly.
    static void ChannelFinished(int channel);
    static void MusicFinished();

    std::atomic<int> open{0};
    std::map<int, Mix_Chunk *> sounds;
    std::map<int, std::string> musicFiles;
    Mix_Music *music = nullptr;
    // The playing music's file, read whole, and the stream the mixer reads.
    std::vector<uint8_t> musicBytes;
    SDL_RWops *musicStream = nullptr;
    std::atomic<Mix_Chunk *> channels[kMaxChannels] = {};
    int channelCount = 0;
    std::atomic<int> freeChannels{0};
    int soundVolume = MIX_MAX_VOLUME;
    int musicVolume = MIX_MAX_VOLUME;
    // Raised by the music-finished hook, consumed by Update().
    std::atomic<bool> musicEnded{false};

    SoundManager(const SoundManager &) = delete;
    SoundManager &operator=(const SoundManager &) = delete;

private:
    SoundManager() = default;
    ~SoundManager();

    bool OpenDevice(int frequency, int chunkSize);
    void FreeMusic();
    void ReleaseChunk(Mix_Chunk *chunk);
    static bool ReadSoundFile(const char *path, size_t maxBytes, std::vector<uint8_t> *bytes);
};
