#include "platform/program_dirs.h"

#include <QCoreApplication>
#include <QStandardPaths>

#include <unistd.h>

namespace redten {

std::string ProgramDirectory() { return QCoreApplication::applicationDirPath().toStdString(); }

std::string PersonalConfigDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString() +
           "/redten";
}

bool IsWritableDirectory(const std::string& path) { return access(path.c_str(), W_OK) == 0; }

}  // namespace redten
