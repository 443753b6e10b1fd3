#pragma once

#include <QObject>

#include <string>

namespace redten {

// The list of the people at the table (lstUser). Records are user-record
// texts of 16 back-quote separated fields; names are their keys.
class UserList : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void SetOwnName(const std::string& name) = 0;
    // Own row colours (RGB) and the list's style number.
    virtual void SetColours(std::uint32_t ownBackground, std::uint32_t ownText, int style) = 0;
    virtual void SetTitles(const std::string& title, const std::string& scoreTitle) = 0;
    // The 16 column titles joined by back-quotes; the first visibleCount show.
    virtual void SetColumns(const std::string& titles, int visibleCount) = 0;
    // Column widths in pixels, joined by back-quotes.
    virtual void SetWidths(const std::string& widths) = 0;
    virtual void SetLevels(const std::string& levelList) = 0;

    // The full list of room message 130/2 (see SplitUserListText). Raises
    // Loaded with the names of the loaded records.
    virtual void LoadAll(const std::string& listText) = 0;
    virtual void Add(const std::string& record) = 0;
    virtual void Remove(const std::string& name) = 0;
    virtual void Clear() = 0;
    // The stored record of name, or the empty text.
    virtual std::string Find(const std::string& name) const = 0;
    // Draws attention to name's row.
    virtual void NotifyName(const std::string& name) = 0;

signals:
    // A row was clicked: openMenu asks for the user menu, otherwise the user
    // becomes the chat addressee. value is the component's own and unused.
    void Clicked(bool openMenu, int value, const std::string& name, const std::string& record);
    // The names of a completed LoadAll, joined by back-quotes.
    void Loaded(const std::string& names);
};

}  // namespace redten
