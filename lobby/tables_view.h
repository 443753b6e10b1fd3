#pragma once

#include <QWidget>

#include <optional>
#include <vector>

#include "lobby/room_listing.h"

namespace redten::lobby {

// A room's tables drawn as tables with four chairs. A chair is chosen with
// the mouse or the arrow keys; a double-click or Enter on a free chair of a
// waiting table asks to sit there, on a person's chair asks to watch them.
class TablesView final : public QWidget {
    Q_OBJECT
public:
    explicit TablesView(QWidget* parent = nullptr);

    // Keeps the chosen chair when its table is still there.
    void SetTables(std::vector<LiveTable> tables);
    const std::vector<LiveTable>& Tables() const { return tables_; }

    struct Spot {
        int table = 0;  // index into Tables()
        int chair = 0;  // 0..3, in the room's seat order
    };
    std::optional<Spot> Current() const { return current_; }
    void SetCurrent(std::optional<Spot> spot);
    // What a double-click or Enter on the chosen chair does.
    void Activate();

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

signals:
    void SitRequested(int tableNumber, int chair);
    void WatchRequested(const QString& player);
    // Why the chosen chair cannot be taken, for the status line.
    void Told(const QString& text);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int Columns() const;
    QRect Cell(int index) const;
    QRect ChairRect(int index, int chair) const;
    std::optional<Spot> At(QPoint point) const;

    std::vector<LiveTable> tables_;
    std::optional<Spot> current_;
};

}  // namespace redten::lobby
