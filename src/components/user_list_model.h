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

    void SetOwnName(const std::string& name) override;
    void SetColours(std::uint32_t ownBackground, std::uint32_t ownText, int style) override;
    void SetTitles(const std::string& title, const std::string& scoreTitle) override;
    void SetColumns(const std::string& titles, int visibleCount) override;
    void SetWidths(const std::string& widths) override;
    void SetLevels(const std::string& levelList) override;

    void LoadAll(const std::string& listText) override;
    void Add(const std::string& record) override;
    void Remove(const std::string& name) override;
    void Clear() override;
    std::string Find(const std::string& name) const override;
    void NotifyName(const std::string& name) override;

    // A click on name's row; a name no longer listed is ignored.
    void ReportClick(bool openMenu, const std::string& name);

    const std::vector<std::string>& Records() const { return records_; }
    const std::string& OwnName() const { return ownName_; }
    const std::string& Title() const { return title_; }
    const std::string& ScoreTitle() const { return scoreTitle_; }
    // The shown column titles, and their widths (missing widths are 0).
    std::vector<std::string> ShownColumns() const;
    std::vector<int> ColumnWidths() const;
    const std::string& Levels() const { return levels_; }
    std::uint32_t OwnBackground() const { return ownBackground_; }
    std::uint32_t OwnText() const { return ownText_; }
    const std::string& Notified() const { return notified_; }

signals:
    // Anything shown changed: the rows, the columns or the titles.
    void Changed();

private:
    // Adds or replaces record without telling anybody; gives its name.
    std::string Keep(const std::string& record);

    std::vector<std::string> records_;
    std::vector<std::string> names_;  // the name of each record, same order
    std::string ownName_, title_, scoreTitle_, columns_, widths_, levels_, notified_;
    int visibleColumns_ = 0;
    std::uint32_t ownBackground_ = 0x008A8C;
    std::uint32_t ownText_ = 0xFFFFFF;
};

}  // namespace redten
