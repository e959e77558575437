// Test entry point for tests that need a Qt event loop but no display.
#include <QCoreApplication>
#include <gtest/gtest.h>

#include "support/test_language.h"

int main(int argc, char** argv)
{
    UseChineseForTests();
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
