#pragma once

#include <QObject>
#include <QTimer>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "server/store/store_worker.h"
#include "server/tables/table_host.h"

namespace redten::room {

// Whether the records answer, and what waits to be written.
struct RecordsHealth {
    bool available = true;
    std::string unavailableSince;  // local time, while unavailable
    std::size_t waitingWrites = 0;  // finished games not written yet
    std::int64_t oldestWaitingSeconds = 0;
};

// The room's side of the records' writes: the finished games handed to the
// store and not answered yet, what the store says still waits, the retries
// with their back-off, and whether the records answer at all. It lives on
// the room's thread; the store works on its own.
class RecordsQueue final : public QObject {
    Q_OBJECT
public:
    // maxInMemory: games waiting in memory (handed over or in the store's)
    // at which the room starts no new game.
    RecordsQueue(StoreWorker& store, std::size_t maxInMemory,
                 std::function<void(LogLevel, const std::string&)> log);
    ~RecordsQueue() override;

    void Save(const FinishedGame& game);
    // A request to the records was answered, or failed.
    void Note(bool answered);
    // What waits is tried now, not after the back-off (the room is stopping).
    void RetryNow();

    bool MayStartGame() const { return handedOver_ + inMemory_ < maxInMemory_; }
    // Finished games not written yet, wherever they wait.
    std::size_t Unwritten() const { return handedOver_ + waiting_; }
    RecordsHealth Health() const;

    // After each answer of the store; wasFull: no game could start before it.
    std::function<void(bool wasFull)> onAnswered;
    // A game handed to Save was stored as number; games that waited in the
    // backlog are stored unannounced.
    std::function<void(std::int64_t number, const FinishedGame& game)> onStored;
    // Keeps a stored game's review, when the records can take it.
    void SaveReview(std::int64_t number, std::string review);

private:
    void Retry();
    void NoteWaiting();
    void Answered(bool wasFull);

    StoreWorker& store_;
    std::size_t maxInMemory_;
    std::function<void(LogLevel, const std::string&)> log_;
    QTimer retry_;
    int retryMs_ = 100;
    bool retrying_ = false;
    std::size_t handedOver_ = 0;  // to the store, not answered yet
    std::size_t waiting_ = 0;     // as the store last told
    std::size_t inMemory_ = 0;    // of those, the ones in its memory
    // When the records stopped answering (0 while they answer), and since
    // when games have waited to be written (0 while none waits); ms since
    // the epoch.
    qint64 downSince_ = 0;
    qint64 waitingSince_ = 0;
};

}  // namespace redten::room
