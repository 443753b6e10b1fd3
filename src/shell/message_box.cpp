#include "shell/message_box.h"

#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QScreen>

#include "platform/resource_path.h"

namespace redten {
namespace {

// The box's window sizes, measured in twips where it was first drawn
// (15 twips to a pixel).
constexpr QSize kNoticeSize{5960 / 15, 1030 / 15};
constexpr QSize kQuestionSize{5525 / 15, 2165 / 15};

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

frmMsg::frmMsg(const std::string& iconFolder, QWidget* owner)
    : QDialog(owner), iconFolder_(iconFolder), labNote(this), cmdYes(this), cmdNo(this) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    labNote.setWordWrap(true);
    labNote.setTextFormat(Qt::PlainText);
    labNote.setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    tmrDelay.setInterval(1000);
    connect(&tmrDelay, &QTimer::timeout, this, &frmMsg::TickOnce);
    connect(&cmdYes, &QPushButton::clicked, this, [this] { Press(0); });
    connect(&cmdNo, &QPushButton::clicked, this, [this] { Press(1); });
}

void frmMsg::SetMsgInfo(std::uint8_t type, const std::string& note, const std::string& caption,
                        const std::string& yesCaption, const std::string& noCaption,
                        std::int32_t seconds, bool yesDefault) {
    bteMsgType = type;
    strYesCmdCaption = yesCaption;
    strNoCmdCaption = noCaption;
    lngMaxDelayTime = seconds;
    blnYesDefault = yesDefault;
    labNote.setText(Q(note));
    setWindowTitle(type == 0 ? QString() : Q(caption));
    cmdYes.setText(Q(yesCaption + "(&Y)"));
    cmdNo.setText(Q(noCaption + "(&N)"));
    cmdYes.setVisible(type != 0);
    cmdNo.setVisible(type == 2);
    const QSize size = type == 0 ? kNoticeSize : kQuestionSize;
    setFixedSize(size);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move((area.width() - size.width()) / 2, (area.height() - size.height()) / 2);
    }
    Layout();
    if (type == 0) {
        tmrDelay.stop();
    } else {
        tmrDelay.start();
        (YesIsDefault() ? cmdYes : cmdNo).setFocus();
        (YesIsDefault() ? cmdYes : cmdNo).setDefault(true);
    }
}

void frmMsg::Layout() {
    const int w = width();
    const int h = height();
    if (bteMsgType == 0) {
        labNote.setGeometry(50, 25, w - 60, h - 40);
        return;
    }
    labNote.setGeometry(50, 22, w - 60, h - 70);
    const QSize button = cmdYes.sizeHint().expandedTo(QSize(75, 23));
    cmdYes.resize(button);
    cmdNo.resize(button);
    if (bteMsgType == 1) {
        cmdYes.move((w - button.width()) / 2, h - 30);
    } else {
        const int left = (w - 2 * button.width() - 6) / 2;
        cmdYes.move(left, h - 30);
        cmdNo.move(left + button.width() + 6, h - 30);
    }
}

void frmMsg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Layout();
}

void frmMsg::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    QPainter painter(this);
    const QString icon = ResolveResourcePath(iconFolder_, "Msg" + std::to_string(bteMsgType) + ".ico");
    if (QFile::exists(icon)) {
        painter.drawPixmap(10, 15, QIcon(icon).pixmap(32, 32));
    }
    if (bteMsgType != 0) {
        const int y = cmdYes.y() - 10;
        painter.setPen(QColor(255, 255, 255));
        painter.drawLine(10, y, width() - 10, y);
        painter.setPen(QColor(132, 130, 132));
        painter.drawLine(10, y + 1, width() - 10, y + 1);
    }
}

void frmMsg::TickOnce() {
    if (bteMsgType == 0) {
        tmrDelay.stop();
        return;
    }
    const std::string left = " " + std::to_string(lngMaxDelayTime);
    if (YesIsDefault()) {
        cmdYes.setText(Q(strYesCmdCaption + "(&Y)" + left));
    } else {
        cmdNo.setText(Q(strNoCmdCaption + "(&N)" + left));
    }
    if (--lngMaxDelayTime < 0) {
        tmrDelay.stop();
        Press(YesIsDefault() ? 0 : 1);
    }
}

