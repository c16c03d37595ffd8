#include "app/FrameTimer.h"

void FrameTimer::Reset() {
    lastTicks = ticksNow = clock->Ticks();
    int64_t frequency = 0;
    if (clock->CounterFrequency(&frequency) && frequency > 0) {
        counterFrequency = frequency;
        counterLast = counterNow = clock->Counter();
        // The first rate sample measures from here, not from whatever the
        // mark held before (zero at start-up, which gave a wild first rate).
        counterFpsMark = counterLast;
        useCounter = 1;
    } else {
        useCounter = 0;
    }
    fpsMarkTicks = float(lastTicks);
    frameCount = 0;
    sampleCounter = 0;
    previousStep = 1.0f;
    step = 1.0f;
    fps = 0.0f;
}

float FrameTimer::Tick() {
    int64_t elapsed;
    if (useCounter) {
        counterNow = clock->Counter();
        elapsed = (counterNow - counterLast) * 1000 / counterFrequency;
    } else {
        ticksNow = clock->Ticks();
        elapsed = int64_t(uint32_t(ticksNow - lastTicks));
    }
    step = float(elapsed) * speedFactor * 0.1f + previousStep * 0.9f;

    if (sampleCounter == 25) {
        float ms;
        if (useCounter) {
            ms = float((counterNow - counterFpsMark) * 1000 / counterFrequency);
            counterFpsMark = counterNow;
        } else {
            ms = float(ticksNow) - fpsMarkTicks;
            fpsMarkTicks = float(ticksNow);
        }
        // 25 frames within the same millisecond leave the rate as it was.
        if (ms > 0.0f) fps = 25000.0f / ms;
        sampleCounter = 0;
    }

    previousStep = step;
    frameCount++;
    sampleCounter++;
    if (useCounter)
        counterLast = counterNow;
    else
        lastTicks = ticksNow;
    return step;
}
