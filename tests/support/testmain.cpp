#include <QApplication>

#include <gtest/gtest.h>

// Tests run on a Qt event loop (timers, the serial port's poll, windows);
// one application object serves the whole executable.
int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
