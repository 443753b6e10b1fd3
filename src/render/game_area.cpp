#include "render/game_area.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>

#include "render/blit.h"

namespace redten {
namespace {

// No screen is denser than this; a larger ratio (from a setting or a
// strange screen) is held here, so the surface stays of a sane size.
constexpr qreal kLargestRatio = 8.0;

}  // namespace

GameArea::GameArea(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    surface_ = QImage(1, 1, QImage::Format_RGB32);
    surface_.fill(QColor(8, 73, 165));
}

qreal GameArea::WantedRatio() const {
    const qreal r = fixedRatio_ > 0 ? fixedRatio_ : devicePixelRatio();
    return r > 0 ? std::min(r, kLargestRatio) : 1.0;  // also NaN
}

void GameArea::SetRatio(qreal ratio) {
    fixedRatio_ = ratio > 0 ? ratio : 0;
    if (WantedRatio() != Ratio()) {
        Rebuild();
    }
}

void GameArea::Rebuild() {
    surface_ = DeviceImage(QSize(std::max(width(), 1), std::max(height(), 1)), WantedRatio());
    surface_.fill(QColor(8, 73, 165));
    if (onResized) {
        onResized();
    }
    update();
}

void GameArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Rebuild();
}

bool GameArea::event(QEvent* event) {
    // Moved to a screen of another density: the picture is drawn again for
    // it, once the move has settled.
    if (event->type() == QEvent::ScreenChangeInternal) {
        QTimer::singleShot(0, this, [this] {
            if (WantedRatio() != Ratio()) {
                Rebuild();
            }
        });
    }
    return QWidget::event(event);
}

void GameArea::paintEvent(QPaintEvent* event) {
    if (WantedRatio() != Ratio()) {
        QTimer::singleShot(0, this, [this] {
            if (WantedRatio() != Ratio()) {
                Rebuild();
            }
        });
    }
    QPainter p(this);
    if (Ratio() == 1.0) {
        p.drawImage(event->rect(), surface_, event->rect());
        return;
    }
    // At the screen's own ratio the picture goes over pixel for pixel.
    p.setClipRegion(event->region());
    p.drawImage(QPoint(0, 0), surface_);
}

}  // namespace redten
