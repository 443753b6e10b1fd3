// A snapshot of a running game (sent to a returning player or a new
// spectator), whatever it holds, loaded over a seated table.
#include "table_harness.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace redten;
    test::EnsureApplication();
    test::TableHarness table;
    Bytes identity;
    MakeSendBytes("张三`张三", identity, 2, Bytes{130, 3});
    table.Route(identity);
    table.game.LoadGameState(Bytes(data, data + size));
    return 0;
}
