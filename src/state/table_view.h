#pragma once

#include <array>
#include <cstdint>
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

// Everything the game flow draws, by role. The painters of the game area
// implement it; tests record the calls. Seats are 0..3.
class TableView {
public:
    virtual ~TableView() = default;

    virtual void RepaintTable() = 0;                       // the whole table
    virtual void PaintHand(std::uint8_t seat) = 0;          // a seat's cards (or backs)
    virtual void PaintCardCount(std::uint8_t seat) = 0;
    virtual void PaintOutPai(std::uint8_t seat) = 0;        // its played or shown cards
    virtual void ClearSeatPlace(std::uint8_t seat) = 0;     // the seat about to act
    virtual void RepaintOutArea(bool previousTrick) = 0;    // the played-cards area
    virtual void PaintLiangFlag(std::uint8_t seat) = 0;     // its showing flag
    virtual void PaintMingCi(std::uint8_t seat) = 0;        // its finishing place
    virtual void PaintReadyHand(std::uint8_t seat) = 0;     // ready mark, or its absence
    virtual void PaintSeatFace(std::uint8_t seat) = 0;      // portrait and name
    virtual void PaintNetBreak(std::uint8_t seat) = 0;      // connection-lost mark
    virtual void PaintOptionButtons() = 0;                  // sort, previous trick
    virtual void ShowOutButtons() = 0;                      // per the button states
    virtual void HideOutButtons() = 0;
    virtual void ShowLiangPanel() = 0;                      // per the showing states
    virtual void HideLiangPanel() = 0;
    virtual void ShowWaitNotice() = 0;                      // "其他玩家正在亮红10，请稍等..."
    virtual void ShowResult(const GameResult& result) = 0;
    virtual void PlayBomb(std::uint8_t seat, std::uint8_t effect) = 0;  // 1 bomb, 2 red tens
    virtual void PaintClock() = 0;
    virtual void EraseClock() = 0;
    // The start button: shown or not, its caption, where (the own seat's anchor).
    virtual void UpdateStartButton(bool visible, const std::string& caption) = 0;
};

// A table that draws nothing, until the painters are there.
class NullTableView : public TableView {
public:
    void RepaintTable() override {}
    void PaintHand(std::uint8_t) override {}
    void PaintCardCount(std::uint8_t) override {}
    void PaintOutPai(std::uint8_t) override {}
    void ClearSeatPlace(std::uint8_t) override {}
    void RepaintOutArea(bool) override {}
    void PaintLiangFlag(std::uint8_t) override {}
    void PaintMingCi(std::uint8_t) override {}
    void PaintReadyHand(std::uint8_t) override {}
    void PaintSeatFace(std::uint8_t) override {}
    void PaintNetBreak(std::uint8_t) override {}
    void PaintOptionButtons() override {}
    void ShowOutButtons() override {}
    void HideOutButtons() override {}
    void ShowLiangPanel() override {}
    void HideLiangPanel() override {}
    void ShowWaitNotice() override {}
    void ShowResult(const GameResult&) override {}
    void PlayBomb(std::uint8_t, std::uint8_t) override {}
    void PaintClock() override {}
    void EraseClock() override {}
    void UpdateStartButton(bool, const std::string&) override {}
};

// The game's sounds (numbered as the game flow plays them) and the named
// room sounds.
class GameSounds {
public:
    virtual ~GameSounds() = default;
    // 0 start, 1 showing, 2 play, 3 pass, 4 two red tens, 5 bomb, 6 warning, 7 end.
    virtual void PlayGameSound(int number) = 0;
    virtual void PlaySoundFile(const std::string& file) = 0;  // "PangGuanIn.wav", …
};

class NullGameSounds final : public GameSounds {
public:
    void PlayGameSound(int) override {}
    void PlaySoundFile(const std::string&) override {}
};

}  // namespace redten
