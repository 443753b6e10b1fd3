#include "support/room_process.h"

#include <QFile>

#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include "support/room_server.h"

namespace redten::test {

RoomProcess::RoomProcess(const QStringList& options, int descriptorLimit) {
    const QString portFile = dir_.filePath("port");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Under the address sanitizer freed memory is held back for a while;
    // keep that small so the room's own footprint is what we measure.
    env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":quarantine_size_mb=1");
    process_.setProcessEnvironment(env);
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (descriptorLimit > 0) {
        process_.setChildProcessModifier([descriptorLimit] {
            const rlimit limit{static_cast<rlim_t>(descriptorLimit), static_cast<rlim_t>(descriptorLimit)};
            ::setrlimit(RLIMIT_NOFILE, &limit);
        });
    }
    process_.start(Exe(), QStringList{"--listen", "127.0.0.1:0", "--port-file", portFile,
                                                "--log-level", "error"} +
                                        options);
    WaitUntil(
        [&] {
            QFile file(portFile);
            if (file.open(QIODevice::ReadOnly)) {
                port_ = static_cast<quint16>(file.readAll().trimmed().toUInt());
            }
            return port_ != 0 || process_.state() == QProcess::NotRunning;
        },
        20000);
}

RoomProcess::~RoomProcess() {
    if (Running()) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

// A room that has ended has no process id: signalling 0 would reach our
// own process group.
void RoomProcess::Kill() {
    if (Running()) {
        ::kill(static_cast<pid_t>(Pid()), SIGKILL);
        process_.waitForFinished(5000);
    }
}

bool RoomProcess::Stop(int signal, int timeoutMs) {
    if (!Running()) {
        return true;
    }
    ::kill(static_cast<pid_t>(Pid()), signal);
    return process_.waitForFinished(timeoutMs);
}

qint64 RoomProcess::CpuMs() const {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(Pid()));
    if (!stat.open(QIODevice::ReadOnly)) {
        return -1;
    }
    // The fields after the command's closing parenthesis: utime is the 12th, stime the 13th.
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13) {
        return -1;
    }
    const qint64 ticks = fields[11].toLongLong() + fields[12].toLongLong();
    return ticks * 1000 / ::sysconf(_SC_CLK_TCK);
}

qint64 RoomProcess::PeakRssKb() const {
    QFile status(QStringLiteral("/proc/%1/status").arg(Pid()));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return -1;
}

QString RoomProcess::Exe() { return QStringLiteral(REDTEN_ROOM_EXE); }

}  // namespace redten::test
