#include "shell/skinned_frame.h"

#include <QPainter>

#include "platform/resource_path.h"
#include "render/blit.h"
#include "render/image_store.h"

namespace redten {
namespace {

constexpr char kCaptionMid[] = "Res\\CaptionMid.bmp";
constexpr char kCaptionLR[] = "Res\\CaptionLR.bmp";
constexpr char kSysMenu[] = "Res\\SysMenu.bmp";
constexpr char kUserButton[] = "Res\\UserButton.bmp";

bool StrictlyInside(QPoint corner, int w, int h, int x, int y) {
    return corner.x() < x && x < corner.x() + w && corner.y() < y && y < corner.y() + h;
}

}  // namespace

void SkinnedFrame::PlaceFrameButtons(int scaleWidth, int userStripWidth) {
    SysButPos = {QPoint(scaleWidth - 100, 7), QPoint(scaleWidth - 74, 7), QPoint(scaleWidth - 48, 7)};
    const int d = userStripWidth / 3;
    UserButPos = {QPoint(d - 30, 4), QPoint(2 * d - 10, 4)};
}

QRect SkinnedFrame::SysButtonRect(int button) const {
    return QRect(SysButPos[static_cast<std::size_t>(button)], QSize(kSysButtonSize, kSysButtonSize));
}

QRect SkinnedFrame::UserButtonRect(int button) const {
    return QRect(UserButPos[static_cast<std::size_t>(button)], QSize(kUserButtonWidth, kUserButtonHeight));
}

void SkinnedFrame::MoveHover(int& hover, int index, const QRect& oldArea, const QRect& newArea,
                             const std::function<void(const QRect&)>& repaint) {
    if (index >= 0 && index == hover) {
        return;
    }
    if (hover >= 0) {
        repaint(oldArea);
    }
    hover = index < 0 ? -1 : index;
    if (index >= 0) {
        repaint(newArea);
    }
}

int SkinnedFrame::HitSysButton(int x, int y) const {
    for (int i = 0; i < 3; ++i) {
        if (StrictlyInside(SysButPos[i], kSysButtonSize, kSysButtonSize, x, y)) {
            return i;
        }
    }
    return -1;
}

int SkinnedFrame::HitUserButton(int x, int y) const {
    for (int i = 0; i < 2; ++i) {
        if (StrictlyInside(UserButPos[i], kUserButtonWidth, kUserButtonHeight, x, y)) {
            return i;
        }
    }
    return -1;
}

std::string SkinnedFrame::ZoneAt(const QRect& window, QPoint cursor, bool overSysButton) {
    // The window system's rectangle: right and bottom lie just outside.
    const int left = window.x(), top = window.y();
    const int right = window.x() + window.width(), bottom = window.y() + window.height();
    const int x = cursor.x(), y = cursor.y();
    const bool l = x < left + kResizeBand, t = y < top + kResizeBand;
    const bool r = x > right - kResizeBand, b = y > bottom - kResizeBand;
    if (l && t) return "LeftUp";
    if (r && b) return "RightDown";
    if (t && r) return "RightUp";
    if (l && b) return "LeftDown";
    if (l) return "Left";
    if (r) return "Right";
    if (t) return "Up";
    if (b) return "Down";
    if (top + kResizeBand < y && y < top + kCaptionBottom && !overSysButton) {
        return "Move";
    }
    return {};
}

Qt::CursorShape SkinnedFrame::CursorFor(const std::string& zone) {
    if (zone == "LeftUp" || zone == "RightDown") return Qt::SizeFDiagCursor;
    if (zone == "RightUp" || zone == "LeftDown") return Qt::SizeBDiagCursor;
    if (zone == "Left" || zone == "Right") return Qt::SizeHorCursor;
    if (zone == "Up" || zone == "Down") return Qt::SizeVerCursor;
    return Qt::ArrowCursor;
}

int SkinnedFrame::SysCommandFor(const std::string& zone) {
    struct Entry {
        const char* zone;
        int command;
    };
    static constexpr Entry kCommands[] = {
        {"Left", 0xF001},    {"Right", 0xF002},    {"Up", 0xF003},
        {"LeftUp", 0xF004},  {"RightUp", 0xF005},  {"Down", 0xF006},
        {"LeftDown", 0xF007}, {"RightDown", 0xF008}, {"Move", 0xF012},
    };
    for (const Entry& e : kCommands) {
        if (zone == e.zone) {
            return e.command;
        }
    }
    return 0;
}

Qt::Edges SkinnedFrame::EdgesFor(int sysCommand) {
    switch (sysCommand) {
    case 0xF001: return Qt::LeftEdge;
    case 0xF002: return Qt::RightEdge;
    case 0xF003: return Qt::TopEdge;
    case 0xF004: return Qt::LeftEdge | Qt::TopEdge;
    case 0xF005: return Qt::RightEdge | Qt::TopEdge;
    case 0xF006: return Qt::BottomEdge;
    case 0xF007: return Qt::LeftEdge | Qt::BottomEdge;
    case 0xF008: return Qt::RightEdge | Qt::BottomEdge;
    default: return {};
    }
}

int SkinnedFrame::CellOf(int button, bool maximised) {
    switch (button) {
    case 0: return kMinimiseCell;
    case 1: return maximised ? kRestoreCell : kMaximiseCell;
    case 2: return kCloseCell;
    default: return -1;
    }
}

void SkinnedFrame::PaintFrame(QPainter& painter, ImageStore& images, const Caption& caption) const {
    const int w = caption.scale.width();
    if (w - 2 - 5 < 12 || caption.splitterRight >= w) {
        return;
    }
    // The band is laid out in the window's device pixels, so that its tiles
    // meet exactly at any ratio, and then drawn whole.
    const qreal ratio = painter.device()->devicePixelRatio();
    QImage band = DeviceImage(QSize(w, 2 + 31), ratio, QImage::Format_ARGB32);
    band.fill(Qt::transparent);
    if (const QImage* tile = images.App(kCaptionMid, ratio)) {
        for (int x = 5; x <= w - 2; x += 12) {
            Blit(band, x, 2, 12, 31, *tile, 0, 0, RasterOp::Copy);
        }
    }
    const QImage* end = images.App(kCaptionLR, ratio);
    if (!end) {
        painter.drawImage(QPoint(0, 0), band);
        return;
    }
    BlitPicture(band, 4 + 15 - 1, 2, -15, 31, *end, RasterOp::Copy);
    Blit(band, w - 19, 2, 15, 31, *end, 0, 0, RasterOp::Copy);
    painter.drawImage(QPoint(0, 0), band);
    for (int button = 0; button < 3; ++button) {
        PaintSysButton(painter, images, CellOf(button, caption.maximised), button == lngSysButHover);
    }
    if (caption.logo) {
        painter.drawImage(25, 6, *caption.logo);
    }
    painter.setPen(QColor(230, 250, 240));
    const int ascent = painter.fontMetrics().ascent();
    painter.drawText(55, 13 + ascent, caption.title);
    painter.setPen(Qt::black);
    painter.drawText(54, 12 + ascent, caption.title);
}

void SkinnedFrame::PaintBorder(QPainter& painter, QSize scale) {
    static const QColor kShades[kBorder] = {QColor(115, 113, 115), QColor(173, 174, 173),
                                            QColor(214, 211, 214), QColor(231, 231, 231)};
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < kBorder; ++i) {
        painter.setPen(kShades[i]);
        // From (i, i) to (W - 1 - i, H - 1 - i), both corners drawn.
        painter.drawRect(i, i, scale.width() - 1 - 2 * i, scale.height() - 1 - 2 * i);
    }
}

