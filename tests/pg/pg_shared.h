#pragma once

#include <gtest/gtest.h>

#include "support/pg_cluster.h"

namespace redten::test {

// One server for the whole test program, started by the first test that
// asks and stopped at the exit; each test takes a database of its own.
class SharedPg {
  public:
    // The address of a fresh database; empty, with the reason reported as
    // a failure, when the server cannot be had: never a silent skip.
    QString NewDatabase() {
        if (!tried_) {
            tried_ = true;
            started_ = cluster_.Start(why_);
        }
        if (!started_) {
            ADD_FAILURE() << "PostgreSQL could not be started: " << why_.toStdString();
            return {};
        }
        const QString name = QStringLiteral("t%1").arg(++made_);
        QString why;
        if (!cluster_.CreateDatabase(name, why)) {
            ADD_FAILURE() << why.toStdString();
            return {};
        }
        return cluster_.Uri(name);
    }
    PgCluster& Cluster() { return cluster_; }

  private:
    PgCluster cluster_;
    bool tried_ = false, started_ = false;
    QString why_;
    int made_ = 0;
};

inline SharedPg& SharedCluster() {
    static SharedPg shared;
    return shared;
}

}  // namespace redten::test
