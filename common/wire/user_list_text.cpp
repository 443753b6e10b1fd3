#include "wire/user_list_text.h"

#include "wire/text_fields.h"

namespace redten {

std::vector<std::string> SplitUserListText(std::string_view text) {
    const std::vector<std::string> fields = SplitFields(text);
    std::vector<std::string> records;
    if (fields.empty() || fields.size() % kUserRecordFields != 0) {
        return records;
    }
    records.reserve(fields.size() / kUserRecordFields);
    for (std::size_t i = 0; i < fields.size(); i += kUserRecordFields) {
        records.push_back(JoinFields({fields.begin() + static_cast<std::ptrdiff_t>(i),
                                      fields.begin() + static_cast<std::ptrdiff_t>(i + kUserRecordFields)}));
    }
    return records;
}

std::string JoinUserListText(const std::vector<std::string>& records) {
    return JoinFields(records);
}

}  // namespace redten