void SkinnedFrame::PaintSysButton(QPainter& painter, ImageStore& images, int cell,
                                  bool highlighted) const {
    const int position = cell == 0 ? 0 : cell == 1 || cell == 2 ? 1 : cell == 3 ? 2 : -1;
    const QImage* strip = images.App(kSysMenu, painter.device()->devicePixelRatio());
    if (position < 0 || !strip) {
        return;
    }
    const int sx = cell * kSysButtonSize + (highlighted ? 4 * kSysButtonSize : 0);
    painter.drawImage(SysButPos[position], *strip,
                      DeviceRect(QRect(sx, 0, kSysButtonSize, kSysButtonSize), strip->devicePixelRatio()));
}

void SkinnedFrame::PaintUserButton(QPainter& painter, ImageStore& images, int button,
                                   bool highlighted) const {
    const QImage* strip = images.App(kUserButton, painter.device()->devicePixelRatio());
    if (button < 0 || button > 1 || !strip) {
        return;
    }
    const int sx = button * kUserButtonWidth + (highlighted ? 2 * kUserButtonWidth : 0);
    painter.drawImage(UserButPos[button], *strip,
                      DeviceRect(QRect(sx, 0, kUserButtonWidth, kUserButtonHeight),
                                 strip->devicePixelRatio()));
}

QUrl HelpPageUrl(const std::string& appPath, const QString& helpHost) {
    if (!helpHost.isEmpty()) {
        return QUrl(QStringLiteral("http://") + helpHost + QStringLiteral("/help/Mygame/KOVA.htm"));
    }
    return QUrl::fromLocalFile(ResolveResourcePath(appPath, "help\\Mygame\\KOVA.htm"));
}

}  // namespace redten
