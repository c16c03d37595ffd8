#include "app/SoundManager.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/WavCheck.h"
#include "platform/SafeFile.h"

namespace {

// Read by the hooks on the audio thread, hence atomic. The hooks are only
// installed while the device is open, and Close() uninstalls them before the
// instance can go away.
std::atomic<SoundManager *> g_instance{nullptr};

const int kFallbackFrequency = 22050;
const int kMusicFadeInMs = 1000;

}  // namespace

const char *const SoundManager::kEffectFiles[kSoundEffectCount] = {
    "data/sfx/win.wav",   "data/sfx/skip.wav",  "data/sfx/place.wav",  "data/sfx/choose.wav",
    "data/sfx/error.wav", "data/sfx/loose.wav", "data/sfx/pioche.wav",
};

const char *const SoundManager::kMusicFiles[kMusicCount] = {
    "data/sfx/musicmenu.zik",
    "data/sfx/musicjeu1.zik",
};

SoundManager *SoundManager::Instance() {
    SoundManager *instance = g_instance.load();
    if (!instance) {
        instance = new SoundManager();
        g_instance.store(instance);
    }
    return instance;
}

void SoundManager::DestroyInstance() {
    SoundManager *instance = g_instance.load();
    if (!instance) return;
    instance->Close();
    g_instance.store(nullptr);
    delete instance;
}

SoundManager::~SoundManager() {
    Close();
}

bool SoundManager::OpenDevice(int frequency, int chunkSize) {
    if (Mix_OpenAudio(frequency, AUDIO_S16LSB, 2, chunkSize) == 0) return true;
    if (Mix_OpenAudio(kFallbackFrequency, AUDIO_S16LSB, 2, chunkSize) == 0) return true;
    // A machine without a usable sound card still runs the game, silently.
    fprintf(stderr, "Audio device unavailable (%s), playing without sound\n", Mix_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) return false;
    return Mix_OpenAudio(frequency, AUDIO_S16LSB, 2, chunkSize) == 0;
}

bool SoundManager::Open(int frequency, int chunkSize, int channelCount) {
    if (open) return true;  // a second Open would take a second device reference
    if (!OpenDevice(frequency, chunkSize)) return false;
    // The slot array is fixed, so never ask the mixer for more channels.
    int wanted = std::clamp(channelCount, 0, kMaxChannels);
    int granted = std::clamp(Mix_AllocateChannels(wanted), 0, kMaxChannels);
    for (auto &slot : channels) slot.store(nullptr);
    this->channelCount = granted;
    freeChannels.store(granted);
    musicEnded.store(false);
    Mix_ChannelFinished(&SoundManager::ChannelFinished);
    Mix_HookMusicFinished(&SoundManager::MusicFinished);
    Mix_VolumeMusic(musicVolume);
    open.store(1);
    return true;
}

void SoundManager::RegisterMusic(const char *path, int number) {
    musicFiles[number] = path ? path : "";
}

// The file's bytes when it is a sound SDL can play safely. A missing file is
// silent; a file that is there but refused is reported on each attempt to
// load it, so a broken installation can be told from a silent one.
bool SoundManager::ReadSoundFile(const char *path, size_t maxBytes, std::vector<uint8_t> *bytes) {
    bytes->clear();
    if (!path || !*path) return false;
    platform::FileStatus status = platform::ReadRegularFile(path, maxBytes, bytes);
    std::string why;
    if (status == platform::FileOk && CheckWav(bytes->data(), bytes->size(), nullptr, &why))
        return true;
    if (status != platform::FileMissing)
        fprintf(stderr, "Cannot play %s: %s\n", path,
                status == platform::FileOk ? why.c_str() : platform::FileStatusText(status));
    bytes->clear();
    return false;
}

void SoundManager::LoadSound(const char *path, int number) {
    Mix_Chunk *chunk = nullptr;
    std::vector<uint8_t> bytes;
    if (ReadSoundFile(path, kEffectMaxFileSize, &bytes)) {
        // The mixer copies the samples, so the bytes need not outlive this.
        SDL_RWops *file = SDL_RWFromConstMem(bytes.data(), int(bytes.size()));
        if (file) chunk = Mix_LoadWAV_RW(file, 1);
    }
    auto found = sounds.find(number);
    if (found != sounds.end()) {
        ReleaseChunk(found->second);
        found->second = chunk;
    } else {
        sounds[number] = chunk;
    }
}

void SoundManager::LoadGameSounds() {
    for (int i = 0; i < kMusicCount; i++) RegisterMusic(kMusicFiles[i], i);
    for (int i = 0; i < kSoundEffectCount; i++) LoadSound(kEffectFiles[i], i);
}

