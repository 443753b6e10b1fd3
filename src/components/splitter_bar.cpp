#include "components/splitter_bar.h"

#include <QMouseEvent>

#include <algorithm>

namespace redten {

SplitterBar::SplitterBar(QWidget* parent) : QWidget(parent) {
    setCursor(Qt::SplitVCursor);
    setAutoFillBackground(true);
}

void SplitterBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        grabY_ = event->position().toPoint().y();
    }
}

void SplitterBar::mouseMoveEvent(QMouseEvent* event) {
    if (grabY_ < 0 || !parentWidget()) {
        return;
    }
    const int top = y() + event->position().toPoint().y() - grabY_;
    const int lowest = std::max(0, parentWidget()->height() - height());
    move(x(), std::clamp(top, 0, lowest));
    emit Moving();
}

void SplitterBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || grabY_ < 0) {
        return;
    }
    grabY_ = -1;
    emit Moved();
}

}  // namespace redten
