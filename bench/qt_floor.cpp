// The floor for any Qt Widgets program: open one window as large as the
// table's (the screen, less a taskbar) and end as soon as it has been
// painted. scripts/measure-startup times the table against it.
#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>

namespace {

class FirstPaint final : public QWidget {
protected:
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), QColor(8, 73, 165));
        QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    FirstPaint window;
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    window.setGeometry(0, 0, screen.width(), screen.height() - 32);
    window.show();
    return app.exec();
}