// Frees a chunk that may still be playing. The mixer silences such channels
// without calling the channel-finished hook, so they are halted first: the
// hook then frees their slots.
void SoundManager::ReleaseChunk(Mix_Chunk *chunk) {
    if (!chunk) return;
    for (int c = 0; c < channelCount; c++) {
        if (channels[c].load() == chunk) {
            Mix_HaltChannel(c);
            ChannelFinished(c);  // in case the mixer had already let it go
        }
    }
    Mix_FreeChunk(chunk);
}

void SoundManager::FreeMusic() {
    if (music) {
        Mix_HaltMusic();
        Mix_FreeMusic(music);
        music = nullptr;
    }
    // The mixer streamed from these until the music was freed.
    if (musicStream) SDL_FreeRW(musicStream);
    musicStream = nullptr;
    std::vector<uint8_t>().swap(musicBytes);
}

void SoundManager::PlayMusic(int number) {
    if (!open) return;
    FreeMusic();
    auto found = musicFiles.find(number);
    // Read whole and checked first; the mixer then streams from memory, so
    // nothing under the file's name can change what it reads.
    if (found != musicFiles.end() &&
        ReadSoundFile(found->second.c_str(), kMusicMaxFileSize, &musicBytes)) {
        musicStream = SDL_RWFromConstMem(musicBytes.data(), int(musicBytes.size()));
        if (musicStream) music = Mix_LoadMUSType_RW(musicStream, MUS_WAV, 0);
        if (!music) FreeMusic();
    }
    // Halting the old music may have raised the flag; it concerns the old one.
    musicEnded.store(false);
    if (!music) return;
    Mix_FadeInMusic(music, -1, kMusicFadeInMs);
}

void SoundManager::PlaySound(int number) {
    if (!open || freeChannels.load() <= 0) return;
    int channel = -1;
    for (int c = 0; c < channelCount && channel < 0; c++) {
        if (!channels[c].load()) channel = c;
    }
    if (channel < 0) return;
    // An unknown number is remembered as silent, like a missing file.
    Mix_Chunk *chunk = sounds[number];
    if (!chunk) return;
    // A free slot whose channel still sounds (its hook was called early) is
    // halted first, so the mixer's late hook cannot free the new effect's slot.
    if (Mix_Playing(channel)) Mix_HaltChannel(channel);
    channels[channel].store(chunk);
    freeChannels.fetch_sub(1);
    Mix_VolumeChunk(chunk, soundVolume);
    if (Mix_PlayChannelTimed(channel, chunk, 0, -1) < 0) {
        ChannelFinished(channel);  // it never started: give the slot back
    }
}

void SoundManager::SetSoundVolume(int volume) {
    soundVolume = std::clamp(volume, 0, MIX_MAX_VOLUME);
}

void SoundManager::SetMusicVolume(int volume) {
    musicVolume = std::clamp(volume, 0, MIX_MAX_VOLUME);
    Mix_VolumeMusic(musicVolume);
}

void SoundManager::ApplySwitches(bool musicOn, bool soundOn) {
    SetMusicVolume(musicOn ? kMusicVolumeOn : 0);
    SetSoundVolume(soundOn ? kSoundVolumeOn : 0);
}

void SoundManager::Update() {
    if (!musicEnded.exchange(false)) return;
    if (!open || !music || Mix_PlayingMusic()) return;
    Mix_RewindMusic();
    Mix_FadeInMusic(music, -1, kMusicFadeInMs);
}

void SoundManager::Close() {
    if (!open) return;
    // No hook may run on a half-closed manager.
    Mix_ChannelFinished(nullptr);
    Mix_HookMusicFinished(nullptr);
    FreeMusic();
    Mix_CloseAudio();
    for (auto &slot : channels) slot.store(nullptr);
    channelCount = 0;
    freeChannels.store(0);
    musicEnded.store(false);
    open.store(0);
    for (auto &entry : sounds) {
        if (entry.second) Mix_FreeChunk(entry.second);
    }
    sounds.clear();
    musicFiles.clear();
}

void SoundManager::ChannelFinished(int channel) {
    SoundManager *self = g_instance.load();
    if (!self || !self->open || channel < 0 || channel >= kMaxChannels) return;
    // Only a slot that held an effect counts as freed, so a repeated or late
    // call never makes more channels free than there are.
    if (self->channels[channel].exchange(nullptr)) self->freeChannels.fetch_add(1);
}

void SoundManager::MusicFinished() {
    SoundManager *self = g_instance.load();
    if (self && self->open) self->musicEnded.store(true);
}
