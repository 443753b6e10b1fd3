#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QTreeWidget>

#include <memory>
#include <vector>

#include "lobby/room_feed.h"
#include "lobby/table_launch.h"
#include "lobby/tables_view.h"

namespace redten::lobby {

// The lobby: the rooms one can walk into, the chosen room's tables with
// their chairs, its standings and one's own games. A chair is taken, a
// player watched or a game replayed by asking the room over its lobby line
// and starting the table client; the lobby stays open beside it.
class LobbyWindow final : public QMainWindow {
    Q_OBJECT
public:
    // How often the room shown is asked for its tables, at most.
    static constexpr int kRefreshMs = 2000;

    LobbyWindow(TableStarter& tables, QString secret, QWidget* parent = nullptr);
    ~LobbyWindow() override;

    void AddRoom(const QString& name, const QString& host, quint16 port);
    // A room the LAN or a directory told of: added once, its counts
    // brought up to date.
    void FoundRoom(const QString& name, const QString& host, quint16 port, int tables, int freeSeats);
    void SetName(const QString& name);
    QString Name() const;

    // What the mouse and the keys do, by name.
    void SitAt(int tableNumber, int chair);
    void Watch(const QString& player);
    void Replay(std::int64_t game);
    // A new table of one's own with computers computer players of level
    // ("basic" or "strong").
    void NewTable(int computers, const QString& level);

    TablesView& Tables() { return *tables_; }
    QTreeWidget& Rooms() { return *rooms_; }
    QTreeWidget& Games() { return *games_; }
    QTreeWidget& Standings() { return *standings_; }
    QString Status() const { return status_->text(); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    struct Room {
        QString name;
        std::unique_ptr<RoomFeed> feed;
        QTreeWidgetItem* item = nullptr;
    };
    Room* Shown();
    void ShowRoom(int index);
    void Refresh();
    void ReadRecords();
    void AddTypedRoom();
    // Asks the shown room for line and, once granted, starts a table there.
    void AskAndStart(const QString& line, const QString& doing);
    void Say(const QString& text);

    TableStarter& starter_;
    QString secret_;
    std::vector<Room> roomList_;
    int shown_ = -1;

    QLineEdit* name_;
    QTreeWidget* rooms_;
    QLineEdit* address_;
    TablesView* tables_;
    QLabel* roomTitle_;
    QSpinBox* computers_;
    QComboBox* level_;
    QTreeWidget* standings_;
    QLabel* me_;
    QTreeWidget* games_;
    QPushButton* replay_;
    QLabel* status_;
    QTimer refresh_;
    int ticks_ = 0;
};

}  // namespace redten::lobby
