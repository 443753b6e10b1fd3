#pragma once

#include <QMenu>
#include <QObject>

#include <array>
#include <optional>
#include <string>

namespace redten {

struct PublicDefine;

// The eight captions of the user menu for a user record, or nothing when the
// record is not a whole one. pointsMode: the room counts points, not
// experience.
std::optional<std::array<std::string, 8>> UserMenuCaptions(const std::string& record,
                                                           const PublicDefine& define,
                                                           bool pointsMode);

// The menu of a person's details (frmUserMenu with mnuUser). Every item
// carries the person's name; choosing one reports its index.
class frmUserMenu final : public QObject {
    Q_OBJECT
public:
    static constexpr int kItems = 8;
    static constexpr int kTalkItem = 4;

    explicit frmUserMenu(QObject* parent = nullptr);

    // Rebuilds the items from record; a record that is not whole leaves
    // them as they were.
    void Build(const std::string& record, const PublicDefine& define, bool pointsMode);
    void Popup(const QPoint& screenPosition);

    QMenu& Menu() { return mnuUser; }
    int ItemCount() const { return static_cast<int>(mnuUserItem.size()); }
    QString Caption(int index) const;
    // The name an item carries, empty for none.
    std::string Tag(int index) const;
    // Chooses an item, as a click on it would.
    void Choose(int index);

signals:
    void ItemChosen(int index);

private:
    QMenu mnuUser;
    std::vector<QAction*> mnuUserItem;
};

}  // namespace redten
