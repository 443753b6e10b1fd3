#pragma once

#include <string>

namespace redten {

// The directory holding the running program, without a final separator.
std::string ProgramDirectory();

}  // namespace redten
