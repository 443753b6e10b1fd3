#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace redten {

// Resource names are written the way the table has always named them,
// "Res\ResPk\Pk0.bmp", relative to a base directory. Each component is
// matched case-insensitively, so "Res\" and "res\" both find the folder.
// When a component is missing the plain joined path is returned, which
// simply does not exist.
QString ResolveResourcePath(std::string_view baseDirectory, std::string_view relative);

}  // namespace redten
