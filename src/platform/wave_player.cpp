#include "platform/wave_player.h"

#include <alsa/asoundlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace redten {

namespace {

// Our sounds last a second or two; a file far larger is not one of them.
constexpr std::size_t kMaxWaveBytes = 8u << 20;

std::uint32_t Le32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

// ALSA reports a missing card on stderr by default; no card only means no
// sound here.
void Quiet(const char*, int, const char*, int, const char*, ...) {}

}  // namespace

std::optional<WaveSound> ParseWave(const std::vector<std::uint8_t>& bytes) {
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0) {
        return std::nullopt;
    }
    WaveSound wave;
    bool haveFormat = false;
    std::size_t at = 12;
    while (at <= bytes.size() && bytes.size() - at >= 8) {
        const std::uint8_t* chunk = bytes.data() + at;
        const std::size_t size = Le32(chunk + 4);
        const std::size_t body = at + 8;
        if (size > bytes.size() - body) {
            return std::nullopt;
        }
        if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16) {
            const std::uint8_t* f = bytes.data() + body;
            if (Le16(f) != 1) {  // PCM only
                return std::nullopt;
            }
            wave.channels = Le16(f + 2);
            wave.rate = Le32(f + 4);
            wave.bitsPerSample = Le16(f + 14);
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0 && haveFormat) {
            wave.samples.assign(bytes.begin() + static_cast<std::ptrdiff_t>(body),
                                bytes.begin() + static_cast<std::ptrdiff_t>(body + size));
            const bool usable = (wave.channels == 1 || wave.channels == 2) &&
                                (wave.bitsPerSample == 8 || wave.bitsPerSample == 16) && wave.rate >= 1000 &&
                                wave.rate <= 192000;
            return usable ? std::optional<WaveSound>(std::move(wave)) : std::nullopt;
        }
        at = body + size + (size & 1);  // chunks are padded to an even size
    }
    return std::nullopt;
}

std::optional<WaveSound> ReadWaveFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(kMaxWaveBytes + 1);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got > kMaxWaveBytes) {
        return std::nullopt;
    }
    bytes.resize(got);
    return ParseWave(bytes);
}

WavePlayer::WavePlayer() : thread_([this] { Run(); }) {}

WavePlayer::~WavePlayer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        ++generation_;
    }
    wake_.notify_one();
    thread_.join();
}

void WavePlayer::Play(const std::string& path) {
    {
        std::lock_guard lock(mutex_);
        next_ = path;
        ++generation_;
    }
    wake_.notify_one();
}

bool WavePlayer::Interrupted(std::uint64_t generation) {
    std::lock_guard lock(mutex_);
    return stopping_ || generation_ != generation;
}

void WavePlayer::Run() {
    snd_lib_error_set_handler(&Quiet);
    snd_pcm_t* pcm = nullptr;
    std::uint64_t seen = 0;
    for (;;) {
        std::string path;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
            if (stopping_) {
                break;
            }
            seen = generation_;
            path = next_;
        }
        const std::optional<WaveSound> wave = ReadWaveFile(path);
        if (!wave) {
            continue;
        }
        // The device is opened when first needed and kept: a desktop without
        // sound output simply fails here each time. It is never waited on
        // without a bound, so a stuck device cannot hold up the table's exit.
        if (!pcm && snd_pcm_open(&pcm, "default", SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK) < 0) {
            pcm = nullptr;
            continue;
        }
        snd_pcm_drop(pcm);
        const snd_pcm_format_t format = wave->bitsPerSample == 16 ? SND_PCM_FORMAT_S16_LE : SND_PCM_FORMAT_U8;
        if (snd_pcm_set_params(pcm, format, SND_PCM_ACCESS_RW_INTERLEAVED, wave->channels, wave->rate, 1,
                               100000) < 0) {
            continue;
        }
        const std::size_t frameBytes = wave->channels * (wave->bitsPerSample / 8);
        const std::size_t frames = wave->samples.size() / frameBytes;
        // Short slices, so a newer sound cuts in at once; a device that takes
        // nothing for a second is given up and opened afresh next time.
        constexpr std::size_t kSlice = 1024;
        constexpr int kWaitMs = 100, kGiveUpMs = 1000;
        std::size_t done = 0;
        int idleMs = 0;
        bool broken = false;
        while (done < frames && !broken && !Interrupted(seen)) {
            const std::size_t n = std::min(kSlice, frames - done);
            const snd_pcm_sframes_t wrote = snd_pcm_writei(pcm, wave->samples.data() + done * frameBytes, n);
            if (wrote == -EAGAIN) {
                snd_pcm_wait(pcm, kWaitMs);
                idleMs += kWaitMs;
                broken = idleMs >= kGiveUpMs;
            } else if (wrote < 0) {
                broken = snd_pcm_recover(pcm, static_cast<int>(wrote), 1) < 0;
            } else {
                done += static_cast<std::size_t>(wrote);
                idleMs = 0;
            }
        }
        if (broken) {
            snd_pcm_close(pcm);
            pcm = nullptr;
        }
        // What was written plays on by itself: the next sound drops it.
    }
    if (pcm) {
        snd_pcm_close(pcm);
    }
}

}  // namespace redten
