#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QUrl>

#include <array>
#include <functional>
#include <optional>
#include <string>

class QPainter;

namespace redten {

class ImageStore;

// The table window draws its own frame: a bevelled border, a caption band
// with logo, title and the minimise / maximise / close buttons, and the
// strip with the settings and help buttons. Moving and sizing are handed
// to the window system from the zone the pointer was last seen in.
class SkinnedFrame {
public:
    static constexpr int kBorder = 4;
    static constexpr int kResizeBand = 5;
    static constexpr int kCaptionBottom = 35;
    static constexpr int kSysButtonSize = 21;
    static constexpr int kUserButtonWidth = 41;
    static constexpr int kUserButtonHeight = 25;
    static constexpr QSize kMinimumSize{800, 570};

    enum SysCell { kMinimiseCell = 0, kMaximiseCell = 1, kRestoreCell = 2, kCloseCell = 3 };

    // Zone under the pointer at the last poll: "Left", "Right", "Up", "Down",
    // "LeftUp", "RightUp", "LeftDown", "RightDown", "Move", or empty.
    std::string strFrameZone;
    std::array<QPoint, 3> SysButPos{};
    std::array<QPoint, 2> UserButPos{};
    int lngSysButHover = -1;
    int lngUserButHover = -1;

    void PlaceFrameButtons(int scaleWidth, int userStripWidth);
    QRect SysButtonRect(int button) const;
    QRect UserButtonRect(int button) const;
    // Moves a highlight (lngSysButHover or lngUserButHover) to button index,
    // -1 for none; repaint is called with the area of every button whose
    // look changes.
    static void MoveHover(int& hover, int index, const QRect& oldArea, const QRect& newArea,
                          const std::function<void(const QRect&)>& repaint);
    // The button under a client point (strictly inside), or -1.
    int HitSysButton(int x, int y) const;
    int HitUserButton(int x, int y) const;

    // The zone of a pointer at cursor (screen) over a window whose outer
    // rectangle is window; overSysButton tells whether the pointer is over a
    // system button.
    static std::string ZoneAt(const QRect& window, QPoint cursor, bool overSysButton);
    static Qt::CursorShape CursorFor(const std::string& zone);
    // The system command a press in zone starts (0xF001..0xF008 size,
    // 0xF012 move), or 0 for none.
    static int SysCommandFor(const std::string& zone);
    // The window edges a size command drags.
    static Qt::Edges EdgesFor(int sysCommand);

    // The cell a system button shows: the maximise button shows restore
    // while the window is maximised.
    static int CellOf(int button, bool maximised);

    struct Caption {
        QSize scale;
        bool maximised = false;
        // Right edge of the vertical splitter: no caption while it reaches
        // past the window (a resize before the layout ran).
        int splitterRight = 0;
        const QImage* logo = nullptr;
        QString title;
    };
    void PaintFrame(QPainter& painter, ImageStore& images, const Caption& caption) const;
    static void PaintBorder(QPainter& painter, QSize scale);
    void PaintSysButton(QPainter& painter, ImageStore& images, int cell, bool highlighted) const;
    void PaintUserButton(QPainter& painter, ImageStore& images, int button, bool highlighted) const;
};

// The help page: on the help host when one is given, else the copy beside
// the program.
QUrl HelpPageUrl(const std::string& appPath, const QString& helpHost);

}  // namespace redten
