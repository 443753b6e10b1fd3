// The item description file: an INI file in the table's code page.
#include "fuzz_input.h"
#include "items/dao_ju.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string file = redten::fuzz::ScratchFile(data, size);
    redten::ReadDaoJuNotes(file);
    redten::ReadDaoJuNote(file, size > 0 ? data[0] : 1);
    return 0;
}
