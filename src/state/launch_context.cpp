#include "state/launch_context.h"

#include "wire/text_fields.h"

namespace redten {

LaunchError CheckLaunchWords(const std::vector<std::string>& words) {
    if (words.size() != kLaunchWordCount + 1) {
        return LaunchError::WordCount;
    }
    if (words[1] != kLaunchToken) {
        return LaunchError::Token;
    }
    return LaunchError::None;
}

std::string LaunchErrorText(LaunchError error) {
    switch (error) {
        case LaunchError::WordCount:
            return "1号错误，无法正常启动游戏！";
        case LaunchError::Token:
            return "2号错误，无法正常启动游戏！";
        case LaunchError::None:
            break;
    }
    return {};
}

LaunchContext StoreLaunchValues(const std::vector<std::string>& words) {
    LaunchContext launch;
    if (words.size() != kLaunchWordCount + 1) {
        return launch;
    }
    launch.strRoomServerHost = words[2];
    launch.strRoomServerPort = words[3];
    launch.strGameTitle = words[4];
    launch.strLevelList = words[5];
    launch.strReservedArg = {words[6], words[7]};
    launch.strMyName = words[8];
    // A score mode outside a byte's range is clamped into it.
    launch.bteScoreMode = RoundToByte(TextValue(words[9]));
    return launch;
}

std::string ScoreTitle(std::uint8_t bteScoreMode) { return bteScoreMode != 0 ? "积分" : "经验"; }

}  // namespace redten
