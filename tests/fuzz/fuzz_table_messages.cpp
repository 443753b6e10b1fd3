// Everything the room can send the table, in any order: the room and game
// handlers must neither crash nor read out of bounds, whatever arrives.
#include "fuzz_input.h"
#include "table_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace redten;
    test::EnsureApplication();
    test::TableHarness table;
    for (const Bytes& m : fuzz::SplitMessages(data, size)) {
        table.Route(m);
    }
    return 0;
}
