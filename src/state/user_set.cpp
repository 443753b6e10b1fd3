#include "state/user_set.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace redten {
namespace {

// The file is five short lines; anything larger is not ours to read.
constexpr std::streamsize kMaxFileBytes = 4096;

bool ParseValue(std::string_view line, std::uint8_t& value) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!line.empty() && blank(line.front())) {
        line.remove_prefix(1);
    }
    while (!line.empty() && blank(line.back())) {
        line.remove_suffix(1);
    }
    int number = -1;
    const auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), number);
    if (line.empty() || ec != std::errc{} || end != line.data() + line.size() || number < 0 ||
        number > 255) {
        return false;
    }
    value = static_cast<std::uint8_t>(number);
    return true;
}

}  // namespace

void SetDefaultUserSet(UserSet& set) { set.bteUserSet.fill(1); }

std::string ChooseUserSetPath(const std::string& appPath, const std::string& personalDir,
                              bool appPathWritable) {
    const std::string personal = personalDir + "/" + kUserSetFileName;
    std::error_code error;
    if (!appPathWritable || std::filesystem::exists(personal, error)) {
        return personal;
    }
    return appPath + kUserSetFileName;
}

void LoadUserSet(UserSet& set, const std::string& filePath) {
    std::ifstream file(filePath, std::ios::binary);
    if (!file) {
        SetDefaultUserSet(set);
        return;
    }
    std::string content(static_cast<std::size_t>(kMaxFileBytes), '\0');
    file.read(content.data(), kMaxFileBytes);
    content.resize(static_cast<std::size_t>(file.gcount()));

    std::string_view rest = content;
    for (std::uint8_t& value : set.bteUserSet) {
        const std::size_t newline = rest.find('\n');
        const std::string_view line = rest.substr(0, newline);
        if ((newline == std::string_view::npos && line.empty()) || !ParseValue(line, value)) {
            SetDefaultUserSet(set);
            return;
        }
        rest = newline == std::string_view::npos ? std::string_view{} : rest.substr(newline + 1);
    }
}

bool SaveUserSet(const UserSet& set, const std::string& filePath) {
    // A new file first, then renamed over the old one: a failed write never
    // leaves the settings half written.
    const std::string fresh = filePath + ".new";
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(filePath).parent_path(), error);
    {
        std::ofstream file(fresh, std::ios::binary | std::ios::trunc);
        if (!file) {
            return false;
        }
        for (const std::uint8_t value : set.bteUserSet) {
            file << ' ' << static_cast<int>(value) << " \r\n";
        }
        file.close();
        if (file.fail()) {
            std::remove(fresh.c_str());
            return false;
        }
    }
    if (std::rename(fresh.c_str(), filePath.c_str()) != 0) {
        std::remove(fresh.c_str());
        return false;
    }
    return true;
}

}  // namespace redten
