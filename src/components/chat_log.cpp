#include "components/chat_log.h"

#include <algorithm>

namespace redten {

void ChatLog::SetAddressee(const std::string& name) {
    addressee_ = name.empty() ? kEverybody : name;
    emit AddresseeChanged();
}

void ChatLog::AddChatLine(const std::array<std::string, 8>& fields) {
    Keep({Kind::Chat, fields[0] + "：" + fields[7], fields});
}

void ChatLog::UpdateNameList(const std::string& name, const std::string& action) {
    const auto it = std::find(names_.begin(), names_.end(), name);
    if (action == "ADD" && it == names_.end() && names_.size() < kMaxNames && !name.empty()) {
        names_.push_back(name);
    } else if (action == "DEL" && it != names_.end()) {
        names_.erase(it);
        if (addressee_ == name) {
            SetAddressee(kEverybody);
        }
    } else {
        return;
    }
    emit NamesChanged();
}

void ChatLog::Clear() {
    lines_.clear();
    names_.clear();
    emit Cleared();
    emit NamesChanged();
}

void ChatLog::Submit(const std::string& text, bool privately, const std::string& time) {
    if (text.empty()) {
        return;
    }
    const bool toEverybody = addressee_ == kEverybody;
    emit Send({ownName_, addressee_, ownName_, addressee_, time, "0", "0",
               privately && !toEverybody ? "1" : "0", "", text});
}

void ChatLog::Keep(Line line) {
    if (lines_.size() >= kMaxLines) {
        lines_.erase(lines_.begin(), lines_.begin() + kMaxLines / 2);
    }
    lines_.push_back(std::move(line));
    emit LineAdded(lines_.back());
}

}  // namespace redten
