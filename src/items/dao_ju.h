#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "game/table_services.h"

namespace redten {

struct DaoJuItem {
    std::int32_t lngID = 0;
    std::string strName;
    std::int32_t lngPackCount = 0;
    std::uint8_t bteUseTarget = 0;  // non-zero: used on oneself
    std::int32_t lngValidHours = 0;
    std::int32_t lngPrice = 0;
    std::int32_t lngNowPrice = 0;
    std::int32_t lngMemberPrice = 0;
    std::int32_t lngMemberNowPrice = 0;
    std::string strNote;  // from the local description file
};

struct MyDaoJuItem {
    std::int32_t lngID = 0;
    std::string strName;
    std::int32_t lngCount = 0;
    std::uint8_t bteUseTarget = 1;
    std::array<std::int32_t, 4> intEndTime{};  // year, month, day, hour
};

// The room's items: the catalogue by category and what the user owns, as
// the room's messages describe them. Category 0 always exists and stays
// empty.
class DaoJuLists final : public ItemLists {
public:
    // The description file, "Res\DaoJu\DaoJuInfo.ini" below the program.
    explicit DaoJuLists(std::string noteFile) : noteFile_(std::move(noteFile)) { InitDaoJu(); }

    void InitDaoJu();
    void SetDaoJuList(const std::string& text) override;
    void SetMyDaoJuList(const std::string& text) override;

    const std::vector<std::string>& strDaoJuType() const { return types_; }
    const std::vector<std::vector<DaoJuItem>>& DaoJuList() const { return catalogue_; }
    const std::vector<std::vector<MyDaoJuItem>>& MyDaoJuList() const { return owned_; }

    // Categories and items beyond these are the room gone wrong.
    static constexpr std::size_t kMaxCategories = 64;
    static constexpr std::size_t kMaxItems = 4096;

private:
    void File(MyDaoJuItem item);
    std::string noteFile_;
    std::vector<std::string> types_;
    std::vector<std::vector<DaoJuItem>> catalogue_;
    std::vector<std::vector<MyDaoJuItem>> owned_;
};

// Every "Note" of the description file, by item id: read once, in code
// page 936, blanks trimmed at both ends, NULs dropped, at most 1023
// characters. A missing file, section or key gives no note.
std::map<std::int32_t, std::string> ReadDaoJuNotes(const std::string& file);
// The same for the file's bytes.
std::map<std::int32_t, std::string> ParseDaoJuNotes(std::string_view raw);

// The note of one item, or the empty text.
std::string ReadDaoJuNote(const std::string& file, std::int32_t id);

}  // namespace redten
