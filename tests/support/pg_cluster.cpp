#include "support/pg_cluster.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTcpServer>

#include <pwd.h>
#include <unistd.h>

#include <algorithm>

namespace redten::test {
namespace {

QString NewestBin() {
    QStringList versions =
        QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    std::sort(versions.begin(), versions.end(),
              [](const QString& a, const QString& b) { return a.toInt() < b.toInt(); });
    for (auto it = versions.rbegin(); it != versions.rend(); ++it) {
        const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(*it);
        if (QFile::exists(bin + QStringLiteral("/pg_ctl"))) {
            return bin;
        }
    }
    return {};
}

quint16 FreePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

}  // namespace

// As root the server runs as the postgres user, who must reach the
// directory: under /tmp, whatever TMPDIR says.
PgCluster::PgCluster(bool durable)
    : dir_(::geteuid() == 0 ? QStringLiteral("/tmp/redten-pg-XXXXXX")
                            : QDir::tempPath() + QStringLiteral("/redten-pg-XXXXXX")),
      durable_(durable) {}

PgCluster::~PgCluster() {
    Stop();
}

bool PgCluster::Run(const QString& program, const QStringList& args, QString& why, int timeoutMs) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.setWorkingDirectory(dir_.path());
    if (::geteuid() == 0) {
        p.start(QStringLiteral("runuser"),
                QStringList{QStringLiteral("-u"), QStringLiteral("postgres"), QStringLiteral("--"),
                            bin_ + QLatin1Char('/') + program} +
                    args);
    } else {
        p.start(bin_ + QLatin1Char('/') + program, args);
    }
    if (!p.waitForFinished(timeoutMs) || p.exitStatus() != QProcess::NormalExit ||
        p.exitCode() != 0) {
        why = program + QStringLiteral(" failed: ") + p.errorString() + QLatin1Char('\n') +
              QString::fromLocal8Bit(p.readAll());
        return false;
    }
    return true;
}

bool PgCluster::Start(QString& why) {
    bin_ = NewestBin();
    if (bin_.isEmpty()) {
        why = QStringLiteral(
            "no PostgreSQL server under /usr/lib/postgresql (Debian's postgresql package)");
        return false;
    }
    if (!dir_.isValid()) {
        why = QStringLiteral("no temporary directory");
        return false;
    }
    if (::geteuid() == 0) {
        const passwd* pg = ::getpwnam("postgres");
        if (!pg || ::chown(dir_.path().toLocal8Bit().constData(), pg->pw_uid, pg->pw_gid) != 0) {
            why = QStringLiteral("cannot hand the cluster's directory to the postgres user");
            return false;
        }
    }
    port_ = FreePort();
    if (!Run(QStringLiteral("initdb"),
             {QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")), QStringLiteral("-U"),
              QStringLiteral("postgres"), QStringLiteral("-A"), QStringLiteral("trust"),
              QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--locale=C"),
              QStringLiteral("-N")},
             why)) {
        return false;
    }
    if (!Restart(why)) {
        return false;
    }
    return CreateDatabase(QStringLiteral("redten"), why);
}

bool PgCluster::Restart(QString& why) {
    const QString options =
        QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c max_connections=50")
            .arg(port_)
            .arg(dir_.path()) +
        (durable_ ? QString() : QStringLiteral(" -c fsync=off -c full_page_writes=off"));
    running_ = Run(
        QStringLiteral("pg_ctl"),
        {QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")), QStringLiteral("-l"),
         dir_.filePath(QStringLiteral("log")), QStringLiteral("-o"), options, QStringLiteral("-w"),
         QStringLiteral("-t"), QStringLiteral("60"), QStringLiteral("start")},
        why);
    return running_;
}

bool PgCluster::Stop() {
    if (!running_) {
        return true;
    }
    QString why;
    running_ =
        !Run(QStringLiteral("pg_ctl"),
             {QStringLiteral("-D"), dir_.filePath(QStringLiteral("data")), QStringLiteral("-m"),
              QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")},
             why);
    return !running_;
}

bool PgCluster::CreateDatabase(const QString& name, QString& why) {
    return Run(QStringLiteral("createdb"),
               {QStringLiteral("-h"), QStringLiteral("127.0.0.1"), QStringLiteral("-p"),
                QString::number(port_), QStringLiteral("-U"), QStringLiteral("postgres"), name},
               why);
}

QString PgCluster::Uri(const QString& database) const {
    return QStringLiteral("postgresql://postgres@127.0.0.1:%1/%2").arg(port_).arg(database);
}

}  // namespace redten::test
