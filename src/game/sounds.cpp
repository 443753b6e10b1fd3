#include "game/sounds.h"

#include <QFile>

#include "platform/resource_path.h"

namespace redten {

std::string TableSounds::SoundFileName(int number) {
    static const char* const files[10] = {"Start.wav",  "Liang.wav",   "OutPai.wav", "Pass.wav",
                                          "Hong10.wav", "ZhaDan.wav",  "Warning.wav", "End.wav",
                                          "PangGuanIn.wav", "PangGuanOut.wav"};
    return number >= 0 && number <= 9 ? files[number] : std::string();
}

void TableSounds::PlayGameSound(int number) {
    const std::string file = SoundFileName(number);
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
