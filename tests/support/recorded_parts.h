#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "components/chat_log.h"
#include "components/ro_clock.h"
#include "components/user_list_model.h"
#include "game/table_services.h"
#include "state/table_view.h"
#include "wire/bytes.h"

// Stand-ins for everything outside the game flow, recording what they are
// asked to do. Tests and fuzzers build the flow around them.
namespace redten::test {

// Every role the game flow calls, written down as "Role seat" in order.
class RecordingView final : public TableView {
public:
    std::vector<std::string> calls;
    bool startVisible = false;
    std::string startCaption;
    void Note(const std::string& s) { calls.push_back(s); }
    void Note(const std::string& s, int seat) { calls.push_back(s + " " + std::to_string(seat)); }
    bool Saw(const std::string& s) const { return std::find(calls.begin(), calls.end(), s) != calls.end(); }

    void RepaintTable() override { Note("RepaintTable"); }
    void PaintHand(std::uint8_t s) override { Note("PaintHand", s); }
    void PaintCardCount(std::uint8_t s) override { Note("PaintCardCount", s); }
    void PaintOutPai(std::uint8_t s) override { Note("PaintOutPai", s); }
    void ClearSeatPlace(std::uint8_t s) override { Note("ClearSeatPlace", s); }
    void RepaintOutArea(bool last) override { Note(last ? "RepaintOutArea last" : "RepaintOutArea"); }
    void PaintLiangFlag(std::uint8_t s) override { Note("PaintLiangFlag", s); }
    void PaintMingCi(std::uint8_t s) override { Note("PaintMingCi", s); }
    void PaintReadyHand(std::uint8_t s) override { Note("PaintReadyHand", s); }
    void PaintSeatFace(std::uint8_t s) override { Note("PaintSeatFace", s); }
    void PaintNetBreak(std::uint8_t s) override { Note("PaintNetBreak", s); }
    void PaintOptionButtons() override { Note("PaintOptionButtons"); }
    void ShowOutButtons() override { Note("ShowOutButtons"); }
    void HideOutButtons() override { Note("HideOutButtons"); }
    void ShowLiangPanel() override { Note("ShowLiangPanel"); }
    void HideLiangPanel() override { Note("HideLiangPanel"); }
    void ShowWaitNotice() override { Note("ShowWaitNotice"); }
    void ShowResult(const GameResult& r) override {
        std::string line = "ShowResult";
        for (std::size_t s = 0; s < 4; ++s) {
            line += (s ? "," : " ") + std::to_string(r.scores[s]);
        }
        line += " x" + std::to_string(r.multiplier) + " ";
        for (std::size_t s = 0; s < 4; ++s) {
            line += (r.red[s] ? "R" : "B") + std::to_string(r.places[s]);
        }
        Note(line);
    }
    void PlayBomb(std::uint8_t s, std::uint8_t e) override { Note("PlayBomb " + std::to_string(s) + "," + std::to_string(e)); }
    void PaintClock() override {}
    void EraseClock() override {}
    void UpdateStartButton(bool visible, const std::string& caption) override {
        startVisible = visible;
        startCaption = caption;
    }
};

class RecordingSounds final : public GameSounds {
public:
    std::vector<std::string> played;
    void PlayGameSound(int n) override { played.push_back(std::to_string(n)); }
    void PlaySoundFile(const std::string& f) override { played.push_back(f); }
};

class RecordingBoxes final : public MessageBoxes {
public:
    struct Box {
        int type;
        std::string text, caption;
    };
    std::vector<Box> shown;
    std::vector<Box> system;
    int closed = 0;
    void InitGlobalMsg() override {}
    bool ShowGlobalMsg(std::int32_t, std::uint8_t type, const std::string& note,
                       const std::string& caption, std::int32_t, const std::string&,
                       const std::string&, bool yesDefault) override {
        shown.push_back({type, note, caption});
        return yesDefault;
    }
    void CloseGlobalMsg(std::int32_t) override { ++closed; }
    void ShowSystemBox(const std::string& text, const std::string& caption, SystemBoxIcon) override {
        system.push_back({-1, text, caption});
    }
};

class RecordingSender final : public MessageSender {
public:
    std::vector<Bytes> sent;
    void Send(const Bytes& m) override { sent.push_back(m); }
};

// Waits no time at all; a test may have something arrive "during" a wait.
class FakeWaiter final : public Waiter {
public:
    std::vector<std::uint32_t> waits;
    std::function<void()> during;
    bool WaitTime(std::uint32_t ms) override {
        waits.push_back(ms);
        if (during) {
            auto once = std::move(during);
            during = nullptr;
            once();
        }
        return true;
    }
};

class RecordingGameSet final : public GameSetDialogs {
public:
    std::vector<std::pair<bool, std::string>> opened;
    bool accept = true;
    bool OpenGameSet(bool owner, const std::string& settings) override {
        opened.emplace_back(owner, settings);
        return accept;
    }
};

class RecordingItems final : public ItemLists {
public:
    std::vector<std::string> lists;
    void SetDaoJuList(const std::string& t) override { lists.push_back("catalogue " + t); }
    void SetMyDaoJuList(const std::string& t) override { lists.push_back("mine " + t); }
};

// Every outside part of the game flow but the table's picture, recorded.
struct RecordedParts {
    explicit RecordedParts(TableView& view)
        : services{link,  view, sounds, boxes, waiter, users, chat, clock, gameSet, items,
                   [this](const TableClosing& why) {
                       ++closedWindow;
                       closing = why;
                   },
                   [this](bool show) { windowShown = show; }} {}

    RecordingSounds sounds;
    RecordingBoxes boxes;
    RecordingSender link;
    FakeWaiter waiter;
    UserListModel users;
    ChatLog chat;
    RoClock clock{false};
    RecordingGameSet gameSet;
    RecordingItems items;
    int closedWindow = 0;
    TableClosing closing;
    bool windowShown = true;
    TableServices services;
};

}  // namespace redten::test
