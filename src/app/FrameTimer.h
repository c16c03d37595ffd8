#pragma once
// The smoothed frame step every animation advances by. One step unit is
// 20 ms of real time in the steady state; each frame's step is blended
// 1:9 with the previous one so a single slow frame does not jolt the motion.

#include <cstdint>

#include "platform/Clock.h"

class FrameTimer {
public:
    explicit FrameTimer(platform::Clock *clock = platform::SystemClock()) : clock(clock) {}

    // Starts timing afresh: step 1, no rate yet. At start-up and every new game.
    void Reset();
    // Measures the frame just ended; returns the new smoothed step.
    float Tick();

    platform::Clock *clock;

    uint32_t lastTicks = 0;  // tick count of the previous frame
    uint32_t ticksNow = 0;
    int64_t counterLast = 0;  // counter of the previous frame
    int64_t counterNow = 0;
    int64_t counterFrequency = 0;
    int64_t counterFpsMark = 0;  // counter at the last rate sample
    int32_t useCounter = 0;
    float speedFactor = 0.05f;
    float previousStep = 1.0f;
    float step = 1.0f;
    float fps = 0.0f;           // frames per second, sampled every 25 frames
    float fpsMarkTicks = 0.0f;  // tick count at the last rate sample
    int32_t frameCount = 0;
    int32_t sampleCounter = 0;  // frames since the last rate sample
};
