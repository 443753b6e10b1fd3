// A table of the room with one person and three computer players, fed
// whatever that person sends, with the table's timers run in between.
#include "fake_table_host.h"
#include "fuzz_input.h"
#include "server/tables/table.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace redten;
    using namespace redten::room;
    constexpr PersonId kPerson = 1;
    test::FakeTableHost host;
    TableOptions options;
    options.botPauseMs = 0;
    Table table(1, options, host);
    PersonRecord person;
    person.name = "张三";
    person.userId = 10001;
    table.SeatPlayer(kPerson, person, false, true);
    for (int i = 0; i < 3; ++i) {
        PersonRecord bot;
        bot.name = "电脑" + std::to_string(i);
        bot.userId = 20 + i;
        table.SeatPlayer(-1 - i, bot, true, true);
    }
    for (const Bytes& m : fuzz::SplitMessages(data, size)) {
        table.OnMessage(kPerson, m);
        host.Run(2000, 10000);
    }
    return 0;
}
