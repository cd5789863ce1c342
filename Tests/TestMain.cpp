#include <QApplication>
#include <gtest/gtest.h>

// One application object for the whole run; views render offscreen so no
// display is needed.
int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
