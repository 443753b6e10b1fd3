#include "render/game_area.h"

#include <QPainter>
#include <QPaintEvent>

namespace redten {

GameArea::GameArea(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    surface_ = QImage(1, 1, QImage::Format_RGB32);
    surface_.fill(QColor(8, 73, 165));
}

void GameArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    surface_ = QImage(std::max(width(), 1), std::max(height(), 1), QImage::Format_RGB32);
    surface_.fill(QColor(8, 73, 165));
    if (onResized) {
        onResized();
    }
    update();
}

void GameArea::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.drawImage(event->rect(), surface_, event->rect());
}

}  // namespace redten
