#include <gtest/gtest.h>

#include <QApplication>

// The widgets need an application object; tests run on its thread, offscreen under CTest.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
