#pragma once

#include <QWidget>

#include "components/chat_log.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextEdit;

namespace redten {

// The chat pane as the player sees it (ctlChat): the transcript, whom to
// talk to, and the line being typed. Every received text is put in as
// plain text; system lines, notices and chat lines each have their style.
class ChatPanel final : public QWidget {
    Q_OBJECT
public:
    ChatPanel(ChatLog& log, QWidget* parent = nullptr);

    QTextEdit& Transcript() { return *transcript_; }
    QComboBox& AddresseeBox() { return *addressee_; }
    QLineEdit& Input() { return *input_; }
    QCheckBox& Whisper() { return *whisper_; }
    // Sends what is typed, as the send button does.
    void SendTyped();

private:
    void Append(const ChatLog::Line& line);
    void RefillNames();

    ChatLog& log_;
    QLabel* title_;
    QTextEdit* transcript_;
    QComboBox* addressee_;
    QCheckBox* whisper_;
    QLineEdit* input_;
    QPushButton* send_;
};

// How a chat line reads in the transcript.
QString ChatLineText(const ChatLog::Line& line);

}  // namespace redten
