#include "state/public_define.h"

#include "wire/text_fields.h"

namespace redten {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

}  // namespace

std::string AppPathFrom(std::string_view programDirectory) {
    std::string path(programDirectory);
    if (path.empty() || !IsSeparator(path.back())) {
        path += '/';
    }
    return path;
}

std::string ParentPathOf(std::string_view appPath) {
    std::string_view path = appPath;
    if (!path.empty() && IsSeparator(path.back())) {
        path.remove_suffix(1);
    }
    const std::size_t cut = path.find_last_of("/\\");
    if (cut == std::string_view::npos) {
        return std::string(appPath);
    }
    return std::string(path.substr(0, cut + 1));
}

void InitPublicDefine(PublicDefine& define, std::string_view programDirectory,
                      std::string_view levelList) {
    define.strAppPath = AppPathFrom(programDirectory);
    define.strParentPath = ParentPathOf(define.strAppPath);
    define.ViewPos = {0, 0, 0, 0};
    define.blnWaitStart = false;
    define.LevelInfo = ParseLevelList(levelList);
    define.MemberKinds = {"普通用户", "普通会员", "蓝钻会员", "红钻会员", "绿钻会员", "电脑玩家"};
    define.blnExiting = false;
    define.blnInGame = 0;
}

std::vector<LevelInfoEntry> ParseLevelList(std::string_view text) {
    std::vector<LevelInfoEntry> levels;
    for (const std::string& entry : SplitFields(text)) {
        LevelInfoEntry level;
        const std::size_t underscore = entry.find('_');
        level.strLevelName = entry.substr(0, underscore);
        if (underscore != std::string::npos) {
            level.lngLevelValue = RoundToLong(TextValue(std::string_view(entry).substr(underscore + 1)));
        }
        levels.push_back(std::move(level));
    }
    return levels;
}

std::string GetLevelName(const std::vector<LevelInfoEntry>& levels, std::int32_t value) {
    if (levels.empty()) {
        return "未知级别";
    }
    if (value <= levels.front().lngLevelValue) {
        return levels.front().strLevelName;
    }
    if (value >= levels.back().lngLevelValue) {
        return levels.back().strLevelName;
    }
    for (std::size_t i = 1; i < levels.size(); ++i) {
        if (levels[i].lngLevelValue > value) {
            return levels[i - 1].strLevelName;
        }
    }
    return levels.back().strLevelName;
}

void CalcViewPos(PublicDefine& define, const std::array<std::string, 4>& seatUserNames,
                 std::string_view myName) {
    for (std::uint8_t s = 0; s < 4; ++s) {
        if (seatUserNames[s] != define.strViewUserName) {
            continue;
        }
        define.ViewPos[s] = kViewBottom;
        define.ViewPos[(s + 1) % 4] = kViewRight;
        define.ViewPos[(s + 2) % 4] = kViewTop;
        define.ViewPos[(s + 3) % 4] = kViewLeft;
        define.bteViewSeat = s;
        define.blnPangGuan = define.strViewUserName != myName;
        return;
    }
}

std::string MemberKindName(const PublicDefine& define, std::int32_t portrait) {
    const std::int32_t kind = portrait / 1000;
    if (kind < 0 || kind >= static_cast<std::int32_t>(define.MemberKinds.size())) {
        return "未知身份";
    }
    return define.MemberKinds[static_cast<std::size_t>(kind)];
}

}  // namespace redten
