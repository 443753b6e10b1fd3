#pragma once

#include <QWidget>

#include <functional>

namespace redten {

class ImageStore;
class SkinnedFrame;

// The strip above the user list with the settings and help buttons
// (picUserButBk). Its buttons light up under the pointer; a release over
// one runs it, unless the pointer was last seen on the window's frame.
class UserButtonStrip final : public QWidget {
public:
    UserButtonStrip(SkinnedFrame& frame, ImageStore& images, std::function<void(int)> exec,
                    QWidget* parent);

    void HoverUserButton(int index);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    SkinnedFrame& frame_;
    ImageStore& images_;
    std::function<void(int)> exec_;
};

}  // namespace redten
