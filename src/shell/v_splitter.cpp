#include "shell/v_splitter.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "render/blit.h"
#include "render/image_store.h"

namespace redten {
namespace {

constexpr char kMark[] = "MOVE";

}  // namespace

DragOutline::DragOutline(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

void DragOutline::DrawDragOutline(int x, int y, int w, int h) {
    // Two-pixel rectangles side by side from x while they start within w.
    const QRect band(x, y, std::max(0, w / 2) * 2 + 2, h);
    const auto it = std::find(shown_.begin(), shown_.end(), band);
    if (it != shown_.end()) {
        shown_.erase(it);
    } else {
        shown_.push_back(band);
    }
    setVisible(!shown_.empty());
    if (!shown_.empty()) {
        setGeometry(parentWidget()->rect());
        raise();
    }
    update(band);
}

void DragOutline::paintEvent(QPaintEvent*) {
    // The band inverts whatever lies under it.
    QPainter painter(this);
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    for (const QRect& band : shown_) {
        painter.fillRect(band, Qt::white);
    }
}

VSplitter::VSplitter(LayoutState& state, ImageStore& images, DragOutline& outline, Hooks hooks,
                     QWidget* parent)
    : QWidget(parent), state_(state), images_(images), outline_(outline), hooks_(std::move(hooks)) {
    setMouseTracking(true);
    setCursor(Qt::SplitHCursor);
}

void VSplitter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int h = height();
    // Laid out in device pixels, so that the 3-pixel rows meet exactly at
    // any ratio, and then drawn whole.
    const qreal ratio = devicePixelRatio();
    QImage bar = DeviceImage(QSize(std::max(width(), 1), std::max(h, 1)), ratio, QImage::Format_ARGB32);
    bar.fill(Qt::transparent);
    const auto tile = [&bar](const QImage& picture, int y) {
        const QSize size = LogicalSize(picture);
        Blit(bar, 0, y, size.width(), size.height(), picture, 0, 0, RasterOp::Copy);
    };
    if (const QImage* back = images_.App("res\\VSpliterBk.bmp", ratio)) {
        for (int y = 0; y < h; y += 3) {
            tile(*back, y);
        }
    }
    const int m = (h - LayoutState::kHandleHeight) / 2;
    if (const QImage* middle = images_.App("res\\VSpliterMidBk.bmp", ratio)) {
        for (int y = m; y <= m + LayoutState::kHandleHeight; y += 3) {
            tile(*middle, y);
        }
    }
    const char* arrow = state_.blnColumnFolded ? "res\\VSpliterMid_Left.bmp" : "res\\VSpliterMid_Right.bmp";
    if (const QImage* handle = images_.App(arrow, ratio)) {
        tile(*handle, h / 2 - 4);
    }
    painter.drawImage(QPoint(0, 0), bar);
}

void VSplitter::Outline(QPoint at) {
    outline_.DrawDragOutline(at.x(), at.y(), width() - 4, height());
}

void VSplitter::MouseDown(Qt::MouseButton button, QPoint at) {
    if (hooks_.bombPlaying()) {
        return;
    }
    if (StrictlyInHandleBand(at.y(), height())) {
        EndDrag();
        ToggleColumn(state_, hooks_.scaleWidth());
        mark_.clear();
        hooks_.layout();
        update();
        return;
    }
    if (button != Qt::LeftButton) {
        return;
    }
    ptDragStart = at;
    ptDragOutline = pos();
    ptDragTarget = pos();
    Outline(ptDragOutline);
    mark_ = QString::fromLatin1(kMark);
    dragging_ = true;
}

void VSplitter::EndDrag() {
    if (dragging_) {
        Outline(ptDragOutline);
        dragging_ = false;
    }
}

void VSplitter::MouseMove(Qt::MouseButtons buttons, QPoint at) {
    if (hooks_.bombPlaying()) {
        return;
    }
    setCursor(InHandleBand(at.y(), height()) ? Qt::ArrowCursor : Qt::SplitHCursor);
    if (!(buttons & Qt::LeftButton) || mark_ != QLatin1String(kMark) || !dragging_) {
        return;
    }
    const QPoint candidate(x() + (at.x() - ptDragStart.x()), y());
    if (SplitterLeftAllowed(candidate.x(), hooks_.scaleWidth())) {
        Outline(ptDragOutline);
        ptDragOutline = candidate;
        Outline(ptDragOutline);
    }
    ptDragTarget = candidate;
}

void VSplitter::MouseUp(Qt::MouseButton button) {
    if (button != Qt::LeftButton || mark_ != QLatin1String(kMark) || !dragging_) {
        return;
    }
    EndDrag();
    if (hooks_.bombPlaying()) {
        return;  // a bomb went off meanwhile: the drag is dropped, the outline too
    }
    state_.lngSplitterLeft = ClampSplitterLeft(ptDragTarget.x(), hooks_.scaleWidth());
    state_.blnVSplitMoved = true;
    hooks_.layout();
    update();
}

void VSplitter::mousePressEvent(QMouseEvent* event) {
    MouseDown(event->button(), event->position().toPoint());
}

void VSplitter::mouseMoveEvent(QMouseEvent* event) {
    MouseMove(event->buttons(), event->position().toPoint());
}

void VSplitter::mouseReleaseEvent(QMouseEvent* event) { MouseUp(event->button()); }

}  // namespace redten
