#pragma once

#include <QRect>
#include <QWidget>

#include <functional>
#include <vector>

#include "shell/main_layout.h"

namespace redten {

class ImageStore;

// Where the screen outline of a splitter drag is drawn: a see-through layer
// over the whole window. Drawing the same outline twice removes it, as an
// inverting pen would.
class DragOutline final : public QWidget {
public:
    explicit DragOutline(QWidget* parent);
    void DrawDragOutline(int x, int y, int w, int h);
    const std::vector<QRect>& Shown() const { return shown_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<QRect> shown_;
};

// The vertical splitter between the table and the column (picSplitter).
// A click on its middle handle folds the column away and back; a drag
// elsewhere moves it, shown by an outline until the button is let go.
class VSplitter final : public QWidget {
    Q_OBJECT
public:
    struct Hooks {
        std::function<int()> scaleWidth;
        std::function<void()> layout;        // LayoutMainWindow
        std::function<bool()> bombPlaying;   // the table ignores the mouse
    };
    VSplitter(LayoutState& state, ImageStore& images, DragOutline& outline, Hooks hooks,
              QWidget* parent);

    // The splitter's drag mark ("MOVE" while a drag may go on).
    const QString& Mark() const { return mark_; }
    QPoint DragOutlinePos() const { return ptDragOutline; }

    // The mouse, in the splitter's own coordinates.
    void MouseDown(Qt::MouseButton button, QPoint at);
    void MouseMove(Qt::MouseButtons buttons, QPoint at);
    void MouseUp(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Outline(QPoint at);
    // Takes the outline away if a drag shows one.
    void EndDrag();

    LayoutState& state_;
    ImageStore& images_;
    DragOutline& outline_;
    Hooks hooks_;
    QString mark_;
    bool dragging_ = false;  // an outline is shown; only a press here starts one
    QPoint ptDragStart;
    QPoint ptDragOutline;
    QPoint ptDragTarget;
};

}  // namespace redten
