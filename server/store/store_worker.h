#pragma once

#include <QObject>
#include <QString>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <type_traits>

#include "server/store/store.h"

namespace redten::room {

// The room's records on a thread of their own, with the one connection to
// the file, so that a slow or locked file never holds up the room's event
// loop. Work is done strictly in the order it is handed over: a game
// finished before a person sits again is in that person's record.
//
// Answers come back as queued calls on the thread of the receiver named
// with each request, as long as it is attached; a detached receiver's
// answers are dropped, but its writes are still done.
//
// The queue is bounded for what someone waits on: a person's record or a
// name's secret is refused at once (the request returns false and its
// answer never comes) when kMaxWaiting jobs wait already. Writes (finished
// games, secrets to keep) and the computer players' records that follow a
// seated person are always taken: their number is bounded by the tables
// running, since the room starts no game while too many wait unwritten.
class StoreWorker {
public:
    static constexpr std::size_t kMaxWaiting = 512;

    explicit StoreWorker(std::size_t maxWaiting = kMaxWaiting);
    // Does what is still queued (writes first of all), then closes the file.
    ~StoreWorker();
    StoreWorker(const StoreWorker&) = delete;
    StoreWorker& operator=(const StoreWorker&) = delete;

    // Opens the file on the store's thread and waits for it.
    bool Open(const QString& path, QString& error, int busyWaitMs = Store::kBusyWaitMs);

    // Warnings about the records go to warn on the receiver's thread.
    void Attach(QObject* receiver, std::function<void(const std::string&)> warn);
    // After this returns no answer or warning is sent to the receiver.
    void Detach(QObject* receiver);

    // Games waiting to be written: all of them, and those held in memory
    // (the rest wait in the journal).
    struct Waiting {
        std::size_t all = 0;
        std::size_t inMemory = 0;
    };
    struct Saved {
        std::int64_t number = 0;  // 0: it waits in the backlog
        Waiting waiting;          // after this one
    };
    bool LoadOrCreate(QObject* to, std::string name, bool computer,
                      std::function<void(std::optional<PersonRecord>)> done);
    bool SecretOf(QObject* to, std::string name, std::function<void(Store::SecretLookup)> done);
    // The computer players' records for a table, in order; a missing one
    // could not be read.
    void LoadComputers(QObject* to, std::vector<std::string> names,
                       std::function<void(std::vector<std::optional<PersonRecord>>)> done);
    void SetSecret(QObject* to, std::string name, std::string hash, std::function<void(bool)> done);
    void SaveGame(QObject* to, FinishedGame game, std::function<void(Saved)> done);
    // Keeps a game's review; dropped, like a read, when too much waits.
    // Its warnings go to the receiver's sink.
    void SaveReview(QObject* to, std::int64_t game, std::string review);
    // done(true, {}) when nothing is left waiting.
    void RetryBacklog(QObject* to, std::function<void(bool stored, Waiting waiting)> done);

    // Runs read on the store's thread and hands its result to done. Bounded
    // like a person's record: false, and no answer, when too much waits.
    template <typename T>
    bool Read(QObject* to, std::function<T(Store&)> read, std::function<void(T)> done) {
        return Post(to, false, [read = std::move(read), done = std::move(done)](Store& store) {
            auto result = std::make_shared<T>(read(store));
            return std::function<void()>([done, result] { done(std::move(*result)); });
        });
    }
    // Takes the name for the room, then reads its secret; refused at once
    // like a person's record when too much waits.
    struct NameClaim {
        Store::Claim claim = Store::Claim::Failed;
        Store::SecretLookup secret;  // read only when the name was taken
    };
    bool ClaimName(QObject* to, std::string name, std::string room, int leaseSeconds,
                   std::function<void(NameClaim)> done);
    void Heartbeat(QObject* to, RoomEntry room, std::vector<std::string> names, int leaseSeconds,
                   std::function<void(bool)> done);
    void Unregister(std::string room);
    // done once the name is given back (or could not be).
    void ReleaseName(QObject* to, std::string name, std::string room, std::function<void()> done);

    // Runs fn with the store on its thread and waits for the result, after
    // everything queued before it. For tests and tools: never call it from
    // the room's event loop.
    template <typename F>
    auto Now(F fn) -> std::invoke_result_t<F, Store&> {
        using R = std::invoke_result_t<F, Store&>;
        std::packaged_task<R(Store&)> task(std::move(fn));
        auto result = task.get_future();
        auto shared = std::make_shared<decltype(task)>(std::move(task));
        Post(nullptr, true, [shared](Store& store) -> std::function<void()> {
            (*shared)(store);
            return {};
        });
        return result.get();
    }

private:
    // A job runs on the store's thread and returns what to run on its
    // receiver's thread (or nothing).
    using Job = std::function<std::function<void()>(Store&)>;
    struct Queued {
        QObject* to = nullptr;
        Job job;
    };
    bool Post(QObject* to, bool always, Job job);
    void Run();
    void Warn(const std::string& line);

    const std::size_t maxWaiting_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Queued> jobs_;
    std::map<QObject*, std::function<void(const std::string&)>> receivers_;
    QObject* current_ = nullptr;  // the receiver of the job in hand
    bool stopping_ = false;
    std::thread thread_;  // last: it starts once the rest is ready
};

}  // namespace redten::room
