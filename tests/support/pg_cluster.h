#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace redten::test {

// A private PostgreSQL server of the system's own package, in a temporary
// directory on a free loopback port, for as long as this object lives. Run
// as the postgres user when we are root, as the server refuses root.
class PgCluster {
  public:
    // durable: the server syncs its log as a real one does (for
    // measuring); otherwise it skips the syncs, for quick tests.
    explicit PgCluster(bool durable = false);
    ~PgCluster();
    PgCluster(const PgCluster&) = delete;
    PgCluster& operator=(const PgCluster&) = delete;

    // Makes and starts the cluster with one empty database; false with why.
    bool Start(QString& why);
    bool Stop();
    bool Restart(QString& why);
    // Another empty database on the same server.
    bool CreateDatabase(const QString& name, QString& why);
    QString Uri(const QString& database = QStringLiteral("redten")) const;
    quint16 Port() const { return port_; }

  private:
    bool Run(const QString& program, const QStringList& args, QString& why, int timeoutMs = 60000);

    QTemporaryDir dir_;
    QString bin_;
    quint16 port_ = 0;
    bool running_ = false;
    bool durable_ = false;
};

}  // namespace redten::test
