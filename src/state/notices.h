#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/system_message_box.h"

namespace redten {

// The program's own message boxes (a pool of them) and the system's boxes.
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;

    virtual void InitGlobalMsg() = 0;
    // Type 0: a notice without buttons, returns at once. Types 1 (one
    // button) and 2 (two) wait for the answer, which is true for Yes, while
    // every other event of the program keeps being handled.
    virtual bool ShowGlobalMsg(std::int32_t group, std::uint8_t type, const std::string& note,
                               const std::string& caption, std::int32_t seconds,
                               const std::string& yesCaption, const std::string& noCaption,
                               bool yesDefault) = 0;
    // Closes every box of the group (0: all of ours).
    virtual void CloseGlobalMsg(std::int32_t group) = 0;
    // A one-button notice that returns at once; then runs once it is
    // acknowledged, by the button, its time running out or its title bar.
    virtual void ShowNotice(const std::string& note, const std::string& caption, std::int32_t seconds,
                            std::function<void()> then = {}) = 0;
    // The system's box; it returns at once.
    virtual void ShowSystemBox(const std::string& text, const std::string& caption,
                               SystemBoxIcon icon) = 0;
};

// Sends a whole message to the room.
class MessageSender {
public:
    virtual ~MessageSender() = default;
    virtual void Send(const std::vector<std::uint8_t>& message) = 0;
};

// The table's timed beats: whatever must wait its moment (a won trick on
// show, the blast's next frame) runs later from the event loop, never
// inside the handler that asked for it. Beats still due when the table
// ends never run.
class Beats {
public:
    virtual ~Beats() = default;
    virtual void After(std::uint32_t ms, std::function<void()> beat) = 0;
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
