#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

namespace redten::room {

// What differs between the two kinds of records, SQLite and PostgreSQL: the
// one place that knows. Everything else speaks the SQL both understand.
struct Dialect {
    bool postgres = false;
    // Several rooms at once use the same records: their claims on names
    // are honoured. A file is one room's at a time, and what an earlier
    // run of it claimed (a crash leaves its claims) is its own again.
    bool shared = false;
    QString driver;              // Qt's driver name
    QString autoId;              // a column numbered by the database, unique for good
    QString now;                 // the database's clock, whole seconds since 1970
    QString nextUserId;          // one statement that answers a fresh user number
    QString bumpUserId;          // what runs before it, if anything
    QString migrationLock;       // taken inside the set-up's transaction, if anything
    QStringList session;         // run on every new connection
    QStringList alsoInVersion2;  // what version 2 adds on this kind only

    static Dialect Sqlite();
    static Dialect Postgres();
};

// The longest a statement may take on a database server before it fails.
constexpr int kServerStatementMs = 5000;

// The schema's versions, each a numbered step applied once, in order, in
// one transaction, by whichever room opens the records first.
constexpr int kSchemaVersion = 4;

// Brings the records up to kSchemaVersion. A file of the schema from before
// versions were kept counts as version 1 and keeps its rows; records newer
// than this program knows are refused. False with a reason.
bool Migrate(QSqlDatabase& db, const Dialect& dialect, QString& error);

}  // namespace redten::room
