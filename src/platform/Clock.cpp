#include "platform/Clock.h"

#include <time.h>

namespace platform {

namespace {

int64_t MonotonicNs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

class MonotonicClock : public Clock {
public:
    MonotonicClock() : start_(MonotonicNs()) {}
    bool CounterFrequency(int64_t *frequency) override {
        *frequency = 1000000000;
        return true;
    }
    int64_t Counter() override { return MonotonicNs(); }
    uint32_t Ticks() override { return uint32_t((MonotonicNs() - start_) / 1000000); }

private:
    int64_t start_;
};

}  // namespace

Clock *SystemClock() {
    static MonotonicClock clock;
    return &clock;
}

bool ManualClock::CounterFrequency(int64_t *frequency) {
    if (!hasCounter_) return false;
    *frequency = frequency_;
    return true;
}

void ManualClock::AdvanceMs(uint32_t ms) {
    counter_ += int64_t(ms) * frequency_ / 1000;
    ticks_ += ms;
}

}  // namespace platform
