#pragma once

#include <QObject>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

namespace redten::room {

// A secret word as the lobby line may carry it: 1 to 128 bytes, no blanks
// and no control characters.
bool PlausibleSecret(std::string_view secret);

// A salted, deliberately slow hash of a secret in libsodium's own text
// form; nothing when the hash could not be made (out of memory).
std::optional<std::string> HashSecret(const std::string& secret);
bool SecretMatches(const std::string& hash, const std::string& secret);

// Hashing and checking secrets takes a tenth of a second and 64 MiB each,
// so it happens on a thread of its own, one at a time, never on the room's
// event loop. Results come back as queued calls on the owner's thread; a
// full queue refuses more work instead of growing.
class SecretWorker {
public:
    explicit SecretWorker(QObject* owner, std::size_t maxWaiting = 8);
    ~SecretWorker();
    SecretWorker(const SecretWorker&) = delete;
    SecretWorker& operator=(const SecretWorker&) = delete;

    // False (and done is never called) when too much work waits already.
    bool Check(std::string hash, std::string secret, std::function<void(bool)> done);
    bool Hash(std::string secret, std::function<void(std::optional<std::string>)> done);

private:
    // A job runs on the worker and returns what to run on the owner's thread.
    using Job = std::function<std::function<void()>()>;
    bool Post(Job job);
    void Run();

    QObject* owner_;  // outlives us: we are its member
    const std::size_t maxWaiting_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace redten::room
