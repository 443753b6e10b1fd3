#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace redten {

// Shared by every lobby that starts the table; see docs/launch.md.
inline constexpr char kLaunchToken[] = "RT10-Launch-7f3K9q2Wz8Lp4Xv6Nc1Bd5Hs_x";
inline constexpr int kLaunchWordCount = 9;

// What the lobby told us on the command line.
struct LaunchContext {
    std::string strRoomServerHost;
    std::string strRoomServerPort;
    std::string strGameTitle;
    std::string strLevelList;
    std::array<std::string, 2> strReservedArg;
    std::string strMyName;
    std::uint8_t bteScoreMode = 0;  // non-zero: the room counts points, else experience
};

enum class LaunchError { None, WordCount, Token };

// Checks the words of GetCommandLine: exactly nine, the first the token.
LaunchError CheckLaunchWords(const std::vector<std::string>& words);

// The text shown for a refused launch, and its box title.
std::string LaunchErrorText(LaunchError error);
inline constexpr char kLaunchErrorTitle[] = "游戏提示";

// Words 2..9 of an accepted command line.
LaunchContext StoreLaunchValues(const std::vector<std::string>& words);

// "积分" when the room counts points, "经验" when it counts experience.
std::string ScoreTitle(std::uint8_t bteScoreMode);

}  // namespace redten
