#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    // Tests never need a visible screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The fake rooms of the tests serve no page; a table window left to
    // itself would ask them for one.
    qputenv("REDTEN_ADV_URL", "none");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
