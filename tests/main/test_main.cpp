#include <QApplication>
#include <gtest/gtest.h>

// Every test program gets an application object, so window tests and
// plain tests share one entry point.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
