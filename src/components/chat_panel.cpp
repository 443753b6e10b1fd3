#include "components/chat_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextEdit>
#include <QTime>
#include <QVBoxLayout>

#include "wire/text_fields.h"

namespace redten {
namespace {

QString Text(const std::string& s) { return QString::fromStdString(s); }

// A chat colour is a Windows colour value: red in the low byte.
QColor ChatColour(const std::string& value) {
    const std::int32_t v = RoundToLong(TextValue(value));
    if (v <= 0 || v > 0xFFFFFF) {
        return Qt::black;
    }
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

}  // namespace

QString ChatLineText(const ChatLog::Line& line) {
    if (line.kind == ChatLog::Kind::System) {
        return QStringLiteral("【系统】") + Text(line.text);
    }
    if (line.kind == ChatLog::Kind::Notice) {
        return QStringLiteral("【公告】") + Text(line.text);
    }
    const auto& f = line.fields;
    QString head = f[2].empty() ? QString() : QStringLiteral("[%1] ").arg(Text(f[2]));
    head += Text(f[0]);
    if (f[5] == "1") {
        head += QStringLiteral(" 悄悄地对 ") + Text(f[1]) + QStringLiteral(" 说：");
    } else if (f[1].empty() || f[1] == kEverybody) {
        head += QStringLiteral(" 说：");
    } else {
        head += QStringLiteral(" 对 ") + Text(f[1]) + QStringLiteral(" 说：");
    }
    return head + Text(f[7]);
}

ChatPanel::ChatPanel(ChatLog& log, QWidget* parent)
    : QWidget(parent),
      log_(log),
      title_(new QLabel(this)),
      transcript_(new QTextEdit(this)),
      addressee_(new QComboBox(this)),
      whisper_(new QCheckBox(QStringLiteral("悄悄话"), this)),
      input_(new QLineEdit(this)),
      send_(new QPushButton(QStringLiteral("发送"), this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    title_->setTextFormat(Qt::PlainText);
    title_->setContentsMargins(6, 3, 6, 3);
    title_->setAutoFillBackground(true);
    QPalette palette = title_->palette();
    palette.setColor(QPalette::Window, QColor(0, 138, 140));
    palette.setColor(QPalette::WindowText, Qt::white);
    title_->setPalette(palette);
    layout->addWidget(title_);

    transcript_->setReadOnly(true);
    transcript_->setAcceptRichText(false);
    transcript_->setUndoRedoEnabled(false);
    transcript_->document()->setMaximumBlockCount(static_cast<int>(ChatLog::kMaxLines));
    layout->addWidget(transcript_, 1);

    auto* to = new QHBoxLayout;
    to->addWidget(new QLabel(QStringLiteral("对"), this));
    // A long name from the room must not push the rest of the row away.
    addressee_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    addressee_->setMinimumContentsLength(8);
    to->addWidget(addressee_, 1);
    to->addWidget(whisper_);
    layout->addLayout(to);

    auto* typing = new QHBoxLayout;
    input_->setMaxLength(ChatLog::kMaxTyped);
    input_->setPlaceholderText(QStringLiteral("在这里输入要说的话"));
    typing->addWidget(input_, 1);
    typing->addWidget(send_);
    layout->addLayout(typing);

    connect(send_, &QPushButton::clicked, this, &ChatPanel::SendTyped);
    connect(input_, &QLineEdit::returnPressed, this, &ChatPanel::SendTyped);
    connect(addressee_, &QComboBox::activated, this, [this](int index) {
        log_.SetAddressee(addressee_->itemData(index).toByteArray().toStdString());
    });
    connect(&log_, &ChatLog::LineAdded, this, &ChatPanel::Append);
    connect(&log_, &ChatLog::Cleared, transcript_, &QTextEdit::clear);
    connect(&log_, &ChatLog::NamesChanged, this, &ChatPanel::RefillNames);
    connect(&log_, &ChatLog::AddresseeChanged, this, &ChatPanel::RefillNames);
    connect(&log_, &ChatLog::TitleChanged, this, [this] { title_->setText(Text(log_.Title())); });

    title_->setText(Text(log_.Title()));
    for (const ChatLog::Line& line : log_.Lines()) {
        Append(line);
    }
    RefillNames();
}

void ChatPanel::SendTyped() {
    const QString typed = input_->text().trimmed().left(ChatLog::kMaxTyped);
    if (typed.isEmpty()) {
        return;
    }
    log_.Submit(typed.toStdString(), whisper_->isChecked(),
                QTime::currentTime().toString(QStringLiteral("hh:mm:ss")).toStdString());
    input_->clear();
}

void ChatPanel::Append(const ChatLog::Line& line) {
    QTextCharFormat format;
    switch (line.kind) {
    case ChatLog::Kind::System:
        format.setForeground(QColor(0, 102, 51));
        break;
    case ChatLog::Kind::Notice:
        format.setForeground(QColor(190, 0, 0));
        format.setFontWeight(QFont::Bold);
        break;
    case ChatLog::Kind::Chat:
        format.setForeground(ChatColour(line.fields[4]));
        break;
    }
    QTextCursor cursor(transcript_->document());
    cursor.movePosition(QTextCursor::End);
    if (!transcript_->document()->isEmpty()) {
        cursor.insertBlock();
    }
    // insertText never reads markup: what came is what shows.
    cursor.insertText(ChatLineText(line), format);
    transcript_->setTextCursor(cursor);
    transcript_->ensureCursorVisible();
}

void ChatPanel::RefillNames() {
    addressee_->clear();
    addressee_->addItem(QString::fromUtf8(kEverybody), QByteArray(kEverybody));
    for (const std::string& name : log_.Names()) {
        if (name != log_.OwnName()) {
            addressee_->addItem(Text(name), QByteArray::fromStdString(name));
        }
    }
    int current = addressee_->findData(QByteArray::fromStdString(log_.Addressee()));
    if (current < 0) {
        // Somebody picked from the list who is not in the names yet.
        addressee_->addItem(Text(log_.Addressee()), QByteArray::fromStdString(log_.Addressee()));
        current = addressee_->count() - 1;
    }
    addressee_->setCurrentIndex(current);
}

}  // namespace redten
