#pragma once

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "components/chat_log.h"
#include "components/ro_clock.h"
#include "components/user_list_model.h"
#include "game/table_services.h"
#include "wire/bytes.h"

// Stand-ins for everything outside the game flow, recording what they are
// asked to do. Tests and fuzzers build the flow around them.
namespace redten::test {

class RecordingSounds final : public GameSounds {
public:
    std::vector<std::string> played;
    void PlayGameSound(GameSound s) override { played.push_back(std::to_string(static_cast<int>(s))); }
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
    // Acknowledged at once.
    void ShowNotice(const std::string& note, const std::string& caption, std::int32_t,
                    std::function<void()> then) override {
        shown.push_back({1, note, caption});
        if (then) {
            then();
        }
    }
    void ShowSystemBox(const std::string& text, const std::string& caption, SystemBoxIcon) override {
        system.push_back({-1, text, caption});
    }
};

class RecordingSender final : public MessageSender {
public:
    std::vector<Bytes> sent;
    void Send(const Bytes& m) override { sent.push_back(m); }
};

// Every beat is due at once; a test may have something arrive "during"
// the first one's wait.
class ImmediateBeats final : public Beats {
public:
    std::vector<std::uint32_t> waits;
    std::function<void()> during;
    void After(std::uint32_t ms, std::function<void()> beat) override {
        waits.push_back(ms);
        if (during) {
            auto once = std::move(during);
            during = nullptr;
            once();
        }
        beat();
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
    RecordedParts()
        : services{link,  sounds, boxes, beats, users, chat, clock, gameSet, items,
                   [this](const TableClosing& why) {
                       ++closedWindow;
                       closing = why;
                   },
                   [this](bool show) { windowShown = show; }} {}

    RecordingSounds sounds;
    RecordingBoxes boxes;
    RecordingSender link;
    ImmediateBeats beats;
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
