// Keyframe evaluation and playback timing.
#include <gtest/gtest.h>

#include <cstring>

#include "gui/GuiManager.h"

using namespace gui;

namespace {

std::vector<GuiKey> Keys(std::initializer_list<GuiKey> k) { return std::vector<GuiKey>(k); }

float At(const std::vector<GuiKey> &keys, float t) {
    float v = -12345;
    EXPECT_TRUE(GuiEvaluateChannel(keys, t, &v));
    return v;
}

// An animation moving one object's x from 0 to 10 over `duration` seconds.
GuiAnimation Slide(uint32_t objectId, const char *name, float duration, uint32_t loopMode) {
    GuiAnimation a;
    std::strncpy(a.name, name, sizeof(a.name) - 1);
    a.duration = duration;
    a.loopMode = loopMode;
    a.trackCount = 1;
    GuiTrack t;
    t.objectId = objectId;
    t.keys[TRANSLATION_X] = Keys({{0, LINEAR, 0}, {duration, LINEAR, 10}});
    a.tracks.push_back(t);
    return a;
}

int Ends(GuiManager &m, uint32_t id) {
    int n = 0;
    for (const GuiEvent &e : m.pendingEvents) n += e.id == id && e.kind == EVENT_ANIM_END;
    return n;
}

}  // namespace

TEST(GuiKeys, LinearAndConstantSegments) {
    auto linear = Keys({{0, LINEAR, 0}, {2, LINEAR, 10}});
    EXPECT_FLOAT_EQ(At(linear, -1), 0);
    EXPECT_FLOAT_EQ(At(linear, 1), 5);
    EXPECT_FLOAT_EQ(At(linear, 2), 10);
    EXPECT_FLOAT_EQ(At(linear, 3), 10);
    auto constant = Keys({{0, LINEAR, 0}, {2, CONSTANT, 10}});
    EXPECT_FLOAT_EQ(At(constant, 0), 0);
    EXPECT_FLOAT_EQ(At(constant, 0.001f), 10);
    EXPECT_FLOAT_EQ(At(constant, 1.99f), 10);
    EXPECT_FLOAT_EQ(At(constant, 1.999f), 0);
    EXPECT_FLOAT_EQ(At(constant, 2), 0);
    EXPECT_FLOAT_EQ(At(constant, 2.01f), 10);
    float v = 7;
    EXPECT_FALSE(GuiEvaluateChannel({}, 1, &v));
    EXPECT_FALSE(GuiEvaluateChannel(Keys({{0, LINEAR, 0}, {1, 9, 5}}), 0.5f, &v));
    EXPECT_FLOAT_EQ(v, 7);
}

TEST(GuiKeys, SmoothIsCatmullRomThroughTheNeighbours) {
    // Middle segment of four keys: p0..p3 = 0, 10, 20, 40 at u = 0.5:
    // 0.5 * (-0.125 * 0 + 1.125 * 10 + 0.625 * 20 - 0.125 * 40) = 9.375... times
    // the weights as written: (2u^2-u^3-u) = -0.125, (3u^3-5u^2+2) = 1.125,
    // (4u^2-3u^3+u) = 1.125, (u^3-u^2) = -0.125.
    auto k = Keys({{0, SMOOTH, 0}, {1, SMOOTH, 10}, {2, SMOOTH, 20}, {3, SMOOTH, 40}});
    EXPECT_NEAR(At(k, 1.5f), 0.5f * (-0.125f * 0 + 1.125f * 10 + 1.125f * 20 - 0.125f * 40),
                1e-4);
    // First segment: p0 is the first key itself; last segment: p3 is the last key.
    EXPECT_NEAR(At(k, 0.5f), 0.5f * (-0.125f * 0 + 1.125f * 0 + 1.125f * 10 - 0.125f * 20),
                1e-4);
    EXPECT_NEAR(At(k, 2.5f), 0.5f * (-0.125f * 10 + 1.125f * 20 + 1.125f * 40 - 0.125f * 40),
                1e-4);
    // The curve passes through its keys.
    EXPECT_NEAR(At(k, 1.0f), 10, 1e-4);
    EXPECT_NEAR(At(k, 2.0f), 20, 1e-4);
}

TEST(GuiPlaybacks, OnceOnlyEndsOnTheFirstFrameAtItsDuration) {
    GuiManager m;
    auto *n = new GuiNull();
    m.addObject(n, "");
    const uint32_t id = m.addAnimation(Slide(n->id, "ONCE", 1.0f, 0));
    m.startAnimation(id, 0);
    m.startAnimation(999, 0);  // unknown: nothing
    ASSERT_EQ(m.playbacks.size(), 1u);
    for (int frame = 0; frame < 4; frame++) m.advancePlaybacks(0.25f);  // t = 0 .. 0.75
    EXPECT_FLOAT_EQ(n->channels[TRANSLATION_X], 7.5f);
    EXPECT_EQ(Ends(m, id), 0);
    m.advancePlaybacks(0.25f);  // t = 1
    EXPECT_FLOAT_EQ(n->channels[TRANSLATION_X], 10);
    EXPECT_EQ(Ends(m, id), 1);
    EXPECT_TRUE(m.playbacks.empty());
    m.advancePlaybacks(0.25f);
    EXPECT_EQ(Ends(m, id), 1);
    // The object stays where the last key put it; untouched channels keep theirs.
    EXPECT_FLOAT_EQ(n->channels[TRANSLATION_X], 10);
    EXPECT_FLOAT_EQ(n->channels[SCALE_X], 1);
}

