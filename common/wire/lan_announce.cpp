#include "wire/lan_announce.h"

#include <charconv>
#include <vector>

namespace redten::wire {
namespace {

constexpr std::string_view kRoomWord = "REDTEN-ROOM";
constexpr std::string_view kFind = "REDTEN-FIND 1";
constexpr int kMaxCount = 100000;

std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    while (!text.empty() && words.size() < 8) {
        const std::size_t blank = text.find(' ');
        words.push_back(text.substr(0, blank));
        text = blank == std::string_view::npos ? std::string_view() : text.substr(blank + 1);
    }
    return words;
}

template <typename T>
bool Number(std::string_view text, T lowest, T highest, T& out) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size() && out >= lowest && out <= highest;
}

// Cut to at most limit bytes, never inside a UTF-8 character.
std::string Cut(std::string_view text, std::size_t limit) {
    std::size_t end = std::min(text.size(), limit);
    while (end > 0 && end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return std::string(text.substr(0, end));
}

}  // namespace

std::string EncodeAnnouncement(const RoomAnnouncement& room) {
    std::string name = Cut(room.name, kMaxRoomName);
    for (char& c : name) {
        if (static_cast<unsigned char>(c) <= ' ') {
            c = '_';
        }
    }
    return std::string(kRoomWord) + " 1 " + std::to_string(room.port) + " " + std::to_string(room.tables) + " " +
           std::to_string(room.freeSeats) + " " + (name.empty() ? std::string("-") : name);
}

std::optional<RoomAnnouncement> DecodeAnnouncement(std::string_view datagram) {
    if (datagram.size() > kMaxDatagram) {
        return std::nullopt;
    }
    const std::vector<std::string_view> w = Words(datagram);
    RoomAnnouncement room;
    if (w.size() != 6 || w[0] != kRoomWord || w[1] != "1" ||
        !Number<std::uint16_t>(w[2], 1, 65535, room.port) || !Number(w[3], 0, kMaxCount, room.tables) ||
        !Number(w[4], 0, kMaxCount, room.freeSeats) || w[5].empty() || w[5].size() > kMaxRoomName) {
        return std::nullopt;
    }
    for (const char c : w[5]) {
        if (static_cast<unsigned char>(c) < ' ' || c == 0x7f) {
            return std::nullopt;
        }
    }
    room.name = std::string(w[5]);
    return room;
}

std::string_view FindRequest() { return kFind; }

bool IsFindRequest(std::string_view datagram) { return datagram == kFind; }

}  // namespace redten::wire