void frmMsg::Press(int button) {
    if (answered_) {
        return;
    }
    answered_ = true;
    tmrDelay.stop();
    emit Answered(button == 0);
    button == 0 ? accept() : reject();
    close();
}

void frmMsg::Unload() {
    answered_ = true;
    tmrDelay.stop();
    close();
}

void frmMsg::closeEvent(QCloseEvent* event) {
    // Closed from its title bar: the safe answer, acknowledge or decline.
    // Closed by the program: no answer, the slot keeps its last one.
    if (!answered_ && bteMsgType != 0 && event->spontaneous()) {
        answered_ = true;
        tmrDelay.stop();
        emit Answered(bteMsgType == 1);
    }
    QDialog::closeEvent(event);
}

void MessageBoxPool::InitGlobalMsg() {
    MsgObjects.clear();
    iconFolder_ = parentPath_ + "res";
}

std::size_t MessageBoxPool::TakeSlot() {
    std::size_t slot = 0;
    while (slot < MsgObjects.size() && MsgObjects[slot].box) {
        ++slot;
    }
    if (slot == MsgObjects.size()) {
        MsgObjects.emplace_back();
    }
    return slot;
}

frmMsg* MessageBoxPool::Open(std::size_t slot, std::int32_t group, std::uint8_t type, const std::string& note,
                             const std::string& caption, std::int32_t seconds, const std::string& yesCaption,
                             const std::string& noCaption, bool yesDefault) {
    auto* box = new frmMsg(iconFolder_, type == 0 ? nullptr : owner_.data());
    box->lngRoomObjectIdx = group;
    box->lngMsgObjectIdx = static_cast<std::int32_t>(slot);
    box->SetMsgInfo(type, note, caption, yesCaption, noCaption, seconds, yesDefault);
    MsgObjects[slot].box = box;
    QObject::connect(box, &frmMsg::Answered, [this, slot](bool yes) {
        if (slot < MsgObjects.size()) {
            MsgObjects[slot].answer = yes;
        }
    });
    return box;
}

bool MessageBoxPool::ShowGlobalMsg(std::int32_t group, std::uint8_t type, const std::string& note,
                                   const std::string& caption, std::int32_t seconds,
                                   const std::string& yesCaption, const std::string& noCaption,
                                   bool yesDefault) {
    const std::size_t slot = TakeSlot();
    frmMsg* box = Open(slot, group, type, note, caption, seconds, yesCaption, noCaption, yesDefault);
    if (type == 0) {
        box->show();
        return MsgObjects[slot].answer;
    }
    box->exec();  // the event loop keeps running: network and timers too
    return slot < MsgObjects.size() ? MsgObjects[slot].answer : false;
}

void MessageBoxPool::CloseGlobalMsg(std::int32_t group) {
    for (Slot& slot : MsgObjects) {
        if (slot.box && (group == 0 || slot.box->lngRoomObjectIdx == group)) {
            frmMsg* box = slot.box;
            slot.box = nullptr;
            box->Unload();
        }
    }
}

void MessageBoxPool::ShowNotice(const std::string& note, const std::string& caption, std::int32_t seconds,
                                std::function<void()> then) {
    const std::size_t slot = TakeSlot();
    frmMsg* box = Open(slot, 0, 1, note, caption, seconds, "确定", "", true);
    if (then) {
        // However it closes; but never once the pool, and the table it
        // serves, are gone.
        QObject::connect(box, &QDialog::finished, &guard_, [then = std::move(then)](int) { then(); });
    }
    box->open();
}

void MessageBoxPool::ShowSystemBox(const std::string& text, const std::string& caption,
                                   SystemBoxIcon icon) {
    OpenSystemMessageBox(text, caption, icon, owner_.data());
}

std::vector<frmMsg*> MessageBoxPool::OpenBoxes() const {
    std::vector<frmMsg*> boxes;
    for (const Slot& slot : MsgObjects) {
        if (slot.box) {
            boxes.push_back(slot.box);
        }
    }
    return boxes;
}

}  // namespace redten
