// The item description file: an INI file in the table's code page.
#include <string_view>

#include "items/dao_ju.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    redten::ParseDaoJuNotes(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
