#pragma once

#include <QLoggingCategory>

#include "wire/bytes.h"

namespace redten {

// Messages the table ignores (unknown codes, wrong lengths, counts that do
// not fit) are logged here at debug level: QT_LOGGING_RULES=
// "redten.table.dropped.debug=true" shows why a room's message had no effect.
Q_DECLARE_LOGGING_CATEGORY(lcDroppedMessages)

void LogDroppedMessage(const char* handler, const Bytes& message);

}  // namespace redten
