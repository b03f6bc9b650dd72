#include "XApplication.h"
#include <gtest/gtest.h>

// Every test program gets the program's application object, so window tests
// and plain tests share one entry point. A program that skipped a test and
// failed none ends with the code ctest counts as skipped (x_tests), so that a
// machine that cannot run a test never shows it as passed.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    XApplication app(argc, argv);
    const int result = RUN_ALL_TESTS();
    if (result == 0 && ::testing::UnitTest::GetInstance()->skipped_test_count() > 0)
        return 77;
    return result;
}
