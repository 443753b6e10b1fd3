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

    void SetFolders(const std::string&, const std::string&, const std::string&) override {}
    void SetOwnName(const std::string& name) override { ownName_ = name; }
    void SetAddressee(const std::string& name) override { addressee_ = name; }
    void Start() override {}
    void SetSwitches(bool, const std::string&, bool) override {}
    void AddSystemLine(const std::string& text) override { lines_.push_back({"system", text}); }
    void AddNoticeLine(const std::string& text) override { lines_.push_back({"notice", text}); }
    void AddChatLine(const std::array<std::string, 8>& fields) override {
        lines_.push_back({"chat", fields[0] + "：" + fields[7]});
    }
    void UpdateNameList(const std::string& name, const std::string& action) override {
        lines_.push_back({"names", action + " " + name});
    }
    void Clear() override { lines_.clear(); }

    const std::vector<Line>& Lines() const { return lines_; }
    const std::string& Addressee() const { return addressee_; }
    const std::string& OwnName() const { return ownName_; }

private:
    std::vector<Line> lines_;
    std::string ownName_;
    std::string addressee_ = kEverybody;
};

}  // namespace redten
