// The personal settings file, whatever is in it.
#include "fuzz_input.h"
#include "state/user_set.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    redten::UserSet set;
    redten::LoadUserSet(set, redten::fuzz::ScratchFile(data, size));
    return 0;
}
