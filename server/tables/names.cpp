#include "server/tables/names.h"

#include "wire/codepage.h"
#include "wire/message.h"

namespace redten::room {
namespace {

// The computer players' prefix 电脑, in every form a table can show: the
// simplified, the traditional (電腦) and the Japanese (脳) characters, mixed.
bool LooksLikeAComputer(std::string_view name) {
    std::size_t pos = 0;
    const char32_t first = pos < name.size() ? NextCodePoint(name, pos) : 0;
    const char32_t second = pos < name.size() ? NextCodePoint(name, pos) : 0;
    return (first == U'电' || first == U'電') && (second == U'脑' || second == U'腦' || second == U'脳');
}

}  // namespace

std::optional<std::string> CheckPersonName(std::string_view name) {
    if (name.empty()) {
        return "名字不能为空。";
    }
    std::size_t characters = 0;
    for (std::size_t pos = 0; pos < name.size();) {
        const char32_t c = NextCodePoint(name, pos);
        // ';' separates the players in a stored game.
        if (c < 0x21 || c == 0x7F || c == '`' || c == ';' || c == 0xFFFD || c == 0x3000 ||
            (c >= 0x80 && c < 0xA0)) {
            return "名字里不能有空格、分号、反引号或控制字符。";
        }
        ++characters;
    }
    if (LooksLikeAComputer(name)) {
        return "以“电脑”开头的名字留给电脑玩家。";
    }
    if (name == kEverybodyName) {
        return "“所有人”是聊天里对大家说话用的，不能当名字。";
    }
    if (characters > 16) {
        return "名字太长了，最多 16 个字。";
    }
    Bytes encoded;
    MakeSendBytes(name, encoded);
    if (GetTextFromBytes(encoded, 0) != name) {
        return "名字里有无法显示的字符。";
    }
    return std::nullopt;
}

}  // namespace redten::room
