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

// The table's picture. Whoever changes the game state or the scene says so
// here, once it is done; the next frame then shows all of it. Nobody asks
// for a part of the picture.
class TableView {
public:
    virtual ~TableView() = default;
    virtual void Changed() = 0;
};

class NullTableView final : public TableView {
public:
    void Changed() override {}
};

// The game's sounds, numbered as their files are, and the named room sounds.
enum class GameSound { Start = 0, Showing = 1, Play = 2, Pass = 3, RedTens = 4, Bomb = 5, Warning = 6, End = 7 };

class GameSounds {
public:
    virtual ~GameSounds() = default;
    virtual void PlayGameSound(GameSound sound) = 0;
    virtual void PlaySoundFile(const std::string& file) = 0;  // "PangGuanIn.wav", …
};

class NullGameSounds final : public GameSounds {
public:
    void PlayGameSound(GameSound) override {}
    void PlaySoundFile(const std::string&) override {}
};

}  // namespace redten
