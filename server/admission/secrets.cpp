#include "server/admission/secrets.h"

#include <sodium.h>

namespace redten::room {

bool PlausibleSecret(std::string_view secret) {
    if (secret.empty() || secret.size() > 128) {
        return false;
    }
    for (const char c : secret) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F) {
            return false;
        }
    }
    return true;
}

std::optional<std::string> HashSecret(const std::string& secret) {
    if (sodium_init() < 0) {
        return std::nullopt;
    }
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(out, secret.data(), secret.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
        return std::nullopt;
    }
    return std::string(out);
}

bool SecretMatches(const std::string& hash, const std::string& secret) {
    if (sodium_init() < 0 || hash.empty() || hash.size() >= crypto_pwhash_STRBYTES) {
        return false;
    }
    char stored[crypto_pwhash_STRBYTES] = {};
    hash.copy(stored, hash.size());
    return crypto_pwhash_str_verify(stored, secret.data(), secret.size()) == 0;
}

SecretWorker::SecretWorker(QObject* owner, std::size_t maxWaiting)
    : owner_(owner), maxWaiting_(maxWaiting), thread_([this] { Run(); }) {}

SecretWorker::~SecretWorker() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    wake_.notify_one();
    thread_.join();
}

bool SecretWorker::Check(std::string hash, std::string secret, std::function<void(bool)> done) {
    return Post([hash = std::move(hash), secret = std::move(secret), done = std::move(done)]() -> std::function<void()> {
        const bool ok = SecretMatches(hash, secret);
        return [done, ok] { done(ok); };
    });
}

bool SecretWorker::Hash(std::string secret, std::function<void(std::optional<std::string>)> done) {
    return Post([secret = std::move(secret), done = std::move(done)]() -> std::function<void()> {
        auto hash = HashSecret(secret);
        return [done, hash = std::move(hash)] { done(hash); };
    });
}

bool SecretWorker::Post(Job job) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_ || jobs_.size() >= maxWaiting_) {
            return false;
        }
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
    return true;
}

void SecretWorker::Run() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_) {
                return;
            }
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        std::function<void()> result = job();
        std::lock_guard lock(mutex_);
        // The owner is still there while we are not stopped: it stops us in
        // its destructor before it goes, and Qt drops calls queued to it then.
        if (!stopping_) {
            QMetaObject::invokeMethod(owner_, std::move(result), Qt::QueuedConnection);
        }
    }
}

}  // namespace redten::room
