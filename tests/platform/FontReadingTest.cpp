#include "platform/FontReading.h"

#include <gtest/gtest.h>

#ifdef __linux__
#include <sched.h>
#endif

namespace {

// The reading's thread is sent to another core; the thread that starts it
// stays where it may run, even when the reading is over at once (as here,
// where the configuration has been read before).
TEST(FontReading, LeavesTheStartingThreadFreeToRunAnywhere)
{
#ifdef __linux__
    cpu_set_t before;
    ASSERT_EQ(sched_getaffinity(0, sizeof before, &before), 0);
    for (int round = 0; round < 50; ++round) {
        tuvano::platform::FontReading fonts;
        fonts.wait();
        cpu_set_t after;
        ASSERT_EQ(sched_getaffinity(0, sizeof after, &after), 0);
        ASSERT_TRUE(CPU_EQUAL(&before, &after)) << round;
    }
#else
    tuvano::platform::FontReading fonts;
    fonts.wait();
#endif
}

} // namespace
