#include "components/user_list_view.h"

#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QTableWidget>
#include <QVBoxLayout>

#include "components/user_list_model.h"
#include "state/public_define.h"
#include "wire/text_fields.h"

namespace redten {
namespace {

constexpr int kLevelColumn = 3;
constexpr int kWinRateColumn = 6;
constexpr int kEscapeRateColumn = 7;

QColor FromRgb(std::uint32_t rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

QString Text(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

UserListView::UserListView(UserListModel& model, QWidget* parent)
    : QWidget(parent), model_(model), title_(new QLabel(this)), table_(new QTableWidget(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    title_->setTextFormat(Qt::PlainText);
    title_->setContentsMargins(6, 3, 6, 3);
    title_->setAutoFillBackground(true);
    layout->addWidget(title_);
    layout->addWidget(table_);

    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(20);
    table_->setShowGrid(false);
    table_->setWordWrap(false);
    table_->setContextMenuPolicy(Qt::NoContextMenu);
    table_->viewport()->installEventFilter(this);
    connect(&model_, &UserListModel::Changed, this, &UserListView::Refill);
    Refill();
}

void UserListView::Refill() {
    const QColor own = FromRgb(model_.OwnBackground());
    QPalette palette = title_->palette();
    palette.setColor(QPalette::Window, own);
    palette.setColor(QPalette::WindowText, FromRgb(model_.OwnText()));
    title_->setPalette(palette);
    title_->setText(Text(model_.Title()));
    title_->setVisible(!model_.Title().empty());

    const std::vector<std::string> columns = model_.ShownColumns();
    const std::vector<int> widths = model_.ColumnWidths();
    const auto levels = ParseLevelList(model_.Levels());
    table_->clearContents();
    table_->setColumnCount(static_cast<int>(columns.size()));
    QStringList headers;
    for (const std::string& c : columns) {
        headers << Text(c);
    }
    table_->setHorizontalHeaderLabels(headers);
    for (std::size_t c = 0; c < columns.size() && c < widths.size(); ++c) {
        table_->setColumnWidth(static_cast<int>(c), widths[c]);
    }

    const auto& records = model_.Records();
    table_->setRowCount(static_cast<int>(records.size()));
    int notifiedRow = -1;
    for (std::size_t r = 0; r < records.size(); ++r) {
        const std::vector<std::string> fields = SplitFields(records[r]);
        const bool mine = !fields.empty() && fields[0] == model_.OwnName();
        for (std::size_t c = 0; c < columns.size() && c < fields.size(); ++c) {
            QString text = Text(fields[c]);
            if (c == kLevelColumn && !levels.empty()) {
                text = Text(GetLevelName(levels, RoundToLong(TextValue(fields[c]))));
            } else if (c == kWinRateColumn || c == kEscapeRateColumn) {
                text += QLatin1Char('%');
            }
            auto* item = new QTableWidgetItem(text);
            item->setData(Qt::UserRole, QByteArray::fromStdString(fields[0]));
            if (mine) {
                item->setBackground(own);
                item->setForeground(FromRgb(model_.OwnText()));
            }
            table_->setItem(static_cast<int>(r), static_cast<int>(c), item);
        }
        if (!fields.empty() && fields[0] == model_.Notified()) {
            notifiedRow = static_cast<int>(r);
        }
    }
    if (notifiedRow >= 0) {
        table_->selectRow(notifiedRow);
        table_->scrollToItem(table_->item(notifiedRow, 0));
    }
}

void UserListView::ClickRow(int row, Qt::MouseButton button) {
    const QTableWidgetItem* item = table_->item(row, 0);
    if (!item || (button != Qt::LeftButton && button != Qt::RightButton)) {
        return;
    }
    table_->selectRow(row);
    model_.ReportClick(button == Qt::RightButton, item->data(Qt::UserRole).toByteArray().toStdString());
}

bool UserListView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const int row = table_->rowAt(mouse->position().toPoint().y());
        if (row >= 0) {
            ClickRow(row, mouse->button());
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace redten
