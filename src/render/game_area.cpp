#include "render/game_area.h"

#include <QPainter>
#include <QMouseEvent>
#include <QPaintEvent>

namespace redten {

GameArea::GameArea(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
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

void GameArea::mouseMoveEvent(QMouseEvent* event) {
    if (onMouseMove) {
        const QPoint at = event->position().toPoint();
        onMouseMove(at.x(), at.y());
    }
}

void GameArea::mousePressEvent(QMouseEvent* event) {
    if (onMousePress) {
        const QPoint at = event->position().toPoint();
        onMousePress(at.x(), at.y());
    }
}

void GameArea::mouseReleaseEvent(QMouseEvent* event) {
    if (onMouseUp) {
        const QPoint at = event->position().toPoint();
        onMouseUp(event->button(), at.x(), at.y());
    }
}

void GameArea::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    p.drawImage(event->rect(), surface_, event->rect());
}

}  // namespace redten
