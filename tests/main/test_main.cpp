#include "XApplication.h"
#include <gtest/gtest.h>

// Every test program gets the program's application object, so window tests
// and plain tests share one entry point.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    XApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
