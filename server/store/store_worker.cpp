#include "server/store/store_worker.h"

#include <iostream>

namespace redten::room {

StoreWorker::StoreWorker(std::size_t maxWaiting) : maxWaiting_(maxWaiting), thread_([this] { Run(); }) {}

StoreWorker::~StoreWorker() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        receivers_.clear();
    }
    wake_.notify_one();
    thread_.join();
}

bool StoreWorker::Open(const QString& path, QString& error, int busyWaitMs) {
    return Now([&](Store& store) { return store.Open(path, error, busyWaitMs); });
}

void StoreWorker::Attach(QObject* receiver, std::function<void(const std::string&)> warn) {
    std::lock_guard lock(mutex_);
    receivers_[receiver] = std::move(warn);
}

void StoreWorker::Detach(QObject* receiver) {
    std::lock_guard lock(mutex_);
    receivers_.erase(receiver);
}

bool StoreWorker::LoadOrCreate(QObject* to, std::string name, bool computer,
                               std::function<void(std::optional<PersonRecord>)> done) {
    return Post(to, false, [name = std::move(name), computer, done = std::move(done)](Store& store) {
        auto person = store.LoadOrCreate(name, computer);
        return std::function<void()>([done, person = std::move(person)] { done(person); });
    });
}

bool StoreWorker::SecretOf(QObject* to, std::string name, std::function<void(Store::SecretLookup)> done) {
    return Post(to, false, [name = std::move(name), done = std::move(done)](Store& store) {
        auto found = store.SecretOf(name);
        return std::function<void()>([done, found = std::move(found)] { done(found); });
    });
}

void StoreWorker::LoadComputers(QObject* to, std::vector<std::string> names,
                                std::function<void(std::vector<std::optional<PersonRecord>>)> done) {
    Post(to, true, [names = std::move(names), done = std::move(done)](Store& store) {
        std::vector<std::optional<PersonRecord>> found;
        for (const std::string& name : names) {
            found.push_back(store.LoadOrCreate(name, true));
        }
        return std::function<void()>([done, found = std::move(found)] { done(found); });
    });
}

void StoreWorker::SetSecret(QObject* to, std::string name, std::string hash, std::function<void(bool)> done) {
    Post(to, true, [name = std::move(name), hash = std::move(hash), done = std::move(done)](Store& store) {
        const bool kept = store.SetSecret(name, hash);
        return std::function<void()>([done, kept] { done(kept); });
    });
}

void StoreWorker::SaveReview(QObject* to, std::int64_t game, std::string review) {
    Post(to, false, [game, review = std::move(review)](Store& store) {
        store.SaveReview(game, review);
        return std::function<void()>();
    });
}

void StoreWorker::SaveGame(QObject* to, FinishedGame game, std::function<void(Saved)> done) {
    Post(to, true, [game = std::move(game), done = std::move(done)](Store& store) {
        const std::int64_t number = store.SaveGame(game);
        const Saved saved{number, {store.Backlog(), store.BacklogInMemory()}};
        return std::function<void()>([done, saved] { done(saved); });
    });
}

void StoreWorker::RetryBacklog(QObject* to, std::function<void(bool, Waiting)> done) {
    Post(to, true, [done = std::move(done)](Store& store) {
        const bool stored = store.RetryBacklog();
        const Waiting waiting{store.Backlog(), store.BacklogInMemory()};
        return std::function<void()>([done, stored, waiting] { done(stored, waiting); });
    });
}

bool StoreWorker::ClaimName(QObject* to, std::string name, std::string room, int leaseSeconds,
                            std::function<void(NameClaim)> done) {
    return Post(to, false,
                [name = std::move(name), room = std::move(room), leaseSeconds,
                 done = std::move(done)](Store& store) {
                    NameClaim found;
                    found.claim = store.ClaimName(name, room, leaseSeconds);
                    if (found.claim == Store::Claim::Taken) {
                        found.secret = store.SecretOf(name);
                    }
                    return std::function<void()>([done, found = std::move(found)] { done(found); });
                });
}

void StoreWorker::Heartbeat(QObject* to, RoomEntry room, std::vector<std::string> names,
                            int leaseSeconds, std::function<void(bool)> done) {
    Post(to, true,
         [room = std::move(room), names = std::move(names), leaseSeconds,
          done = std::move(done)](Store& store) {
             const bool ok = store.Heartbeat(room, names, leaseSeconds);
             return std::function<void()>([done, ok] { done(ok); });
         });
}

void StoreWorker::Unregister(std::string room) {
    Post(nullptr, true, [room = std::move(room)](Store& store) {
        store.Unregister(room);
        return std::function<void()>();
    });
}

void StoreWorker::ReleaseName(QObject* to, std::string name, std::string room, std::function<void()> done) {
    Post(to, true, [name = std::move(name), room = std::move(room), done = std::move(done)](Store& store) {
        store.ReleaseName(name, room);
        return done;
    });
}

bool StoreWorker::Post(QObject* to, bool always, Job job) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_ || (!always && jobs_.size() >= maxWaiting_)) {
            return false;
        }
        jobs_.push_back({to, std::move(job)});
    }
    wake_.notify_one();
    return true;
}

void StoreWorker::Warn(const std::string& line) {
    std::lock_guard lock(mutex_);
    const auto it = receivers_.find(current_);
    if (it == receivers_.end()) {
        std::cerr << "redten-room: records: " << line << std::endl;
        return;
    }
    QMetaObject::invokeMethod(it->first, [warn = it->second, line] { warn(line); }, Qt::QueuedConnection);
}

void StoreWorker::Run() {
    // The connection is made, used and closed on this thread only.
    Store store;
    store.SetWarningSink([this](const std::string& line) { Warn(line); });
    for (;;) {
        Queued next;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (jobs_.empty()) {
                break;  // stopping, and nothing is left to write
            }
            next = std::move(jobs_.front());
            jobs_.pop_front();
            current_ = next.to;
        }
        std::function<void()> answer = next.job(store);
        std::lock_guard lock(mutex_);
        // A receiver still attached is alive until it detaches, which waits
        // for this lock; calls queued to it are dropped when it goes.
        if (answer && receivers_.count(next.to)) {
            QMetaObject::invokeMethod(next.to, std::move(answer), Qt::QueuedConnection);
        }
        current_ = nullptr;
    }
    // One last try for what waits; the room has given up waiting by now.
    if (store.Backlog() > 0 && !store.RetryBacklog()) {
        QString why;
        if (store.KeepBacklogInJournal(why)) {
            std::cerr << "redten-room: records: " << store.Backlog()
                      << " finished games could not be written before the end; they are kept in "
                      << store.JournalPath().toStdString() << " and written at the next start" << std::endl;
        } else {
            std::cerr << "redten-room: records: " << store.Backlog()
                      << " finished games could not be written before the end, nor kept in a journal ("
                      << why.toStdString() << "), and are lost" << std::endl;
        }
    }
}

}  // namespace redten::room
