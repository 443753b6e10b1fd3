#include "lobby/lobby_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMessageBox>
#include <QScrollArea>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

#include <algorithm>

#include "lobby/room_address.h"

namespace redten::lobby {
namespace {

// The standings and one's games are asked for every this many refreshes.
constexpr int kRecordsEvery = 5;

QTreeWidget* List(const QStringList& headers, QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setHeaderLabels(headers);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return list;
}

bool PlainWord(const QString& text) {
    return !text.isEmpty() && !text.contains(QLatin1Char(' ')) && !text.contains(QLatin1Char('\t'));
}

}  // namespace

LobbyWindow::LobbyWindow(TableStarter& tables, QString secret, QWidget* parent)
    : QMainWindow(parent), starter_(tables), secret_(std::move(secret)) {
    setWindowTitle(QStringLiteral("红十 · 大厅"));
    auto* central = new QWidget(this);
    auto* outer = new QVBoxLayout(central);

    auto* top = new QHBoxLayout;
    auto* nameLabel = new QLabel(QStringLiteral("名字(&N)："), central);
    name_ = new QLineEdit(central);
    name_->setMaxLength(16);
    nameLabel->setBuddy(name_);
    top->addWidget(nameLabel);
    top->addWidget(name_);
    top->addStretch(1);
    outer->addLayout(top);

    auto* split = new QSplitter(Qt::Horizontal, central);
    // The rooms, and an address typed by hand.
    auto* left = new QWidget(split);
    auto* leftBox = new QVBoxLayout(left);
    leftBox->setContentsMargins(0, 0, 0, 0);
    auto* roomsLabel = new QLabel(QStringLiteral("房间(&R)"), left);
    rooms_ = List({QStringLiteral("房间"), QStringLiteral("地址"), QStringLiteral("桌子"),
                   QStringLiteral("空座"), QStringLiteral("延迟")},
                  left);
    roomsLabel->setBuddy(rooms_);
    leftBox->addWidget(roomsLabel);
    leftBox->addWidget(rooms_, 1);
    auto* addRow = new QHBoxLayout;
    address_ = new QLineEdit(left);
    address_->setPlaceholderText(QStringLiteral("主机:端口"));
    auto* add = new QPushButton(QStringLiteral("加入(&J)"), left);
    addRow->addWidget(address_, 1);
    addRow->addWidget(add);
    leftBox->addLayout(addRow);

    // The tables of the room shown.
    auto* middle = new QWidget(split);
    auto* middleBox = new QVBoxLayout(middle);
    middleBox->setContentsMargins(0, 0, 0, 0);
    roomTitle_ = new QLabel(QStringLiteral("桌子(&T)"), middle);
    tables_ = new TablesView(middle);
    roomTitle_->setBuddy(tables_);
    auto* scroll = new QScrollArea(middle);
    scroll->setWidget(tables_);
    scroll->setWidgetResizable(true);
    scroll->setFocusPolicy(Qt::NoFocus);
    middleBox->addWidget(roomTitle_);
    middleBox->addWidget(scroll, 1);
    auto* hint = new QLabel(QStringLiteral("双击空位坐下，双击玩家旁观；也可以用方向键选座位，按回车。"), middle);
    hint->setWordWrap(true);
    middleBox->addWidget(hint);
    auto* newRow = new QHBoxLayout;
    auto* computersLabel = new QLabel(QStringLiteral("开一张新桌，电脑玩家(&C)："), middle);
    computers_ = new QSpinBox(middle);
    computers_->setRange(0, 3);
    computers_->setValue(3);
    computers_->setSuffix(QStringLiteral(" 个"));
    computersLabel->setBuddy(computers_);
    auto* levelLabel = new QLabel(QStringLiteral("水平(&L)："), middle);
    level_ = new QComboBox(middle);
    level_->addItem(QStringLiteral("高手"), QStringLiteral("strong"));
    level_->addItem(QStringLiteral("新手"), QStringLiteral("basic"));
    level_->addItem(QStringLiteral("大师"), QStringLiteral("expert"));
    levelLabel->setBuddy(level_);
    auto* open = new QPushButton(QStringLiteral("开新桌(&O)"), middle);
    newRow->addWidget(computersLabel);
    newRow->addWidget(computers_);
    newRow->addWidget(levelLabel);
    newRow->addWidget(level_);
    newRow->addWidget(open);
    newRow->addStretch(1);
    middleBox->addLayout(newRow);
    connect(open, &QPushButton::clicked, this,
            [this] { NewTable(computers_->value(), level_->currentData().toString()); });

    // The standings and one's own games.
    auto* right = new QWidget(split);
    auto* rightBox = new QVBoxLayout(right);
    rightBox->setContentsMargins(0, 0, 0, 0);
    auto* standingsLabel = new QLabel(QStringLiteral("排行(&S)"), right);
    standings_ = List({QStringLiteral("名次"), QStringLiteral("名字"), QStringLiteral("积分"),
                       QStringLiteral("局数"), QStringLiteral("胜"), QStringLiteral("负")},
                      right);
    standingsLabel->setBuddy(standings_);
    me_ = new QLabel(right);
    me_->setWordWrap(true);
    auto* gamesLabel = new QLabel(QStringLiteral("我最近的对局(&G)"), right);
    games_ = List({QStringLiteral("局号"), QStringLiteral("时间"), QStringLiteral("得分")}, right);
    gamesLabel->setBuddy(games_);
    replay_ = new QPushButton(QStringLiteral("回放这一局(&P)"), right);
    rightBox->addWidget(standingsLabel);
    rightBox->addWidget(standings_, 1);
    rightBox->addWidget(me_);
    rightBox->addWidget(gamesLabel);
    rightBox->addWidget(games_, 1);
    rightBox->addWidget(replay_);

    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 5);
    split->setStretchFactor(2, 3);
    split->setSizes({330, 520, 330});
    outer->addWidget(split, 1);
    setCentralWidget(central);
    status_ = new QLabel(this);
    statusBar()->addWidget(status_, 1);

