#include "state/dropped_messages.h"

namespace redten {

Q_LOGGING_CATEGORY(lcDroppedMessages, "redten.table.dropped", QtWarningMsg)

void LogDroppedMessage(const char* handler, const Bytes& message) {
    if (!lcDroppedMessages().isDebugEnabled()) {
        return;
    }
    const int code = message.empty() ? -1 : message[0];
    const int kind = message.size() < 2 ? -1 : message[1];
    qCDebug(lcDroppedMessages, "%s dropped code %d kind %d, %zu bytes", handler, code, kind,
            message.size());
}

}  // namespace redten
