#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

namespace redten {

// The game area (picGameBack): a widget that keeps its picture. Painters
// draw into Surface(); a paint event only copies what is already there.
// The picture has the device pixels of the area's screen and carries that
// ratio, so painters keep the logical coordinates of the layout while the
// screen gets every pixel it has.
class GameArea final : public QWidget {
    Q_OBJECT
public:
    explicit GameArea(QWidget* parent = nullptr);

    QImage& Surface() { return surface_; }
    // The ratio of device to logical pixels the surface is drawn at.
    qreal Ratio() const { return surface_.devicePixelRatio(); }
    // A fixed ratio instead of the screen's (0: the screen's again), for
    // pictures made without a screen of that density.
    void SetRatio(qreal ratio);
    // Called after the surface took the new size, to repaint everything.
    std::function<void()> onResized;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    qreal WantedRatio() const;
    // A new surface of the area's size at the wanted ratio, all repainted.
    void Rebuild();

    QImage surface_;
    qreal fixedRatio_ = 0;
};

}  // namespace redten
