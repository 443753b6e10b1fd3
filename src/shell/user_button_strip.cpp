#include "shell/user_button_strip.h"

#include <QMouseEvent>
#include <QPainter>

#include "shell/skinned_frame.h"

namespace redten {

UserButtonStrip::UserButtonStrip(SkinnedFrame& frame, ImageStore& images,
                                 std::function<void(int)> exec, QWidget* parent)
    : QWidget(parent), frame_(frame), images_(images), exec_(std::move(exec)) {
    setMouseTracking(true);
    setAutoFillBackground(true);
}

void UserButtonStrip::HoverUserButton(int index) {
    const int old = frame_.lngUserButHover;
    SkinnedFrame::MoveHover(frame_.lngUserButHover, index, old >= 0 ? frame_.UserButtonRect(old) : QRect(),
                            index >= 0 ? frame_.UserButtonRect(index) : QRect(),
                            [this](const QRect& area) { update(area); });
}

void UserButtonStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    for (int i = 0; i < 2; ++i) {
        frame_.PaintUserButton(painter, images_, i, i == frame_.lngUserButHover);
    }
}

void UserButtonStrip::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    HoverUserButton(frame_.HitUserButton(at.x(), at.y()));
}

void UserButtonStrip::leaveEvent(QEvent*) { HoverUserButton(-1); }

void UserButtonStrip::mouseReleaseEvent(QMouseEvent* event) {
    if (!frame_.strFrameZone.empty() || event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint at = event->position().toPoint();
    const int i = frame_.HitUserButton(at.x(), at.y());
    if (i >= 0) {
        exec_(i);
    }
}

}  // namespace redten
