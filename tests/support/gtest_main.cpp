#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    ::setenv("XDG_CACHE_HOME", KORVEL_TEST_CACHE_HOME, 1);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
