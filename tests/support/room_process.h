#pragma once

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace redten::test {

// The real redten-room, listening on a free loopback port.
class RoomProcess {
public:
    // descriptorLimit: the most descriptors the room may open (0: as we may).
    explicit RoomProcess(const QStringList& options, int descriptorLimit = 0);
    ~RoomProcess();
    // The program, for running it with other options.
    static QString Exe();

    quint16 Port() const { return port_; }
    qint64 Pid() const { return process_.processId(); }
    void Kill();
    // Sends the signal and waits for the room to end; false when it does not.
    bool Stop(int signal, int timeoutMs = 15000);
    int ExitCode() const { return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1; }
    bool Running() const { return process_.state() != QProcess::NotRunning; }
    // The peak resident memory in kB, as the kernel saw it.
    qint64 PeakRssKb() const;
    // Processor time the room has used so far, in milliseconds.
    qint64 CpuMs() const;

private:
    QTemporaryDir dir_;
    QProcess process_;
    quint16 port_ = 0;
};

}  // namespace redten::test
