#pragma once
// Keyframe animation of object channels. An animation holds one track per
// object it drives; a track holds keys per channel. Playbacks run animations
// on numbered channels: channel 0 always starts an independent run, other
// channels queue animations one after another.

#include <cstdint>
#include <deque>
#include <vector>

namespace gui {

// The animatable values of every object, in their order in GuiObject::channels.
enum GuiChannel : uint32_t {
    TRANSLATION_X = 0,
    TRANSLATION_Y,
    TRANSLATION_Z,
    ROTATION_X,
    ROTATION_Y,
    ROTATION_Z,
    SCALE_X,
    SCALE_Y,
    SCALE_Z,
    COLOR_R,
    COLOR_G,
    COLOR_B,
    COLOR_A,
};
constexpr int kChannelCount = 13;

enum GuiInterpolation : uint32_t { CONSTANT = 0, LINEAR = 1, SMOOTH = 2 };

struct GuiKey {
    float time = 0;              // seconds from the start of the animation
    uint32_t interpolation = 0;  // governs the segment that ends at this key
    float value = 0;
};

struct GuiTrack {
    uint32_t objectId = 0;
    // Keys per channel, in increasing time (nothing sorts them); an empty
    // channel is not animated. Room made for keys not yet given holds zeros.
    std::vector<GuiKey> keys[kChannelCount];
};

// Loop modes: 0 plays once; 1 loops until another animation is queued behind
// it on its channel; anything else loops for ever.
struct GuiAnimation {
    uint32_t id = 0;  // assigned by GuiManager::addAnimation
    char name[64] = {};
    uint32_t loopMode = 0;
    uint32_t trackCount = 0;  // tracks declared; `tracks` holds those made
    float duration = 0;       // seconds
    std::vector<GuiTrack> tracks;
};

// The value of one channel at time t (seconds), or false when the keys leave
// the channel unchanged (no keys, or an unknown interpolation).
bool GuiEvaluateChannel(const std::vector<GuiKey> &keys, float t, float *value);

struct GuiPlayback {
    uint32_t channel = 0;
    float time = 0;
    // Head first: the animation being played, then the ones waiting.
    std::deque<const GuiAnimation *> queue;
};

}  // namespace gui
