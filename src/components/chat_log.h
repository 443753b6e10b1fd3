#pragma once

#include <string>
#include <vector>

#include "components/chat_pane.h"

namespace redten {

// The chat pane's content without a window: every line it was given, in
// order, each tagged with how it came ("system", "notice", "chat").
class ChatLog : public ChatPane {
    Q_OBJECT
public:
    using ChatPane::ChatPane;

    struct Line {
        std::string kind;
        std::string text;
    };
    // The transcript keeps the most recent lines only.
    static constexpr std::size_t kMaxLines = 500;

    void SetFolders(const std::string&, const std::string&, const std::string&) override {}
    void SetOwnName(const std::string& name) override { ownName_ = name; }
    void SetAddressee(const std::string& name) override { addressee_ = name; }
    void Start() override {}
    void SetSwitches(bool, const std::string&, bool) override {}
    void AddSystemLine(const std::string& text) override { Keep({"system", text}); }
    void AddNoticeLine(const std::string& text) override { Keep({"notice", text}); }
    void AddChatLine(const std::array<std::string, 8>& fields) override {
        Keep({"chat", fields[0] + "：" + fields[7]});
    }
    void UpdateNameList(const std::string& name, const std::string& action) override {
        Keep({"names", action + " " + name});
    }
    void Clear() override { lines_.clear(); }

    const std::vector<Line>& Lines() const { return lines_; }
    const std::string& Addressee() const { return addressee_; }
    const std::string& OwnName() const { return ownName_; }

private:
    void Keep(Line line) {
        if (lines_.size() >= kMaxLines) {
            lines_.erase(lines_.begin(), lines_.begin() + kMaxLines / 2);
        }
        lines_.push_back(std::move(line));
    }

    std::vector<Line> lines_;
    std::string ownName_;
    std::string addressee_ = kEverybody;
};

}  // namespace redten
