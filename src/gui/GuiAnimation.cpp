#include "gui/GuiAnimation.h"

#include <cstring>

#include "gui/GuiManager.h"

namespace gui {

bool GuiEvaluateChannel(const std::vector<GuiKey> &keys, float t, float *value) {
    const size_t n = keys.size();
    if (n == 0) return false;
    size_t i = 0;
    while (i < n && keys[i].time < t) i++;
    if (i == 0) {
        *value = keys[0].value;
        return true;
    }
    if (i == n) {
        *value = keys[n - 1].value;
        return true;
    }
    const GuiKey &p = keys[i - 1];
    const GuiKey &k = keys[i];
    const float span = k.time - p.time;
    // Keys out of order can give an empty segment; it reads as its end.
    const float u = span > 0 ? (t - p.time) / span : 1.0f;
    switch (k.interpolation) {
        case CONSTANT:
            *value = u <= 0.999f ? k.value : p.value;
            return true;
        case LINEAR:
            *value = p.value + u * (k.value - p.value);
            return true;
        case SMOOTH: {
            const float p0 = i >= 2 ? keys[i - 2].value : keys[0].value;
            const float p1 = p.value, p2 = k.value;
            const float p3 = i + 1 < n ? keys[i + 1].value : k.value;
            const float u2 = u * u, u3 = u2 * u;
            *value = 0.5f * ((2 * u2 - u3 - u) * p0 + (3 * u3 - 5 * u2 + 2) * p1 +
                             (4 * u2 - 3 * u3 + u) * p2 + (u3 - u2) * p3);
            return true;
        }
        default:
            return false;
    }
}

uint32_t GuiManager::addAnimation(const GuiAnimation &animation) {
    std::unique_ptr<GuiAnimation> copy(new GuiAnimation(animation));
    copy->id = nextId();
    const uint32_t id = copy->id;
    animations.push_back(std::move(copy));
    return id;
}

GuiAnimation *GuiManager::findAnimation(const char *name) const {
    if (!name) return nullptr;
    for (auto &a : animations) {
        if (GuiNameEquals(a->name, name)) return a.get();
    }
    return nullptr;
}

GuiAnimation *GuiManager::findAnimationById(uint32_t id) const {
    for (auto &a : animations) {
        if (a->id == id) return a.get();
    }
    return nullptr;
}

void GuiManager::startAnimation(uint32_t animationId, uint32_t channel) {
    const GuiAnimation *a = findAnimationById(animationId);
    if (!a) return;
    if (channel != 0) {
        for (GuiPlayback &p : playbacks) {
            if (p.channel == channel) {
                p.queue.push_back(a);
                return;
            }
        }
    }
    GuiPlayback p;
    p.channel = channel;
    p.time = 0;
    p.queue.push_back(a);
    playbacks.push_back(std::move(p));
}

void GuiManager::advancePlaybacks(float dt) {
    size_t i = 0;
    while (i < playbacks.size()) {
        GuiPlayback &p = playbacks[i];
        const GuiAnimation *a = p.queue.front();
        const float t = p.time;
        for (const GuiTrack &track : a->tracks) {
            GuiObject *o = findObjectById(track.objectId);
            if (!o) continue;
            for (int c = 0; c < kChannelCount; c++) {
                float v;
                if (GuiEvaluateChannel(track.keys[c], t, &v)) o->channels[c] = v;
            }
        }
        if (a->duration <= t) {
            p.time -= a->duration;
            if (a->loopMode == 0 || (a->loopMode == 1 && p.queue.size() > 1)) {
                raiseEvent(a->id, EVENT_ANIM_END, 0);
                p.queue.pop_front();
                if (p.queue.empty()) {
                    playbacks.erase(playbacks.begin() + (long)i);
                    continue;
                }
            }
        }
        p.time += dt;
        i++;
    }
}

}  // namespace gui
