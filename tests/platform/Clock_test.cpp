#include "platform/Clock.h"

#include <gtest/gtest.h>

TEST(Clock, SystemClockNeverGoesBack) {
    platform::Clock *c = platform::SystemClock();
    int64_t f = 0;
    ASSERT_TRUE(c->CounterFrequency(&f));
    EXPECT_EQ(f, 1000000000);
    int64_t a = c->Counter();
    uint32_t ta = c->Ticks();
    int64_t b = c->Counter();
    uint32_t tb = c->Ticks();
    EXPECT_GE(b, a);
    EXPECT_GE(tb, ta);
}

TEST(Clock, ManualClockMovesCounterAndTicksTogether) {
    platform::ManualClock c;
    c.SetFrequency(3000);
    int64_t f = 0;
    ASSERT_TRUE(c.CounterFrequency(&f));
    EXPECT_EQ(f, 3000);
    int64_t c0 = c.Counter();
    uint32_t t0 = c.Ticks();
    c.AdvanceMs(250);
    EXPECT_EQ(c.Counter() - c0, 750);
    EXPECT_EQ(c.Ticks() - t0, 250u);
    c.SetHasCounter(false);
    EXPECT_FALSE(c.CounterFrequency(&f));
}
