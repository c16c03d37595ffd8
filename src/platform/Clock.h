#pragma once
// Time as the frame timer reads it: a high-resolution monotonic counter with
// its frequency, and a millisecond tick count. The program uses the system
// clock; tests put a ManualClock in its place to run in simulated time.

#include <cstdint>

namespace platform {

class Clock {
public:
    virtual ~Clock() {}
    // Counter ticks per second; false when there is no counter.
    virtual bool CounterFrequency(int64_t *frequency) = 0;
    virtual int64_t Counter() = 0;
    // Milliseconds since an arbitrary start; wraps after 49 days like SDL's.
    virtual uint32_t Ticks() = 0;
};

// The monotonic system clock (nanosecond counter), shared by the whole program.
Clock *SystemClock();

// A clock that moves only when told to. The counter runs at 1000 ticks per
// second unless set otherwise; Advance moves counter and ticks together.
class ManualClock : public Clock {
public:
    bool CounterFrequency(int64_t *frequency) override;
    int64_t Counter() override { return counter_; }
    uint32_t Ticks() override { return ticks_; }

    void AdvanceMs(uint32_t ms);
    void SetFrequency(int64_t frequency) { frequency_ = frequency; }
    void SetHasCounter(bool has) { hasCounter_ = has; }

private:
    int64_t counter_ = 1000000;
    uint32_t ticks_ = 5000;
    int64_t frequency_ = 1000;
    bool hasCounter_ = true;
};

}  // namespace platform
