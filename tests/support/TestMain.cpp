// Unit tests run on the headless backend and the virtual clock unless told
// otherwise; the platform reads these once, on first use. Tests of real-time
// sound output are built with VRASK_TEST_REAL_CLOCK.
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    setenv("VRASK_BACKEND", "headless", 0);
#ifdef VRASK_TEST_REAL_CLOCK
    setenv("VRASK_CLOCK", "real", 0);
#else
    setenv("VRASK_CLOCK", "virtual", 0);
#endif
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
