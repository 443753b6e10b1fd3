#pragma once

#include <string>

namespace redten {

// The directory holding the running program, without a final separator.
std::string ProgramDirectory();

// This person's own settings folder: redten under the XDG config directory.
std::string PersonalConfigDirectory();

// Whether this process may create files in the directory.
bool IsWritableDirectory(const std::string& path);

}  // namespace redten
