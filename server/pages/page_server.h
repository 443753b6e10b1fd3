#pragma once

#include <QElapsedTimer>
#include <QObject>

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "server/pages/record_pages.h"
#include "server/store/records.h"
#include "server/store/store_worker.h"
#include "server/pages/web_files.h"
#include "server/pages/web_pages.h"

namespace redten::room {

// The room's web pages: decides what a request asks for, reads it on the
// store's thread (never on the room's), keeps what it read for a moment,
// and hands the whole answer back on the room's thread. What it needs of
// the room right now (the tables, the people) it asks through Room.
class PageServer {
public:
    struct Room {
        std::function<std::vector<LiveTable>()> tables;
        std::function<std::size_t()> people;
        std::function<RecordsHealth()> records;
        const WebFiles* files = nullptr;  // the browser's table
    };
    using Answer = std::function<void(int status, std::string_view type, const std::string& body)>;

    // Answers come as queued calls to receiver, which must be attached to
    // store for as long as this lives.
    PageServer(QObject* receiver, StoreWorker& store, int cacheMs, Room room);

    // requestLine: "GET /path HTTP/1.1"; roomAddress: where a browser finds
    // these pages. answer is called once, now or later.
    void Serve(const std::string& requestLine, const std::string& roomAddress, Answer answer);

    // A read for a page or a replay: at most kMaxReads wait at once, so
    // browsers never crowd out the records of people sitting down. False
    // (and no answer) when refused.
    template <typename T>
    bool Read(std::function<T(Store&)> read, std::function<void(T)> done) {
        if (reads_ >= kMaxReads) {
            return false;
        }
        const bool asked =
            store_.Read<T>(receiver_, std::move(read), [this, done = std::move(done)](T value) {
                --reads_;
                done(std::move(value));
            });
        reads_ += asked ? 1 : 0;
        return asked;
    }
    static constexpr int kMaxReads = 32;

private:
    struct CachedPage {
        qint64 at = 0;
        int status = 200;
        std::string_view type;
        std::string body;
    };
    struct CachedStandings {
        qint64 at = 0;
        std::vector<Standing> standings;
    };
    void WithStandings(int page, std::function<void(const std::vector<Standing>*)> use);
    std::string Keep(const std::string& key, int status, std::string_view type, std::string body);

    QObject* receiver_;
    StoreWorker& store_;
    const int cacheMs_;
    Room room_;
    QElapsedTimer clock_;
    std::map<std::string, CachedPage> pages_;
    std::map<int, CachedStandings> standings_;
    int reads_ = 0;
};

}  // namespace redten::room
