#include "platform/program_dirs.h"

#include <QCoreApplication>

namespace redten {

std::string ProgramDirectory() { return QCoreApplication::applicationDirPath().toStdString(); }

}  // namespace redten
