#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace redten {

// The five personal on/off choices, 1 = on.
enum UserSetIndex : std::size_t {
    kSetAllowWatchCards = 0,  // "允许旁观者看我的牌", also told to the room
    kSetSoundOn = 1,          // "启用音效"
    kSetShowInOut = 2,        // "显示用户进出消息"
    kSetWarnForceQuit = 3,    // "强退时给出提示"
    kSetWarnBadPlay = 4,      // "出牌不对时给出提示"
};

struct UserSet {
    std::array<std::uint8_t, 5> bteUserSet{1, 1, 1, 1, 1};
};

inline constexpr char kUserSetFileName[] = "UserSet.ini";

void SetDefaultUserSet(UserSet& set);

// Where the personal settings live. The file beside the program stays the
// default, so a staged tree keeps its settings with it; the person's own
// copy in personalDir wins once it exists, and is the only place when the
// program's directory cannot be written (an installed game).
std::string ChooseUserSetPath(const std::string& appPath, const std::string& personalDir,
                              bool appPathWritable);

// Reads the five values from filePath. A missing, short or unreadable file,
// or any value outside 0..255, leaves all five on.
void LoadUserSet(UserSet& set, const std::string& filePath);

// Writes the five values, one per CRLF line as " 1 ", making the file's
// directory when it is missing. A failing write is reported by the result
// only; the values in memory stay.
bool SaveUserSet(const UserSet& set, const std::string& filePath);

}  // namespace redten