    name_->setText(QSettings().value(QStringLiteral("lobby/name")).toString());
    connect(name_, &QLineEdit::editingFinished, this, [this] {
        QSettings().setValue(QStringLiteral("lobby/name"), Name());
        ReadRecords();
    });
    connect(add, &QPushButton::clicked, this, &LobbyWindow::AddTypedRoom);
    connect(address_, &QLineEdit::returnPressed, this, &LobbyWindow::AddTypedRoom);
    connect(rooms_, &QTreeWidget::currentItemChanged, this, [this] {
        ShowRoom(rooms_->indexOfTopLevelItem(rooms_->currentItem()));
    });
    connect(tables_, &TablesView::SitRequested, this, &LobbyWindow::SitAt);
    connect(tables_, &TablesView::WatchRequested, this, &LobbyWindow::Watch);
    connect(tables_, &TablesView::Told, this, &LobbyWindow::Say);
    const auto replayChosen = [this] {
        if (const QTreeWidgetItem* item = games_->currentItem()) {
            Replay(item->data(0, Qt::UserRole).toLongLong());
        }
    };
    connect(replay_, &QPushButton::clicked, this, replayChosen);
    connect(games_, &QTreeWidget::itemActivated, this, replayChosen);
    connect(&refresh_, &QTimer::timeout, this, &LobbyWindow::Refresh);
    refresh_.start(kRefreshMs);
    resize(1180, 720);
}

LobbyWindow::~LobbyWindow() {
    // The widgets outlive the rooms as the window comes down, and tell of
    // focus and selection leaving them.
    name_->disconnect(this);
    rooms_->disconnect(this);
    games_->disconnect(this);
}

void LobbyWindow::closeEvent(QCloseEvent* event) {
    // The tables started from here close with the lobby, and this
    // machine's room with them: a game is not ended by a stray click.
    const int open = starter_.Running();
    if (open > 0 && QMessageBox::question(this, QStringLiteral("红十"),
                                          QStringLiteral("还有 %1 张桌子开着，关掉大厅会把它们一起关掉。确定要关吗？")
                                              .arg(open)) != QMessageBox::Yes) {
        event->ignore();
        return;
    }
    event->accept();
}

