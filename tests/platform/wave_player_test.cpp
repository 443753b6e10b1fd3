#include "platform/wave_player.h"

#include <gtest/gtest.h>

#include <string>

namespace redten {
namespace {

std::string Le(std::uint32_t v, int bytes) {
    std::string out;
    for (int i = 0; i < bytes; ++i) out += static_cast<char>(v >> (8 * i));
    return out;
}

// A 16-bit mono file with an odd-sized chunk before the samples, as other
// tools write them.
std::vector<std::uint8_t> Wave(std::uint16_t format, std::uint32_t dataSize, std::size_t samples) {
    const std::string text = "RIFF" + Le(0, 4) + "WAVE" + "LIST" + Le(3, 4) + std::string("abc\0", 4) +
                             "fmt " + Le(16, 4) + Le(format, 2) + Le(1, 2) + Le(22050, 4) + Le(44100, 4) +
                             Le(2, 2) + Le(16, 2) + "data" + Le(dataSize, 4) + std::string(samples, '\x11');
    return {text.begin(), text.end()};
}

TEST(WaveFiles, PcmIsReadAndAnythingElseGivesNothing) {
    const auto good = ParseWave(Wave(1, 8, 8));
    ASSERT_TRUE(good);
    EXPECT_EQ(good->channels, 1u);
    EXPECT_EQ(good->rate, 22050u);
    EXPECT_EQ(good->bitsPerSample, 16u);
    EXPECT_EQ(good->samples.size(), 8u);

    EXPECT_FALSE(ParseWave(Wave(3, 8, 8)));              // not PCM
    EXPECT_FALSE(ParseWave(Wave(1, 0xFFFFFFF0u, 8)));    // samples past the end
    auto cut = Wave(1, 8, 8);
    cut.resize(30);  // ends inside the format
    EXPECT_FALSE(ParseWave(cut));
    EXPECT_FALSE(ParseWave({}));
    // An odd-sized chunk at the very end pads past it: nothing is read there.
    const std::string oddEnd = "RIFF" + Le(0, 4) + "WAVE" + "LIST" + Le(3, 4) + "abc";
    EXPECT_FALSE(ParseWave({oddEnd.begin(), oddEnd.end()}));
    EXPECT_FALSE(ReadWaveFile("/nonexistent/sound.wav"));
}

TEST(WaveFiles, APlayerWithNoSoundOutputIsHarmless) {
    WavePlayer player;
    player.Play("/nonexistent/sound.wav");
    player.Play("");
}

}  // namespace
}  // namespace redten
