#include "net/user_menu.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

#include "state/public_define.h"
#include "wire/text_fields.h"
#include "wire/user_list_text.h"

namespace redten {
namespace {

constexpr char kSeparator[] = "-";

}  // namespace

std::optional<std::array<std::string, 8>> UserMenuCaptions(const std::string& record,
                                                           const PublicDefine& define,
                                                           bool pointsMode) {
    const std::vector<std::string> f = SplitFields(record);
    if (f.size() != kUserRecordFields) {
        return std::nullopt;
    }
    const std::string level = GetLevelName(define.LevelInfo, RoundToLong(TextValue(f[3])));
    const std::string kind = MemberKindName(define, RoundToLong(TextValue(f[12])));
    return std::array<std::string, 8>{
        f[0] + "   身份：" + kind,
        "游戏ID：" + f[1],
        "旁观对象：" + f[4],
        kSeparator,
        "与他（她）交谈",
        kSeparator,
        "级别:" + level + "   " + "胜率:" + f[6] + "%   " + "逃跑率:" + f[7] + "%",
        std::string(pointsMode ? "积分:" : "经验:") + f[2] + "   " + "胜:" + f[8] + "   " + "输:" +
            f[9] + "   " + "和:" + f[10] + "   " + "总局数:" + f[5],
    };
}

frmUserMenu::frmUserMenu(QObject* parent) : QObject(parent) {
    // Item 0 is there from the start; the others come with a record.
    mnuUserItem.push_back(mnuUser.addAction(QString()));
    connect(&mnuUser, &QMenu::triggered, this, [this](QAction* action) {
        for (int i = 0; i < ItemCount(); ++i) {
            if (mnuUserItem[static_cast<std::size_t>(i)] == action) {
                emit ItemChosen(i);
                return;
            }
        }
    });
}

void frmUserMenu::Build(const std::string& record, const PublicDefine& define, bool pointsMode) {
    const auto captions = UserMenuCaptions(record, define, pointsMode);
    if (!captions) {
        return;
    }
    while (mnuUserItem.size() > 1) {
        QAction* last = mnuUserItem.back();
        mnuUserItem.pop_back();
        mnuUser.removeAction(last);
        delete last;
    }
    for (int i = 1; i < kItems; ++i) {
        mnuUserItem.push_back(mnuUser.addAction(QString()));
    }
    const QByteArray name = QByteArray::fromStdString(SplitFields(record)[0]);
    for (int i = 0; i < kItems; ++i) {
        QAction* item = mnuUserItem[static_cast<std::size_t>(i)];
        const std::string& caption = (*captions)[static_cast<std::size_t>(i)];
        item->setSeparator(caption == kSeparator);
        // An ampersand in a name is a character, not a shortcut mark.
        item->setText(QString::fromStdString(caption).replace(QLatin1Char('&'), QLatin1String("&&")));
        item->setData(name);
        item->setVisible(true);
        item->setEnabled(true);
    }
}

void frmUserMenu::Popup(const QPoint& screenPosition) {
    // The list sits at the screen's right edge: the menu opens leftwards or
    // upwards rather than off the screen.
    QPoint at = screenPosition;
    if (const QScreen* screen = QGuiApplication::screenAt(screenPosition)) {
        const QRect room = screen->availableGeometry();
        const QSize size = mnuUser.sizeHint();
        at.setX(std::max(room.left(), std::min(at.x(), room.right() + 1 - size.width())));
        at.setY(std::max(room.top(), std::min(at.y(), room.bottom() + 1 - size.height())));
    }
    mnuUser.popup(at);
}

QString frmUserMenu::Caption(int index) const {
    if (index < 0 || index >= ItemCount()) {
        return {};
    }
    const QAction* item = mnuUserItem[static_cast<std::size_t>(index)];
    return item->isSeparator() ? QStringLiteral("-") : item->text().replace(QLatin1String("&&"), QLatin1String("&"));
}

std::string frmUserMenu::Tag(int index) const {
    if (index < 0 || index >= ItemCount()) {
        return {};
    }
    return mnuUserItem[static_cast<std::size_t>(index)]->data().toByteArray().toStdString();
}

void frmUserMenu::Choose(int index) {
    if (index >= 0 && index < ItemCount()) {
        mnuUserItem[static_cast<std::size_t>(index)]->trigger();
    }
}

}  // namespace redten
