#include "components/user_list_model.h"

#include <algorithm>

#include "net/wire/text_fields.h"
#include "net/wire/user_list_text.h"

namespace redten {
namespace {

std::string NameOf(const std::string& record) {
    const auto fields = SplitFields(record);
    return fields.empty() ? std::string() : fields[0];
}

}  // namespace

void UserListModel::LoadAll(const std::string& listText) {
    std::vector<std::string> names;
    for (const std::string& record : SplitUserListText(listText)) {
        Add(record);
        names.push_back(NameOf(record));
    }
    emit Loaded(JoinFields(names));
}

void UserListModel::Add(const std::string& record) {
    if (SplitFields(record).size() != kUserRecordFields) {
        return;
    }
    const std::string name = NameOf(record);
    const auto it = std::find_if(records_.begin(), records_.end(),
                                 [&](const std::string& r) { return NameOf(r) == name; });
    if (it != records_.end()) {
        *it = record;
    } else if (records_.size() < kMaxRecords) {
        records_.push_back(record);
    }
}

void UserListModel::Remove(const std::string& name) {
    records_.erase(std::remove_if(records_.begin(), records_.end(),
                                  [&](const std::string& r) { return NameOf(r) == name; }),
                   records_.end());
}

std::string UserListModel::Find(const std::string& name) const {
    for (const std::string& r : records_) {
        if (NameOf(r) == name) {
            return r;
        }
    }
    return {};
}

}  // namespace redten
