#include "game/game_set_dialog.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "wire/client_messages.h"
#include "wire/text_fields.h"

namespace redten {
namespace {

constexpr int kCountdown = 20;
QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

frmGameSet::frmGameSet(MessageSender& link, MessageBoxes& boxes, const LaunchContext& launch,
                       QWidget* parent)
    : QDialog(parent), link_(link), boxes_(boxes), launch_(launch) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowTitle(Q(launch.strGameTitle + " 游戏设置"));
    Label1.setText(QStringLiteral("本桌大小"));
    Label2.setText(QStringLiteral("逃跑者应扣除的积分"));
    // Digits only, as the boxes always took them.
    const auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this);
    txtUser0.setValidator(digits);
    txtUser1.setValidator(digits);
    auto* grid = new QGridLayout(&famGameSet);
    grid->addWidget(&Label1, 0, 0);
    grid->addWidget(&txtUser0, 0, 1);
    grid->addWidget(&Label2, 1, 0);
    grid->addWidget(&txtUser1, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(&cmdUser0);
    buttons->addWidget(&cmdUser1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(&famGameSet);
    layout->addLayout(buttons);
    connect(&cmdUser0, &QPushButton::clicked, this, &frmGameSet::PressConfirm);
    connect(&cmdUser1, &QPushButton::clicked, this, &frmGameSet::PressCancel);
    connect(&txtUser0, &QLineEdit::returnPressed, &txtUser1, qOverload<>(&QWidget::setFocus));
    connect(&txtUser1, &QLineEdit::returnPressed, &cmdUser0, qOverload<>(&QWidget::setFocus));
    tmrDelay.setInterval(1000);
    connect(&tmrDelay, &QTimer::timeout, this, &frmGameSet::TickOnce);
}

bool frmGameSet::SetInitGameSetInfo(bool deskMaster, const std::string& settings) {
    blnDeskMaster = deskMaster;
    confirmCaption_ = deskMaster ? "确定" : "同意";
    famGameSet.setTitle(deskMaster ? QStringLiteral("你是桌主，请进行本桌游戏设置")
                                   : QStringLiteral("桌主对本桌游戏进行的设置情况"));
    cmdUser0.setText(Q(confirmCaption_));
    cmdUser1.setText(deskMaster ? QStringLiteral("取消") : QStringLiteral("不同意"));
    txtUser0.setReadOnly(!deskMaster);
    txtUser1.setReadOnly(!deskMaster);
    const auto fields = SplitFields(settings);
    if (fields.size() != 6) {
        return false;
    }
    txtUser0.setText(Q(fields[0]));
    lngSizeMax = RoundToLong(TextValue(fields[1]));
    lngSizeMin = RoundToLong(TextValue(fields[2]));
    txtUser1.setText(Q(fields[3]));
    lngPenaltyMax = RoundToLong(TextValue(fields[4]));
    lngPenaltyMin = RoundToLong(TextValue(fields[5]));
    tmrDelay.start();
    return true;
}

void frmGameSet::TickOnce() {
    cmdUser0.setText(Q(confirmCaption_ + " " + std::to_string(kCountdown - countdown_)));
    ++countdown_;
    if (countdown_ > kCountdown) {
        tmrDelay.stop();
        PressConfirm();
    }
}

bool frmGameSet::Validate() {
    const auto refuse = [&](const std::string& text) {
        boxes_.ShowSystemBox(text, launch_.strGameTitle, SystemBoxIcon::Exclamation);
        return false;
    };
    if (txtUser0.text().size() > 7 || txtUser1.text().size() > 7) {
        return refuse("每个输入区域的数字不能超过 7 位！");
    }
    const std::int32_t size = RoundToLong(TextValue(txtUser0.text().toStdString()));
    if (size > lngSizeMax || size < lngSizeMin) {
        return refuse("本桌大小必须在 " + std::to_string(lngSizeMin) + " 和 " + std::to_string(lngSizeMax) +
                      " 之间！");
    }
    const std::int32_t penalty = RoundToLong(TextValue(txtUser1.text().toStdString()));
    if (penalty > lngPenaltyMax || penalty < lngPenaltyMin) {
        return refuse("逃跑者扣分大小必须在 " + std::to_string(lngPenaltyMin) + " 和 " +
                      std::to_string(lngPenaltyMax) + " 之间！");
    }
    return true;
}

void frmGameSet::Send(const Bytes& message) {
    if (answered_) {
        return;
    }
    answered_ = true;
    tmrDelay.stop();
    link_.Send(message);
    emit Answered();
    close();
}

void frmGameSet::PressConfirm() {
    tmrDelay.stop();
    if (!blnDeskMaster) {
        Send(MakeRaiseHand(launch_.strMyName));
        return;
    }
    if (!Validate()) {
        tmrDelay.start();  // where the count-down stood
        return;
    }
    Send(MakeConfirmSettings(
        launch_.strMyName,
        JoinFields({txtUser0.text().toStdString(), std::to_string(lngSizeMax), std::to_string(lngSizeMin),
                    txtUser1.text().toStdString(), std::to_string(lngPenaltyMax),
                    std::to_string(lngPenaltyMin)})));
}

void frmGameSet::closeEvent(QCloseEvent* event) {
    // Only the user's own close (the title bar) answers; the program closes
    // an old dialog, or all of them on the way out, without a word.
    if (!answered_ && event->spontaneous()) {
        event->ignore();
        PressConfirm();
        return;
    }
    tmrDelay.stop();
    QDialog::closeEvent(event);
}

void frmGameSet::PressCancel() {
    tmrDelay.stop();
    Send(MakeLeaveTable(launch_.strMyName));
}

bool GameSetWindows::OpenGameSet(bool deskMaster, const std::string& settings) {
    if (dialog_) {
        dialog_->close();  // one at a time: a new trigger creates it anew
    }
    auto* dialog = new frmGameSet(link_, boxes_, launch_, owner_);
    dialog->SetSecondMs(secondMs_);
    if (!dialog->SetInitGameSetInfo(deskMaster, settings)) {
        delete dialog;
        return false;
    }
    dialog_ = dialog;
    dialog->show();
    return true;
}

}  // namespace redten
