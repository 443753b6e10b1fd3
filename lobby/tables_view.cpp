#include "lobby/tables_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <algorithm>

namespace redten::lobby {
namespace {

// A table's cell, in device-independent pixels: the table in the middle,
// its chairs at the four sides, a line for the watchers below.
constexpr int kCellWidth = 240;
constexpr int kCellHeight = 210;
constexpr int kChairWidth = 92;
constexpr int kChairHeight = 34;

const QColor kFelt(0x2e, 0x7d, 0x4f);
const QColor kPlaying(0xb0, 0x3a, 0x2e);
const QColor kChairFree(0xf4, 0xee, 0xe0);
const QColor kChairTaken(0xdc, 0xe6, 0xf2);
const QColor kChairComputer(0xe8, 0xe0, 0xf0);
const QColor kFocus(0xe0, 0x9b, 0x1a);

QString ChairText(const Chair& chair) {
    if (chair.name.isEmpty()) {
        return QStringLiteral("空位");
    }
    return chair.computer ? chair.name + QStringLiteral("\n（") + LevelText(chair.level) + QStringLiteral("）")
                          : chair.name;
}

}  // namespace

TablesView::TablesView(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    setAccessibleName(QStringLiteral("桌子"));
}

void TablesView::SetTables(std::vector<LiveTable> tables) {
    const int chosenNumber =
        current_ && current_->table < static_cast<int>(tables_.size()) ? tables_[current_->table].number : 0;
    tables_ = std::move(tables);
    std::optional<Spot> keep;
    for (int i = 0; i < static_cast<int>(tables_.size()); ++i) {
        if (tables_[i].number == chosenNumber) {
            keep = Spot{i, current_->chair};
        }
    }
    if (!keep && !tables_.empty()) {
        keep = Spot{0, 0};
    }
    current_ = keep;
    updateGeometry();
    update();
}

void TablesView::SetCurrent(std::optional<Spot> spot) {
    if (spot && (spot->table < 0 || spot->table >= static_cast<int>(tables_.size()) || spot->chair < 0 ||
                 spot->chair > 3)) {
        return;
    }
    current_ = spot;
    update();
}

int TablesView::Columns() const { return std::max(1, width() / kCellWidth); }

QRect TablesView::Cell(int index) const {
    const int columns = Columns();
    const int spare = std::max(0, width() - columns * kCellWidth) / 2;
    return {spare + (index % columns) * kCellWidth, (index / columns) * kCellHeight, kCellWidth, kCellHeight};
}

QRect TablesView::ChairRect(int index, int chair) const {
    const QRect cell = Cell(index).adjusted(6, 6, -6, -26);
    const QPoint c = cell.center();
    switch (chair) {
        case 0:  // below the table
            return {c.x() - kChairWidth / 2, cell.bottom() - kChairHeight, kChairWidth, kChairHeight};
        case 1:  // right
            return {cell.right() - kChairWidth / 2 - 4, c.y() - kChairHeight / 2, kChairWidth / 2 + 4, kChairHeight + 16};
        case 2:  // above
            return {c.x() - kChairWidth / 2, cell.top(), kChairWidth, kChairHeight};
        default:  // left
            return {cell.left(), c.y() - kChairHeight / 2, kChairWidth / 2 + 4, kChairHeight + 16};
    }
}

QSize TablesView::sizeHint() const { return {kCellWidth * 3, heightForWidth(kCellWidth * 3)}; }

int TablesView::heightForWidth(int width) const {
    const int columns = std::max(1, width / kCellWidth);
    const int rows = (static_cast<int>(tables_.size()) + columns - 1) / columns;
    return std::max(1, rows) * kCellHeight;
}

void TablesView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), palette().base());
    if (tables_.empty()) {
        p.setPen(palette().color(QPalette::PlaceholderText));
        p.drawText(rect(), Qt::AlignCenter, QStringLiteral("这个房间还没有桌子。在下面开一张新桌吧。"));
        return;
    }
    QFont small = font();
    small.setPointSizeF(font().pointSizeF() * 0.9);
    for (int i = 0; i < static_cast<int>(tables_.size()); ++i) {
        const LiveTable& t = tables_[i];
        const QRect cell = Cell(i).adjusted(6, 6, -6, -26);
        const QRect table = cell.adjusted(kChairWidth / 2 + 10, kChairHeight + 8, -kChairWidth / 2 - 10,
                                          -kChairHeight - 8);
        p.setPen(Qt::NoPen);
        p.setBrush(t.playing ? kPlaying : kFelt);
        p.drawRoundedRect(table, 14, 14);
        p.setPen(Qt::white);
        p.drawText(table, Qt::AlignCenter,
                   QStringLiteral("第 %1 桌\n%2").arg(t.number).arg(t.playing ? QStringLiteral("打牌中")
                                                                              : QStringLiteral("等人")));
        for (int c = 0; c < 4; ++c) {
            const Chair& chair = t.chairs[static_cast<std::size_t>(c)];
            const QRect r = ChairRect(i, c);
            p.setBrush(chair.name.isEmpty() ? kChairFree : chair.computer ? kChairComputer : kChairTaken);
            p.setPen(QPen(palette().color(QPalette::Mid), 1));
            p.drawRoundedRect(r, 6, 6);
            p.setPen(palette().color(QPalette::Text));
            p.setFont(small);
            p.drawText(r.adjusted(2, 1, -2, -1), Qt::AlignCenter | Qt::TextWordWrap, ChairText(chair));
            p.setFont(font());
            if (current_ && current_->table == i && current_->chair == c) {
                p.setBrush(Qt::NoBrush);
                p.setPen(QPen(kFocus, hasFocus() ? 3 : 2, hasFocus() ? Qt::SolidLine : Qt::DashLine));
                p.drawRoundedRect(r.adjusted(-2, -2, 2, 2), 7, 7);
            }
        }
        p.setPen(palette().color(QPalette::Text));
        const QString watchers = t.watchers.empty()
                                     ? QStringLiteral("没有人旁观")
                                     : QStringLiteral("旁观 %1 人").arg(t.watchers.size());
        p.drawText(QRect(cell.left(), cell.bottom() + 4, cell.width(), 20), Qt::AlignCenter, watchers);
    }
}

