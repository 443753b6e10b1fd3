#pragma once

#include <string>
#include <vector>

#include "components/user_list.h"

namespace redten {

// The user list's data: the records of everybody at the table, keyed by
// name, in arrival order. The visible list is drawn from it.
class UserListModel : public UserList {
    Q_OBJECT
public:
    using UserList::UserList;
    // More people than any table holds is a room gone wrong: the rest wait.
    static constexpr std::size_t kMaxRecords = 512;

    void SetOwnName(const std::string& name) override { ownName_ = name; }
    void SetColours(std::uint32_t, std::uint32_t, int) override {}
    void SetTitles(const std::string& title, const std::string& scoreTitle) override {
        title_ = title;
        scoreTitle_ = scoreTitle;
    }
    void SetColumns(const std::string& titles, int visibleCount) override {
        columns_ = titles;
        visibleColumns_ = visibleCount;
    }
    void SetWidths(const std::string& widths) override { widths_ = widths; }
    void SetLevels(const std::string& levelList) override { levels_ = levelList; }

    void LoadAll(const std::string& listText) override;
    void Add(const std::string& record) override;
    void Remove(const std::string& name) override;
    void Clear() override { records_.clear(); }
    std::string Find(const std::string& name) const override;
    void NotifyName(const std::string& name) override { notified_ = name; }

    const std::vector<std::string>& Records() const { return records_; }
    const std::string& OwnName() const { return ownName_; }
    const std::string& ScoreTitle() const { return scoreTitle_; }

protected:
    std::vector<std::string> records_;
    std::string ownName_, title_, scoreTitle_, columns_, widths_, levels_, notified_;
    int visibleColumns_ = 0;
};

}  // namespace redten
