// Unit tests run on the headless backend and the virtual clock unless told
// otherwise; the platform reads these once, on first use.
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    setenv("VRASK_BACKEND", "headless", 0);
    setenv("VRASK_CLOCK", "virtual", 0);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
