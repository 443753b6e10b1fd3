#include "table_harness.h"

#include <QApplication>

namespace redten::test {

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "redten";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QApplication(argc, argv);
    }();
    (void)app;
}

}  // namespace redten::test