TEST(GuiPlaybacks, LoopModeOneEndsWhenSomethingIsQueuedAndCarriesTheOvershoot) {
    GuiManager m;
    auto *n = new GuiNull();
    m.addObject(n, "");
    auto *other = new GuiNull();
    m.addObject(other, "");
    const uint32_t loop = m.addAnimation(Slide(n->id, "LOOP", 1.0f, 1));
    const uint32_t next = m.addAnimation(Slide(other->id, "NEXT", 2.0f, 0));
    m.startAnimation(loop, 5);
    // t runs 0, 0.3, 0.6, 0.9, 1.2 (wraps to 0.2 without ending), 0.5, 0.8, 1.1.
    for (int i = 0; i < 7; i++) m.advancePlaybacks(0.3f);
    EXPECT_EQ(Ends(m, loop), 0);
    ASSERT_EQ(m.playbacks.size(), 1u);
    EXPECT_NEAR(m.playbacks[0].time, 1.1f, 1e-4);
    EXPECT_NEAR(n->channels[TRANSLATION_X], 8.0f, 1e-3);  // evaluated at 0.8
    m.startAnimation(next, 5);                            // queued behind the loop
    ASSERT_EQ(m.playbacks.size(), 1u);
    m.advancePlaybacks(0.3f);  // t = 1.1: the run ends, the next one starts at 0.1
    EXPECT_EQ(Ends(m, loop), 1);
    ASSERT_EQ(m.playbacks.size(), 1u);
    EXPECT_EQ(m.playbacks[0].queue.front()->id, next);
    EXPECT_NEAR(m.playbacks[0].time, 0.4f, 1e-4);
    m.advancePlaybacks(0.3f);
    EXPECT_NEAR(other->channels[TRANSLATION_X], 2.0f, 1e-3);  // t = 0.4 of 2 s
}

TEST(GuiPlaybacks, ForeverLoopsAndChannelZeroRunsIndependentCopies) {
    GuiManager m;
    auto *n = new GuiNull();
    m.addObject(n, "");
    const uint32_t id = m.addAnimation(Slide(n->id, "SPIN", 1.0f, 2));
    m.startAnimation(id, 0);
    m.advancePlaybacks(0.5f);
    m.startAnimation(id, 0);
    ASSERT_EQ(m.playbacks.size(), 2u);
    EXPECT_FLOAT_EQ(m.playbacks[0].time, 0.5f);
    EXPECT_FLOAT_EQ(m.playbacks[1].time, 0.0f);
    // The later playback wins the shared channel.
    m.advancePlaybacks(0.25f);
    EXPECT_FLOAT_EQ(n->channels[TRANSLATION_X], 0.0f);
    // Queued behind a forever loop, an animation never starts.
    m.startAnimation(id, 4);
    const uint32_t other = m.addAnimation(Slide(n->id, "OTHER", 1.0f, 0));
    m.startAnimation(other, 4);
    for (int i = 0; i < 20; i++) m.advancePlaybacks(0.25f);
    EXPECT_EQ(Ends(m, id), 0);
    EXPECT_EQ(m.playbacks.size(), 3u);
    // A track for an object that is gone is skipped.
    GuiAnimation ghost = Slide(4242, "GHOST", 0.5f, 0);
    m.startAnimation(m.addAnimation(ghost), 0);
    m.advancePlaybacks(0.5f);
    m.advancePlaybacks(0.5f);
    EXPECT_EQ(m.playbacks.size(), 3u);
}

TEST(GuiPlaybacks, UpdateRunsEventsThenPlaybacksThenTransforms) {
    GuiManager m;
    auto *n = new GuiNull();
    m.addObject(n, "");
    const uint32_t id = m.addAnimation(Slide(n->id, "GO", 1.0f, 0));
    m.addBinding({0, EVENT_BEGIN, 0}, ACTION_ANIM, id, 0);
    m.addBinding({id, EVENT_ANIM_END, 0}, ACTION_STORE, id, 0);
    m.setEngine(nullptr);
    m.update(0.5f);  // BEGIN starts it, the same frame evaluates t = 0
    EXPECT_FLOAT_EQ(n->world[12], 0);
    m.update(0.5f);
    EXPECT_FLOAT_EQ(n->world[12], 5);
    m.update(0.5f);  // t = 1: ends; the END event is acted on next frame
    EXPECT_TRUE(m.storedEvents.empty());
    m.update(0.5f);
    GuiStoredEvent e = m.popStoredEvent();
    EXPECT_STREQ(e.name, "GO");
    EXPECT_EQ(e.kind, (int32_t)EVENT_ANIM_END);
}