QString LobbyWindow::Name() const { return name_->text().trimmed(); }

void LobbyWindow::SetName(const QString& name) {
    name_->setText(name);
    ReadRecords();
}

void LobbyWindow::AddRoom(const QString& name, const QString& host, quint16 port) {
    Room room;
    room.name = name;
    room.feed = std::make_unique<RoomFeed>(host, port);
    room.item = new QTreeWidgetItem(rooms_, {name, room.feed->Address(), QStringLiteral("-"),
                                             QStringLiteral("-"), QStringLiteral("-")});
    RoomFeed* feed = room.feed.get();
    QTreeWidgetItem* item = room.item;
    connect(feed, &RoomFeed::TablesRead, this, [this, feed, item](const RoomTables& read, int pingMs) {
        int playing = 0, free = 0;
        for (const LiveTable& t : read.tables) {
            playing += t.playing ? 1 : 0;
            for (const Chair& c : t.chairs) {
                free += !t.playing && c.name.isEmpty() ? 1 : 0;
            }
        }
        item->setText(2, QStringLiteral("%1（%2 桌在打）").arg(read.tables.size()).arg(playing));
        item->setText(3, QString::number(free));
        item->setText(4, QStringLiteral("%1 毫秒").arg(pingMs));
        if (Shown() != nullptr && Shown()->feed.get() == feed) {
            tables_->SetTables(read.tables);
            roomTitle_->setText(QStringLiteral("%1 的桌子(&T)：%2 人在玩").arg(Shown()->name).arg(read.people));
        }
    });
    connect(feed, &RoomFeed::Unreachable, this, [this, item](const QString& why) {
        item->setText(4, QStringLiteral("连不上"));
        Say(why);
    });
    connect(feed, &RoomFeed::StandingsRead, this, [this, feed](const std::vector<Totals>& all) {
        if (Shown() == nullptr || Shown()->feed.get() != feed) {
            return;
        }
        standings_->clear();
        int place = 0;
        for (const Totals& t : all) {
            new QTreeWidgetItem(standings_, {QString::number(++place), t.name, QString::number(t.points),
                                             QString::number(t.games), QString::number(t.wins),
                                             QString::number(t.losses)});
        }
    });
    connect(feed, &RoomFeed::PersonRead, this, [this, feed](const PersonRecords& me) {
        if (Shown() == nullptr || Shown()->feed.get() != feed) {
            return;
        }
        const Totals& t = me.person;
        me_->setText(QStringLiteral("%1：积分 %2，%3 局，胜 %4 负 %5，逃跑 %6")
                         .arg(t.name).arg(t.points).arg(t.games).arg(t.wins).arg(t.losses).arg(t.escapes));
        games_->clear();
        for (const GameLine& g : me.games) {
            int mine = 0;
            for (std::size_t s = 0; s < 4; ++s) {
                mine = g.players[s] == t.name ? g.scores[s] : mine;
            }
            auto* item = new QTreeWidgetItem(games_, {QString::number(g.id), g.finishedAt.left(16).replace(
                                                                                 QLatin1Char('T'), QLatin1Char(' ')),
                                                      QString::number(mine)});
            item->setData(0, Qt::UserRole, static_cast<qlonglong>(g.id));
        }
        if (games_->topLevelItemCount() > 0 && games_->currentItem() == nullptr) {
            games_->setCurrentItem(games_->topLevelItem(0));
        }
    });
    roomList_.push_back(std::move(room));
    if (rooms_->currentItem() == nullptr) {
        rooms_->setCurrentItem(item);
    }
}

void LobbyWindow::FoundRoom(const QString& name, const QString& host, quint16 port, int tables,
                            int freeSeats) {
    const QString address = host + QLatin1Char(':') + QString::number(port);
    const auto known = std::find_if(roomList_.begin(), roomList_.end(),
                                    [&](const Room& r) { return r.feed->Address() == address; });
    Room* room = known == roomList_.end() ? nullptr : &*known;
    if (room == nullptr) {
        AddRoom(name, host, port);  // which may move the rooms: known is not looked at again
        room = &roomList_.back();
    }
    if (room != Shown()) {  // the room shown has fresher figures of its own
        room->item->setText(2, QString::number(tables));
        room->item->setText(3, QString::number(freeSeats));
    }
}

