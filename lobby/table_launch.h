#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

namespace redten::lobby {

// The nine words a lobby starts the table client with (docs/launch.md).
QStringList LaunchWords(const QString& host, quint16 port, const QString& name);

// Starts table clients; tests put a recorder in its place.
class TableStarter {
public:
    virtual ~TableStarter() = default;
    // closed gets why the table closed by itself (the room closed it, a
    // count-down ran out…), or an empty text when the person closed it.
    virtual void Start(const QStringList& words, std::function<void(QString why)> closed) = 0;
    // Tables started and still open.
    virtual int Running() const = 0;
};

// Each table in a process of its own, beside the lobby.
class TableProcesses final : public QObject, public TableStarter {
public:
    explicit TableProcesses(QString program, QObject* parent = nullptr)
        : QObject(parent), program_(std::move(program)) {}
    void Start(const QStringList& words, std::function<void(QString why)> closed) override;
    int Running() const override { return running_; }

private:
    QString program_;
    int running_ = 0;
};

// The secret that makes a name this person's at every room: kept in the
// person's config folder, made at the first start. Empty when it can be
// neither read nor made.
QString KeptSecret();

}  // namespace redten::lobby
