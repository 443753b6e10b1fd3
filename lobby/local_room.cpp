#include "lobby/local_room.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <sys/prctl.h>

#include <csignal>

namespace redten::lobby {
namespace {

constexpr int kStartMs = 10000;
constexpr int kStopMs = 15000;

}  // namespace

bool LocalRoom::Start(const Options& options, QString& error) {
    if (!run_.isValid()) {
        error = QStringLiteral("无法建立临时目录。");
        return false;
    }
    const QString portFile = run_.filePath(QStringLiteral("port"));
    QDir().mkpath(QFileInfo(options.log).absolutePath());
    room_.setStandardOutputFile(QProcess::nullDevice());
    room_.setStandardErrorFile(options.log, QIODevice::Append);
    // The room goes when we go, however we go: killed, we could not stop it.
    room_.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    room_.start(options.program, {QStringLiteral("--listen"), options.listen, QStringLiteral("--port-file"),
                                  portFile, QStringLiteral("--bots"), options.bots, QStringLiteral("--bot-level"), options.level, QStringLiteral("--db"),
                                  options.db});
    if (!room_.waitForStarted(kStartMs)) {
        error = QStringLiteral("房间程序没有启动：") + room_.errorString();
        return false;
    }
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < kStartMs) {
        QFile file(portFile);
        if (file.open(QIODevice::ReadOnly)) {
            bool ok = false;
            const uint port = file.readLine().trimmed().toUInt(&ok);
            if (ok && port > 0 && port <= 65535) {
                port_ = static_cast<quint16>(port);
                return true;
            }
        }
        if (room_.waitForFinished(100)) {
            error = QStringLiteral("房间没有开起来，详情见 ") + options.log;
            return false;
        }
    }
    error = QStringLiteral("房间迟迟没有开起来，详情见 ") + options.log;
    Stop();
    return false;
}

void LocalRoom::Stop() {
    if (room_.state() == QProcess::NotRunning) {
        return;
    }
    room_.terminate();
    if (!room_.waitForFinished(kStopMs)) {
        room_.kill();
        room_.waitForFinished(kStartMs);
    }
}

}  // namespace redten::lobby
