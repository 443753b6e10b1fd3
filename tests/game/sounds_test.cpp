#include <gtest/gtest.h>

#include "game/sounds.h"

namespace redten {
namespace {

TEST(TableSounds, PlaysTheNumberedFileOnlyWhenItShouldBeHeard) {
    ClientContext context;
    context.programDirectory = REDTEN_TABLE_DIR;
    InitPublicDefine(context.define, context.programDirectory, "");
    bool shown = true;
    TableSounds sounds(context, [&] { return shown; });

    sounds.PlayGameSound(GameSound::Play);
    EXPECT_NE(sounds.LastPlayed().find("/Res/Sound/OutPai.wav"), std::string::npos);
    sounds.PlayGameSound(GameSound::Pass);
    EXPECT_NE(sounds.LastPlayed().find("Pass.wav"), std::string::npos);

    sounds.PlayGameSound(static_cast<GameSound>(12));  // no such sound
    EXPECT_NE(sounds.LastPlayed().find("Pass.wav"), std::string::npos);
    context.userSet.bteUserSet[kSetSoundOn] = 0;
    sounds.PlayGameSound(GameSound::End);
    EXPECT_NE(sounds.LastPlayed().find("Pass.wav"), std::string::npos);
    context.userSet.bteUserSet[kSetSoundOn] = 1;
    shown = false;
    sounds.PlaySoundFile("PangGuanIn.wav");
    EXPECT_NE(sounds.LastPlayed().find("Pass.wav"), std::string::npos);
    shown = true;
    sounds.PlaySoundFile("PangGuanIn.wav");
    EXPECT_NE(sounds.LastPlayed().find("PangGuanIn.wav"), std::string::npos);
    sounds.PlaySoundFile("Missing.wav");
    EXPECT_NE(sounds.LastPlayed().find("PangGuanIn.wav"), std::string::npos);
    EXPECT_EQ(TableSounds::SoundFileName(GameSound::Warning), "Warning.wav");
}

}  // namespace
}  // namespace redten
