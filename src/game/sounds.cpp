#include "game/sounds.h"

#include <QFile>

#include <iterator>

#include "platform/resource_path.h"

namespace redten {

std::string TableSounds::SoundFileName(GameSound sound) {
    static const char* const files[8] = {"Start.wav",  "Liang.wav",  "OutPai.wav",  "Pass.wav",
                                         "Hong10.wav", "ZhaDan.wav", "Warning.wav", "End.wav"};
    const auto number = static_cast<std::size_t>(sound);
    return number < std::size(files) ? files[number] : std::string();
}

void TableSounds::PlayGameSound(GameSound sound) {
    const std::string file = SoundFileName(sound);
    if (!file.empty()) {
        PlaySoundFile(file);
    }
}

void TableSounds::PlaySoundFile(const std::string& file) {
    if (!windowShown_() || context_.userSet.bteUserSet[kSetSoundOn] == 0) {
        return;
    }
    PlayWaveFile(ResolveResourcePath(context_.define.strAppPath, "Res\\Sound\\" + file));
}

void TableSounds::PlayWaveFile(const QString& path) {
    if (!QFile::exists(path)) {
        return;
    }
    lastPlayed_ = path.toStdString();
    if (!player_) {
        player_ = std::make_unique<WavePlayer>();
    }
    player_->Play(lastPlayed_);
}

}  // namespace redten
