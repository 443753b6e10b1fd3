#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace redten {

// What the result panel shows of a finished game: each seat's score, side
// and finishing place (0: still holding cards), and the game's multiplier.
struct GameResult {
    std::array<std::int32_t, 4> scores{};
    std::array<bool, 4> red{};
    std::array<std::uint8_t, 4> places{};
    std::int32_t multiplier = 1;
};

// The blast over a seat's played cards when it plays a bomb or the two red
// tens; its frames are counted from 1 while it runs.
enum class Blast : std::uint8_t { None = 0, Bomb = 1, RedTens = 2 };

// How many frames a blast shows, and how long each stays.
constexpr int BlastFrames(Blast blast) { return blast == Blast::Bomb ? 9 : blast == Blast::RedTens ? 15 : 0; }
constexpr std::uint32_t BlastFrameMs(Blast blast) { return blast == Blast::Bomb ? 30 : 40; }

// What the table shows beside the game's own state: the result panel over
// its middle, the moment the previous trick is on show, the blast and the
// start button. Handlers change it with the game state; the picture is
// drawn from both.
struct TableScene {
    std::optional<GameResult> result;
    bool previousTrick = false;
    Blast blast = Blast::None;
    std::uint8_t blastSeat = 0;
    int blastFrame = 0;
    bool startVisible = false;
    std::string startCaption;
};

}  // namespace redten
