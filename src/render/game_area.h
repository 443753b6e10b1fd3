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
    // The mouse over the table: a move, a press, and a release (Qt's button).
    std::function<void(int x, int y)> onMouseMove;
    std::function<void(int x, int y)> onMousePress;
    std::function<void(Qt::MouseButton button, int x, int y)> onMouseUp;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QImage surface_;
};

}  // namespace redten
