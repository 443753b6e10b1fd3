#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace redten {

struct LevelInfoEntry {
    std::int32_t lngLevelValue = 0;
    std::string strLevelName;
};

// Places on the screen, as held in ViewPos.
enum ViewPlace : std::uint8_t { kViewTop = 0, kViewLeft = 1, kViewBottom = 2, kViewRight = 3 };

// The values many parts of the table read: directories, level titles,
// member kinds, and where each seat is drawn.
struct PublicDefine {
    std::string strAppPath;     // program directory, final separator included
    std::string strParentPath;  // its parent, final separator included
    std::vector<LevelInfoEntry> LevelInfo;
    // The room's five kinds of members, and its computer players.
    std::array<std::string, 6> MemberKinds;
    std::array<std::uint8_t, 4> ViewPos{};  // by seat 0..3: a ViewPlace
    std::uint8_t bteViewSeat = 0;           // the seat drawn at the bottom
    bool blnPangGuan = false;               // watching rather than playing
    bool blnWaitStart = false;
    std::uint8_t blnInGame = 0;
    bool blnExiting = false;
    std::string strViewUserName;  // the player whose seat is drawn at the bottom
};

// Recomputes everything but bteViewSeat, blnPangGuan and strViewUserName.
void InitPublicDefine(PublicDefine& define, std::string_view programDirectory,
                      std::string_view levelList);

// The directory with one final separator ('/' unless it already ends in
// '/' or '\').
std::string AppPathFrom(std::string_view programDirectory);
// Everything up to and including the separator before the last component
// of appPath; a root directory is its own parent.
std::string ParentPathOf(std::string_view appPath);

std::vector<LevelInfoEntry> ParseLevelList(std::string_view text);
// The title of the last threshold value has reached; values below the first
// threshold get the first title.
std::string GetLevelName(const std::vector<LevelInfoEntry>& levels, std::int32_t value);

// Puts the seat of strViewUserName at the bottom, the others counter-
// clockwise from it, and decides whether we are only watching.
void CalcViewPos(PublicDefine& define, const std::array<std::string, 4>& seatUserNames,
                 std::string_view myName);

// The member kind for a portrait number; "未知身份" outside the known kinds.
std::string MemberKindName(const PublicDefine& define, std::int32_t portrait);

}  // namespace redten
