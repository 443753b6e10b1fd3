#include "startup/user_set_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "wire/client_messages.h"

namespace redten {

frmUserSet::frmUserSet(UserSet& set, std::string filePath, MessageSender& link,
                       const std::string& myName, QWidget* parent)
    : QDialog(parent), set_(set), filePath_(std::move(filePath)), link_(link), myName_(myName) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setWindowTitle(QStringLiteral("用户设置"));
    const char* captions[5] = {"允许旁观者看我的牌", "启用音效", "显示用户进出消息", "强退时给出提示",
                               "出牌不对时给出提示"};
    for (int i = 0; i < 5; ++i) {
        chkUser_[static_cast<std::size_t>(i)].setText(QString::fromUtf8(captions[i]));
    }
    auto* basic = new QGroupBox(QStringLiteral("基本设置"));
    auto* basicLayout = new QVBoxLayout(basic);
    for (int i : {2, 1, 0}) {
        basicLayout->addWidget(&chkUser(i));
    }
    auto* prompts = new QGroupBox(QStringLiteral("提示设置"));
    auto* promptLayout = new QVBoxLayout(prompts);
    for (int i : {4, 3}) {
        promptLayout->addWidget(&chkUser(i));
    }
    const char* buttons[3] = {"默认值(&D)", "确定(&Y)", "取消(&C)"};
    auto* row = new QHBoxLayout;
    for (int i = 0; i < 3; ++i) {
        cmdUser(i).setText(QString::fromUtf8(buttons[i]));
        row->addWidget(&cmdUser(i));
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(basic);
    layout->addWidget(prompts);
    layout->addLayout(row);
    connect(&cmdUser(0), &QPushButton::clicked, this, &frmUserSet::Defaults);
    connect(&cmdUser(1), &QPushButton::clicked, this, &frmUserSet::Confirm);
    connect(&cmdUser(2), &QPushButton::clicked, this, &QDialog::close);

    watchAtOpening_ = set_.bteUserSet[kSetAllowWatchCards];
    for (int i = 0; i < 5; ++i) {
        chkUser(i).setChecked(set_.bteUserSet[static_cast<std::size_t>(i)] != 0);
    }
}

void frmUserSet::Defaults() {
    for (QCheckBox& box : chkUser_) {
        box.setChecked(true);
    }
}

void frmUserSet::Confirm() {
    for (int i = 0; i < 5; ++i) {
        set_.bteUserSet[static_cast<std::size_t>(i)] = chkUser(i).checkState() != Qt::Unchecked ? 1 : 0;
    }
    if (!SaveUserSet(set_, filePath_)) {
        emit SaveFailed(QString::fromStdString(filePath_));
    }
    const std::uint8_t watch = set_.bteUserSet[kSetAllowWatchCards];
    if (watch != watchAtOpening_) {
        link_.Send(MakeWatchSetting(myName_, watch));
    }
    close();
}

}  // namespace redten
