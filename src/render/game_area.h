#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

namespace redten {

// The game area (picGameBack): a widget that keeps its picture. Painters
// draw into Surface(); a paint event only copies what is already there.
class GameArea final : public QWidget {
    Q_OBJECT
public:
    explicit GameArea(QWidget* parent = nullptr);

    QImage& Surface() { return surface_; }
    // Called after the surface took the new size, to repaint everything.
    std::function<void()> onResized;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage surface_;
};

}  // namespace redten
