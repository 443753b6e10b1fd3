#pragma once

#include <QWidget>

namespace redten {

// A thin horizontal bar the user drags up and down. It moves itself while
// dragged, within its parent, and says so; where it may finally stand is
// the owner's business, told by Moved.
class SplitterBar final : public QWidget {
    Q_OBJECT
public:
    explicit SplitterBar(QWidget* parent = nullptr);

signals:
    void Moving();
    void Moved();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int grabY_ = -1;  // where in the bar it was taken, -1 when not dragged
};

}  // namespace redten
