#include "net/wire/client_messages.h"

#include <algorithm>
#include <vector>

#include "net/wire/message.h"
#include "net/wire/text_fields.h"

namespace redten {
namespace {

Bytes WithText(Bytes header, std::string_view text) {
    Bytes out;
    if (!MakeSendBytes(text, out, header.size(), header)) {
        return {};  // an empty text builds nothing, and nothing is sent
    }
    return out;
}

}  // namespace

Bytes MakeHandRequest(std::uint8_t seat) { return {2, 0, seat}; }
Bytes MakeReadyInGame(std::uint8_t seat) { return {18, seat}; }
Bytes MakeStartAck(std::uint8_t seat) { return {19, seat}; }
Bytes MakeShowingAnswer(std::uint8_t seat, std::uint8_t answer) { return {20, 0, seat, answer}; }

Bytes MakePlay(std::uint8_t seat, std::span<const std::uint8_t> cards) {
    const std::size_t n = std::min<std::size_t>(cards.size(), 255);
    Bytes out(7 + n, 0);
    out[0] = 21;
    out[5] = seat;
    out[6] = static_cast<std::uint8_t>(n);
    std::copy(cards.begin(), cards.begin() + static_cast<std::ptrdiff_t>(n), out.begin() + 7);
    return out;
}

Bytes MakePass(std::uint8_t seat) { return {21, 0, 0, 0, 0, seat, 1, 254}; }
Bytes MakeEnterGame() { return {130, 1}; }

Bytes MakeLeaveTable(std::string_view myName) { return WithText({110, 0}, myName); }

Bytes MakeConfirmSettings(std::string_view myName, std::string_view settings) {
    return WithText({112, 0}, std::string(myName) + kFieldSeparator + std::string(settings));
}

Bytes MakeRaiseHand(std::string_view myName) { return WithText({112, 1}, myName); }

Bytes MakeWatchSetting(std::string_view myName, std::uint8_t allow) {
    return WithText({113, 1}, std::string(myName) + kFieldSeparator + std::to_string(allow));
}

Bytes MakeChatLine(const std::array<std::string, 10>& fields) {
    return WithText({1}, JoinFields(std::vector<std::string>(fields.begin(), fields.end())));
}

}  // namespace redten
