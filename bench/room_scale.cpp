// What the room costs as it grows, measured on a real room process (the
// redten-room of this build) with its records in a file:
//
// - at each table count, tables of four scripted people who pause before
//   every play as people do: the room's processor time per play (all its
//   threads, the store's included) and the echo of each play to the other
//   three seats;
// - links held idle: the room's memory per link and its processor time
//   while they sit;
// - the room at its link cap with more people knocking: its processor time
//   while it refuses them.
//
//   build/bench/room_scale [TABLES,...] [PAUSE_MS] [SECONDS] [browser]
//
// With "browser" the people sit as the browser's table does, over
// WebSocket on the room's port, and only the plays are measured.
//
// Up to 2,000 tables. Defaults: 10,100,250,500 tables, 250 ms pauses (a few times quicker than
// people, so that 500 tables make about 2,000 plays a second), 20 seconds
// measured at each count after 3 seconds of warming up.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "support/room_process.h"
#include "support/room_server.h"
#include "support/scripted_table.h"

using redten::room::test::ScriptedTable;
using redten::test::RoomProcess;
using redten::test::WaitUntil;
using Clock = std::chrono::steady_clock;

namespace {

void Pump(int ms) {
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < until) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::usleep(200);
    }
}

// Processor time of every thread of a process, in nanoseconds.
double CpuNs(qint64 pid) {
    double total = 0;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString& t : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile f(tasks + QLatin1Char('/') + t + QStringLiteral("/schedstat"));
        if (f.open(QIODevice::ReadOnly)) {
            total += f.readAll().split(' ').value(0).toDouble();
        }
    }
    return total;
}

double RssKiB(qint64 pid) {
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toDouble();
        }
    }
    return 0;
}

// Seats count people one after another, each once the one before has its
// seat, so that every four in a row share a table.
std::vector<std::unique_ptr<ScriptedTable>> Seat(int count, quint16 port, bool play, const std::string& prefix,
                                                  int pauseMs = 0, bool browser = false) {
    std::vector<std::unique_ptr<ScriptedTable>> people;
    for (int i = 0; i < count; ++i) {
        auto p = std::make_unique<ScriptedTable>(prefix + std::to_string(i), port);
        p->browser = browser;
        p->autoPlay = play;
        p->playPauseMs = pauseMs;
        p->keepReceived = false;
        p->gamesWanted = 1 << 30;
        if (!p->Reserve() || !p->Connect() || !WaitUntil([&] { return p->seat >= 0; }, 10000)) {
            std::cerr << "could not seat " << prefix << i << ": " << p->lastReply << "\n";
            return {};
        }
        people.push_back(std::move(p));
    }
    return people;
}

// This program's processor time: the people's side of the load. When it
// nears a whole core, the echoes measure the people, not the room.
double OwnCpuNs() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto ns = [](const timeval& t) { return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_usec) * 1e3; };
    return ns(usage.ru_utime) + ns(usage.ru_stime);
}

double At(std::vector<double>& v, double q) {
    if (v.empty()) {
        return 0;
    }
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<std::size_t>(q * static_cast<double>(v.size() - 1) + 0.5))];
}

bool MeasurePlay(int tables, int pauseMs, int seconds, const QString& dir, bool browser) {
    const QString db = dir + QStringLiteral("/room-%1.db").arg(tables);
    RoomProcess room({QStringLiteral("--bots"), QStringLiteral("0"), QStringLiteral("--db"), db,
                      QStringLiteral("--idle-drop-s"), QStringLiteral("0"),
                      QStringLiteral("--max-tables"), QString::number(std::max(tables, 1000)),
                      QStringLiteral("--max-links"), QString::number(std::max(tables * 4 + 100, 4000))});
    if (room.Port() == 0) {
        std::cerr << "the room did not start\n";
        return false;
    }
    auto people = Seat(tables * 4, room.Port(), true, "客人", pauseMs, browser);
    if (people.empty()) {
        return false;
    }
    bool measuring = false;
    long plays = 0;
    long unmatched = 0;
    std::vector<double> echoMs;
    std::vector<std::array<const ScriptedTable*, 4>> tablesOfFour(people.size() / 4);
    for (std::size_t i = 0; i < people.size(); ++i) {
        tablesOfFour[i / 4][i % 4] = people[i].get();
    }
    for (std::size_t i = 0; i < people.size(); ++i) {
        ScriptedTable* me = people[i].get();
        const std::array<const ScriptedTable*, 4>* table = &tablesOfFour[i / 4];
        me->onPlay = [&, me, table, first = i % 4 == 0](const redten::wire::Play& play) {
            if (!measuring) {
                return;
            }
            if (first) {
                ++plays;
            }
            if (play.seat == me->seat) {
                return;
            }
            const ScriptedTable* sender = nullptr;
            for (const ScriptedTable* other : *table) {
                if (other->seat == play.seat) {
                    sender = other;
                }
            }
            if (!sender || sender->lastPlay != play.cards) {
                ++unmatched;
                return;
            }
            echoMs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sender->lastPlaySent).count());
        };
    }
    // Games start once everybody has raised a hand; let them get going.
    Pump(3000);
    measuring = true;
    long gamesBefore = 0;
    for (const auto& p : people) {
        gamesBefore += p->gamesOver;
    }
    const double cpu0 = CpuNs(room.Pid());
    const double ours0 = OwnCpuNs();
    const auto t0 = Clock::now();
    Pump(seconds * 1000);
    const double cpu = CpuNs(room.Pid()) - cpu0;
    const double ours = OwnCpuNs() - ours0;
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    measuring = false;
    long games = -gamesBefore;
    for (const auto& p : people) {
        games += p->gamesOver;
        if (!p->problems.empty()) {
            std::cerr << "a scripted person saw: " << p->problems.front() << "\n";
            return false;
        }
    }
    const double p50 = At(echoMs, 0.5);
    const double p99 = At(echoMs, 0.99);
    const double max = echoMs.empty() ? 0.0 : echoMs.back();
    std::printf("%4d tables  %7.0f plays/s  %6.1f us cpu/play  room cpu %5.1f %% (the people %5.1f %%)  echo ms p50 %6.2f  p99 %6.2f  max %7.2f  (%zu echoes, %ld unmatched, %ld games)\n",
                tables, static_cast<double>(plays) / wall, plays ? cpu / 1e3 / static_cast<double>(plays) : 0.0,
                cpu / 1e9 / wall * 100, ours / 1e9 / wall * 100, p50, p99, max,
                echoMs.size(), unmatched, games / 4);
    std::fflush(stdout);
    return true;
}

