#include "server/store/records_queue.h"

#include <QDateTime>

#include <algorithm>

namespace redten::room {

RecordsQueue::RecordsQueue(StoreWorker& store, std::size_t maxInMemory,
                           std::function<void(LogLevel, const std::string&)> log)
    : store_(store), maxInMemory_(maxInMemory), log_(std::move(log)) {
    store_.Attach(this, [this](const std::string& line) { log_(LogLevel::Warning, "records: " + line); });
    retry_.setSingleShot(true);
    connect(&retry_, &QTimer::timeout, this, &RecordsQueue::Retry);
    // Games an earlier run left in the journal, if the records could not
    // take them at the start, are tried again like any that wait.
    Retry();
}

RecordsQueue::~RecordsQueue() {
    store_.Detach(this);  // what is queued is still written, unanswered
}

void RecordsQueue::Save(const FinishedGame& game) {
    ++handedOver_;
    NoteWaiting();
    store_.SaveGame(this, game, [this, game](StoreWorker::Saved saved) {
        const int tableNo = game.tableNo;
        const bool wasFull = !MayStartGame();
        --handedOver_;
        waiting_ = saved.waiting.all;
        inMemory_ = saved.waiting.inMemory;
        Note(saved.number != 0);
        const std::string table = "table " + std::to_string(tableNo) + ": ";
        if (saved.number == 0) {
            log_(LogLevel::Warning, table + "the game waits to be stored, " + std::to_string(waiting_) + " waiting");
            if (!retry_.isActive() && !retrying_) {
                retryMs_ = 100;
                retry_.start(retryMs_);
            }
        } else {
            log_(LogLevel::Info, table + "game stored as number " + std::to_string(saved.number));
            if (onStored) {
                onStored(saved.number, game);
            }
        }
        Answered(wasFull);
    });
}

void RecordsQueue::SaveReview(std::int64_t number, std::string review) {
    store_.SaveReview(this, number, std::move(review));
}

void RecordsQueue::RetryNow() {
    if (waiting_ > 0 && !retrying_) {
        retry_.stop();
        retryMs_ = 100;
        Retry();
    }
}

void RecordsQueue::Retry() {
    if (retrying_) {
        return;
    }
    retrying_ = true;
    store_.RetryBacklog(this, [this, waited = waiting_](bool stored, StoreWorker::Waiting now) {
        const bool wasFull = !MayStartGame();
        retrying_ = false;
        waiting_ = now.all;
        inMemory_ = now.inMemory;
        Note(stored);
        if (!stored) {
            retryMs_ = std::min(retryMs_ * 2, 5000);  // a locked file is not hammered
            retry_.start(retryMs_);
        } else if (waited > 0) {
            log_(LogLevel::Info, "the records took the " + std::to_string(waited) + " games that waited");
        }
        Answered(wasFull);
    });
}

void RecordsQueue::Note(bool answered) {
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (!answered && downSince_ == 0) {
        downSince_ = now;
        log_(LogLevel::Warning, "the records are unavailable; tables play on, " + std::to_string(waiting_) +
                                    " finished games wait to be written");
    } else if (answered && downSince_ != 0) {
        log_(LogLevel::Warning, "the records are available again after " + std::to_string((now - downSince_) / 1000) +
                                    " s; " + std::to_string(waiting_) + " games still wait");
        downSince_ = 0;
    }
    NoteWaiting();
}

void RecordsQueue::NoteWaiting() {
    // A store stuck on one write shows as games that wait, answered or not.
    if (Unwritten() == 0) {
        waitingSince_ = 0;
    } else if (waitingSince_ == 0) {
        waitingSince_ = QDateTime::currentMSecsSinceEpoch();
    }
}

void RecordsQueue::Answered(bool wasFull) {
    if (onAnswered) {
        onAnswered(wasFull);
    }
}

RecordsHealth RecordsQueue::Health() const {
    RecordsHealth health;
    health.available = downSince_ == 0;
    if (!health.available) {
        health.unavailableSince = QDateTime::fromMSecsSinceEpoch(downSince_)
                                      .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
                                      .toStdString();
    }
    health.waitingWrites = Unwritten();
    if (waitingSince_ != 0) {
        health.oldestWaitingSeconds = (QDateTime::currentMSecsSinceEpoch() - waitingSince_) / 1000;
    }
    return health;
}

}  // namespace redten::room