bool TablesView::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) {
        return QWidget::event(event);
    }
    // Who watches a table, when the pointer rests on it.
    const QPoint at = static_cast<QHelpEvent*>(event)->pos();
    for (int i = 0; i < static_cast<int>(tables_.size()); ++i) {
        if (Cell(i).contains(at) && !tables_[i].watchers.empty()) {
            QStringList names;
            for (const QString& w : tables_[i].watchers) {
                names << w;
            }
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(),
                               QStringLiteral("旁观的人：") + names.join(QStringLiteral("、")), this);
            return true;
        }
    }
    QToolTip::hideText();
    event->ignore();
    return true;
}

std::optional<TablesView::Spot> TablesView::At(QPoint point) const {
    for (int i = 0; i < static_cast<int>(tables_.size()); ++i) {
        for (int c = 0; c < 4; ++c) {
            if (ChairRect(i, c).contains(point)) {
                return Spot{i, c};
            }
        }
    }
    return std::nullopt;
}

void TablesView::mousePressEvent(QMouseEvent* event) {
    if (const auto spot = At(event->position().toPoint())) {
        SetCurrent(spot);
    }
}

void TablesView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (const auto spot = At(event->position().toPoint())) {
        SetCurrent(spot);
        Activate();
    }
}

void TablesView::keyPressEvent(QKeyEvent* event) {
    if (tables_.empty()) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int count = static_cast<int>(tables_.size()) * 4;
    int at = current_ ? current_->table * 4 + current_->chair : 0;
    switch (event->key()) {
        case Qt::Key_Right:
            at = std::min(at + 1, count - 1);
            break;
        case Qt::Key_Left:
            at = std::max(at - 1, 0);
            break;
        case Qt::Key_Down:
            at = std::min(at + Columns() * 4, count - 1);
            break;
        case Qt::Key_Up:
            at = std::max(at - Columns() * 4, 0);
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            Activate();
            return;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    SetCurrent(Spot{at / 4, at % 4});
}

void TablesView::Activate() {
    if (!current_) {
        return;
    }
    const LiveTable& t = tables_[current_->table];
    const Chair& chair = t.chairs[static_cast<std::size_t>(current_->chair)];
    if (chair.name.isEmpty()) {
        if (t.playing) {
            emit Told(QStringLiteral("第 %1 桌正在打牌，请换一张，或者去旁观。").arg(t.number));
        } else {
            emit SitRequested(t.number, current_->chair);
        }
    } else if (chair.computer) {
        emit Told(QStringLiteral("电脑玩家不能旁观，请选一位玩家。"));
    } else {
        emit WatchRequested(chair.name);
    }
}

}  // namespace redten::lobby
