#pragma once

#include <QWidget>

class QLabel;
class QTableWidget;

namespace redten {

class UserListModel;

// The user list as the player sees it (lstUser): a title and one row per
// person, own row in its own colours. A left click on a row picks the
// person to talk to; a right click asks for the person's details. Every
// text is shown as it is, never as markup.
class UserListView final : public QWidget {
    Q_OBJECT
public:
    UserListView(UserListModel& model, QWidget* parent = nullptr);

    QTableWidget& Table() { return *table_; }
    // Clicks on the row at a point of the table's viewport, as the mouse
    // would give them.
    void ClickRow(int row, Qt::MouseButton button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Refill();

    UserListModel& model_;
    QLabel* title_;
    QTableWidget* table_;
};

}  // namespace redten
