#include "platform/resource_path.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace redten {

QString ResolveResourcePath(std::string_view baseDirectory, std::string_view relative) {
    QString path = QString::fromUtf8(baseDirectory.data(), static_cast<qsizetype>(baseDirectory.size()));
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) {
        path.chop(1);
    }
    const QStringList parts =
        QString::fromUtf8(relative.data(), static_cast<qsizetype>(relative.size()))
            .split(QRegularExpression(QStringLiteral("[\\\\/]")), Qt::SkipEmptyParts);
    bool found = true;
    for (const QString& part : parts) {
        const QString exact = path + QLatin1Char('/') + part;
        if (!found || QFileInfo::exists(exact)) {
            path = exact;
            continue;
        }
        QString match;
        const QStringList entries =
            QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        for (const QString& entry : entries) {
            if (entry.compare(part, Qt::CaseInsensitive) == 0) {
                match = entry;
                break;
            }
        }
        found = !match.isEmpty();
        path += QLatin1Char('/') + (found ? match : part);
    }
    return path;
}

}  // namespace redten
