#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace redten {

// The samples of a PCM wave file, as the sound output takes them.
struct WaveSound {
    unsigned channels = 0;
    unsigned rate = 0;
    unsigned bitsPerSample = 0;  // 8 or 16
    std::vector<std::uint8_t> samples;
};

// Reads a PCM wave file (8 or 16 bits, one or two channels). A file that is
// not one, or is larger than any sound of ours could be, gives nothing.
std::optional<WaveSound> ReadWaveFile(const std::string& path);
std::optional<WaveSound> ParseWave(const std::vector<std::uint8_t>& bytes);

// Plays short wave files on the system's sound output, one at a time: a new
// sound stops the one still playing. Reading the file and feeding the output
// happen on a thread of the player's own, so the caller never waits for the
// sound device. With no sound output nothing is heard, and nothing is said.
class WavePlayer {
public:
    WavePlayer();
    ~WavePlayer();
    WavePlayer(const WavePlayer&) = delete;
    WavePlayer& operator=(const WavePlayer&) = delete;

    void Play(const std::string& path);

private:
    void Run();
    bool Interrupted(std::uint64_t generation);

    std::mutex mutex_;
    std::condition_variable wake_;
    std::string next_;
    std::uint64_t generation_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace redten
