#pragma once

#include <QString>

#include <functional>
#include <memory>
#include <string>

#include "platform/wave_player.h"
#include "state/notices.h"
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

    void PlayGameSound(GameSound sound) override;
    void PlaySoundFile(const std::string& file) override;

    // The file a sound plays, or nothing for one we do not know.
    static std::string SoundFileName(GameSound sound);
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
