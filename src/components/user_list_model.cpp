#include "components/user_list_model.h"

#include <algorithm>

#include "wire/text_fields.h"
#include "wire/user_list_text.h"

namespace redten {
void UserListModel::SetOwnName(const std::string& name) {
    ownName_ = name;
    emit Changed();
}

void UserListModel::SetColours(std::uint32_t ownBackground, std::uint32_t ownText, int) {
    ownBackground_ = ownBackground;
    ownText_ = ownText;
    emit Changed();
}

void UserListModel::SetTitles(const std::string& title, const std::string& scoreTitle) {
    title_ = title;
    scoreTitle_ = scoreTitle;
    emit Changed();
}

void UserListModel::SetColumns(const std::string& titles, int visibleCount) {
    columns_ = titles;
    visibleColumns_ = visibleCount;
    emit Changed();
}

void UserListModel::SetWidths(const std::string& widths) {
    widths_ = widths;
    emit Changed();
}

void UserListModel::SetLevels(const std::string& levelList) {
    levels_ = levelList;
    emit Changed();
}

std::vector<std::string> UserListModel::ShownColumns() const {
    std::vector<std::string> titles = SplitFields(columns_);
    titles.resize(std::min<std::size_t>(titles.size(), static_cast<std::size_t>(std::max(0, visibleColumns_))));
    return titles;
}

std::vector<int> UserListModel::ColumnWidths() const {
    std::vector<int> widths;
    for (const std::string& w : SplitFields(widths_)) {
        widths.push_back(static_cast<int>(std::clamp(TextValue(w), 0.0, 1000.0)));
    }
    return widths;
}

void UserListModel::Clear() {
    records_.clear();
    names_.clear();
    emit Changed();
}

void UserListModel::NotifyName(const std::string& name) {
    notified_ = name;
    emit Changed();
}

void UserListModel::ReportClick(bool openMenu, const std::string& name) {
    const std::string record = Find(name);
    if (!record.empty()) {
        emit Clicked(openMenu, 0, name, record);
    }
}

void UserListModel::LoadAll(const std::string& listText) {
    std::vector<std::string> names;
    for (const std::string& record : SplitUserListText(listText)) {
        if (records_.size() >= kMaxRecords) {
            break;  // a list longer than any table: the rest is not read
        }
        names.push_back(Keep(record));
    }
    emit Changed();
    emit Loaded(JoinFields(names));
}

void UserListModel::Add(const std::string& record) {
    Keep(record);
    emit Changed();
}

std::string UserListModel::Keep(const std::string& record) {
    const std::vector<std::string> fields = SplitFields(record);
    if (fields.size() != kUserRecordFields) {
        return {};
    }
    const auto it = std::find(names_.begin(), names_.end(), fields[0]);
    if (it != names_.end()) {
        records_[static_cast<std::size_t>(it - names_.begin())] = record;
    } else if (records_.size() < kMaxRecords) {
        records_.push_back(record);
        names_.push_back(fields[0]);
    }
    return fields[0];
}

void UserListModel::Remove(const std::string& name) {
    const auto it = std::find(names_.begin(), names_.end(), name);
    if (it != names_.end()) {
        records_.erase(records_.begin() + (it - names_.begin()));
        names_.erase(it);
    }
    emit Changed();
}

std::string UserListModel::Find(const std::string& name) const {
    const auto it = std::find(names_.begin(), names_.end(), name);
    return it == names_.end() ? std::string() : records_[static_cast<std::size_t>(it - names_.begin())];
}

}  // namespace redten
