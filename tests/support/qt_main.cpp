#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

// GUI suites share one QApplication; CTest sets QT_QPA_PLATFORM=offscreen for them. What the
// programs under test keep between runs stays in the build folder. Listing the tests (as CTest's
// discovery does at build time) needs no application.
int main(int argc, char** argv) {
    ::setenv("XDG_CACHE_HOME", KORVEL_TEST_CACHE_HOME, 1);
    bool listing = false;
    for (int k = 1; k < argc; ++k) {
        listing = listing || std::strcmp(argv[k], "--gtest_list_tests") == 0;
    }
    std::unique_ptr<QApplication> application;
    if (!listing) {
        application = std::make_unique<QApplication>(argc, argv);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
