#pragma once

#include <string>
#include <vector>

#include "components/chat_pane.h"

namespace redten {

// The chat pane's content: every line it was given, in order, the names it
// may address and who is addressed. The chat panel shows it; tests read it.
class ChatLog : public ChatPane {
    Q_OBJECT
public:
    using ChatPane::ChatPane;

    enum class Kind { System, Notice, Chat };
    struct Line {
        Kind kind = Kind::System;
        // System and notice lines: the text. Chat lines: sender and text.
        std::string text;
        // Chat lines: sender, addressee, time, face, colour, private,
        // reserved, text (as the room sent them).
        std::array<std::string, 8> fields{};
    };
    // The transcript keeps the most recent lines only; the names are
    // bounded like the user list.
    static constexpr std::size_t kMaxLines = 500;
    static constexpr std::size_t kMaxNames = 512;
    // A typed line is cut to this many characters.
    static constexpr int kMaxTyped = 200;

    void SetFolders(const std::string&, const std::string&, const std::string&) override {}
    void SetOwnName(const std::string& name) override { ownName_ = name; }
    void SetAddressee(const std::string& name) override;
    void Start() override { started_ = true; }
    void SetSwitches(bool, const std::string& title, bool) override {
        title_ = title;
        emit TitleChanged();
    }
    void AddSystemLine(const std::string& text) override { Keep({Kind::System, text, {}}); }
    void AddNoticeLine(const std::string& text) override { Keep({Kind::Notice, text, {}}); }
    void AddChatLine(const std::array<std::string, 8>& fields) override;
    void UpdateNameList(const std::string& name, const std::string& action) override;
    void Clear() override;

    // The user typed text for the current addressee, privately or for all
    // to see, at time (hh:mm:ss): raises Send with the ten fields. Empty
    // text sends nothing.
    void Submit(const std::string& text, bool privately, const std::string& time);

    const std::vector<Line>& Lines() const { return lines_; }
    const std::vector<std::string>& Names() const { return names_; }
    const std::string& Addressee() const { return addressee_; }
    const std::string& OwnName() const { return ownName_; }
    const std::string& Title() const { return title_; }
    bool Started() const { return started_; }

signals:
    void LineAdded(const Line& line);
    void Cleared();
    void NamesChanged();
    void AddresseeChanged();
    void TitleChanged();

private:
    void Keep(Line line);

    std::vector<Line> lines_;
    std::vector<std::string> names_;
    std::string ownName_;
    std::string addressee_ = kEverybody;
    std::string title_;
    bool started_ = false;
};

}  // namespace redten