void LobbyWindow::AddTypedRoom() {
    const QString text = address_->text().trimmed();
    const auto at = ParseRoomAddress(text);
    if (!at || at->port == 0) {
        Say(QStringLiteral("请按“主机:端口”的样子填写房间地址，例如 192.168.1.5:27100。"));
        return;
    }
    AddRoom(text, at->host, at->port);
    rooms_->setCurrentItem(roomList_.back().item);
    address_->clear();
}

LobbyWindow::Room* LobbyWindow::Shown() {
    return shown_ >= 0 && shown_ < static_cast<int>(roomList_.size()) ? &roomList_[static_cast<std::size_t>(shown_)]
                                                                      : nullptr;
}

void LobbyWindow::ShowRoom(int index) {
    shown_ = index;
    tables_->SetTables({});
    standings_->clear();
    games_->clear();
    me_->clear();
    ticks_ = 0;
    Refresh();
}

void LobbyWindow::Refresh() {
    // Only the room shown is asked, and only while the lobby is seen.
    Room* room = Shown();
    if (room == nullptr || !isVisible() || isMinimized()) {
        return;
    }
    room->feed->ReadTables();
    if (ticks_++ % kRecordsEvery == 0) {
        ReadRecords();
    }
}

void LobbyWindow::ReadRecords() {
    Room* room = Shown();
    if (room == nullptr) {
        return;
    }
    room->feed->ReadStandings();
    if (PlainWord(Name())) {
        room->feed->ReadPerson(Name());
    }
}

void LobbyWindow::SitAt(int tableNumber, int chair) {
    AskAndStart(QStringLiteral("SITAT %1 %2 %3").arg(Name()).arg(tableNumber).arg(chair + 1),
                QStringLiteral("坐到第 %1 桌").arg(tableNumber));
}

void LobbyWindow::Watch(const QString& player) {
    AskAndStart(QStringLiteral("WATCH %1 %2").arg(Name(), player), QStringLiteral("旁观 ") + player);
}

void LobbyWindow::Replay(std::int64_t game) {
    AskAndStart(QStringLiteral("REPLAY %1 %2").arg(Name()).arg(game), QStringLiteral("回放第 %1 局").arg(game));
}

void LobbyWindow::NewTable(int computers, const QString& level) {
    AskAndStart(QStringLiteral("SITNEW %1 %2 %3").arg(Name()).arg(computers).arg(level),
                QStringLiteral("开新桌"));
}

void LobbyWindow::AskAndStart(const QString& line, const QString& doing) {
    Room* room = Shown();
    if (room == nullptr) {
        Say(QStringLiteral("请先选一个房间。"));
        return;
    }
    if (!PlainWord(Name())) {
        Say(QStringLiteral("请先填好名字（不能有空格）。"));
        name_->setFocus();
        return;
    }
    QSettings().setValue(QStringLiteral("lobby/name"), Name());
    // A replay claims no name and keeps no record: it goes without the secret.
    const bool replay = line.startsWith(QLatin1String("REPLAY"));
    const QString asked = replay || secret_.isEmpty() ? line : line + QLatin1Char(' ') + secret_;
    const QString host = room->feed->Host();
    const quint16 port = room->feed->Port();
    const QString me = Name();
    Say(doing + QStringLiteral("…"));
    room->feed->Ask(asked, [this, host, port, me, doing](const QString& refusal) {
        if (!refusal.isEmpty()) {
            Say(refusal);
            return;
        }
        Say(doing + QStringLiteral("：桌子正在打开。"));
        starter_.Start(LaunchWords(host, port, me), [this](const QString& why) {
            Say(why.isEmpty() ? QStringLiteral("桌子关了。") : QStringLiteral("桌子关闭了：") + why);
            Refresh();
        });
    });
}

void LobbyWindow::Say(const QString& text) { status_->setText(text); }

}  // namespace redten::lobby
