#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <string>

#include "platform/wave_player.h"
#include "state/table_view.h"
#include "state/client_context.h"

namespace redten {

// The table's short sounds. One effect plays at a time: a new sound
// replaces the one still playing. Nothing plays while the window is hidden
// or minimised, with the sounds switched off, for a missing file, or when
// the system has no sound output.
class TableSounds final : public GameSounds {
public:
    // windowShown tells whether the main window can be seen right now.
    TableSounds(const ClientContext& context, std::function<bool()> windowShown)
        : context_(context), windowShown_(std::move(windowShown)) {}

    void PlayGameSound(int number) override;
    void PlaySoundFile(const std::string& file) override;

    // The file a sound number plays, or nothing for an unknown number.
    static std::string SoundFileName(int number);
    // Set when the last request reached the player (for tests).
    const std::string& LastPlayed() const { return lastPlayed_; }

private:
    void PlayWaveFile(const QString& path);

    const ClientContext& context_;
    std::function<bool()> windowShown_;
    std::unique_ptr<WavePlayer> player_;
    std::string lastPlayed_;
};

}  // namespace redten
