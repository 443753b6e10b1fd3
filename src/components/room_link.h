#pragma once

#include <QObject>

#include <cstdint>
#include <string>

#include "state/notices.h"
#include "wire/bytes.h"

namespace redten {

// The link to the room (sckRoom): whole messages in both directions.
// Connect returns at once; Connected reports success, and exactly one of
// Closed or Error ends every link, whether it was ever up or not. Every
// event arrives on the window thread.
class RoomLink : public QObject, public MessageSender {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void Connect(const std::string& host, std::int32_t port,
                         std::int32_t timeoutSeconds) = 0;
    // One whole message. Sent in call order; before the link is up it waits
    // and goes out once it is.
    void Send(const Bytes& message) override = 0;
    // Ends the link from our side: what was sent goes out first, nothing
    // more is delivered, and no end event follows.
    virtual void Close() = 0;

signals:
    void Connected();
    void DataArrival(const redten::Bytes& message);
    void Closed();
    void Error();
};

}  // namespace redten