bool MeasureIdle(int links, const QString& dir) {
        RoomProcess room({QStringLiteral("--bots"), QStringLiteral("0"), QStringLiteral("--db"),
                     dir + QStringLiteral("/idle.db"), QStringLiteral("--idle-drop-s"), QStringLiteral("0"),
                      QStringLiteral("--max-tables"), QStringLiteral("1000")});
    if (room.Port() == 0) {
        return false;
    }
    auto first = Seat(4, room.Port(), false, "早到");
    Pump(1000);
    const double rss0 = RssKiB(room.Pid());
    auto people = Seat(links, room.Port(), false, "闲人");
    if (first.empty() || people.empty()) {
        return false;
    }
    Pump(2000);
    const double rss = RssKiB(room.Pid());
    const double cpu0 = CpuNs(room.Pid());
    Pump(10000);
    const double cpu = CpuNs(room.Pid()) - cpu0;
    std::printf("%d links seated and idle: room RSS %.1f MiB (%.1f KiB a link), room cpu %.2f %% over 10 s\n",
                links, rss / 1024, (rss - rss0) / links, cpu / 1e9 / 10 * 100);
    return true;
}

bool MeasureCap(int cap, int knocking, const QString& dir) {
        RoomProcess room({QStringLiteral("--bots"), QStringLiteral("0"), QStringLiteral("--db"),
                     dir + QStringLiteral("/cap.db"), QStringLiteral("--idle-drop-s"), QStringLiteral("0"),
                      QStringLiteral("--max-tables"), QStringLiteral("1000"),
                     QStringLiteral("--max-links"), QString::number(cap)});
    if (room.Port() == 0) {
        return false;
    }
    auto people = Seat(cap, room.Port(), false, "满座");
    if (people.empty()) {
        return false;
    }
    // Everybody else keeps knocking: again a second after each refusal.
    std::vector<std::unique_ptr<QTcpSocket>> knockers;
    long refused = 0;
    for (int i = 0; i < knocking; ++i) {
        auto s = std::make_unique<QTcpSocket>();
        QTcpSocket* raw = s.get();
        QObject::connect(raw, &QTcpSocket::disconnected, [raw, &refused, &room] {
            ++refused;
            QTimer::singleShot(1000, raw, [raw, &room] { raw->connectToHost(QHostAddress::LocalHost, room.Port()); });
        });
        raw->connectToHost(QHostAddress::LocalHost, room.Port());
        knockers.push_back(std::move(s));
    }
    Pump(1000);
    const long refused0 = refused;
    const double cpu0 = CpuNs(room.Pid());
    Pump(10000);
    const double cpu = CpuNs(room.Pid()) - cpu0;
    std::printf("at a cap of %d links with %d more knocking again a second after each refusal: %ld refused a second, room cpu %.2f %%\n",
                cap, knocking, (refused - refused0) / 10, cpu / 1e9 / 10 * 100);
    return true;
}

void RaiseDescriptorLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

}  // namespace

int main(int argc, char** argv) {
    RaiseDescriptorLimit();
    QCoreApplication app(argc, argv);
    std::vector<int> counts{10, 100, 250, 500};
    if (argc > 1) {
        counts.clear();
        for (const QString& c : QString::fromLocal8Bit(argv[1]).split(QLatin1Char(','))) {
            counts.push_back(std::clamp(c.toInt(), 1, 2000));
        }
    }
    const int pauseMs = argc > 2 ? std::clamp(std::atoi(argv[2]), 0, 10000) : 250;
    const int seconds = argc > 3 ? std::clamp(std::atoi(argv[3]), 1, 3600) : 20;
    const bool browser = argc > 4 && std::string(argv[4]) == "browser";
    QTemporaryDir dir;
    std::printf("tables of four scripted people pausing %d ms before each play, %d s measured, records in a file%s\n",
                pauseMs, seconds, browser ? ", every link a browser's (WebSocket)" : "");
    for (int tables : counts) {
        if (!MeasurePlay(tables, pauseMs, seconds, dir.path(), browser)) {
            return 1;
        }
    }
    if (browser) {
        return 0;
    }
    if (!MeasureIdle(2000, dir.path()) || !MeasureCap(500, 200, dir.path())) {
        return 1;
    }
    return 0;
}
