#pragma once

#include <cstdint>

namespace redten {

// The first byte of every message. Both directions share the numbering;
// where one code means different things each way, both names are given.
enum class MessageCode : std::uint8_t {
    Chat = 1,
    Hand = 2,  // a table asks for its hand; the room sends it
    PlayerLeaves = 5,
    GameStart = 17,
    Ready = 18,
    Deal = 19,  // from a table: the start acknowledged
    Showing = 20,
    Play = 21,
    GameNotice = 22,
    GameOver = 23,
    RoomNotice = 105,
    UserState = 108,
    Snapshot = 109,
    UserLeaves = 110,
    SettingsState = 111,
    RaisedHand = 112,
    Watch = 113,
    Table = 130,
    Items = 133,
};

constexpr std::uint8_t CodeByte(MessageCode code) { return static_cast<std::uint8_t>(code); }

// The chat addressee that means the whole table.
inline constexpr char kEverybody[] = "所有人";

}  // namespace redten
