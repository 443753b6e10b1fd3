// The item catalogue and the owned items as the room sends them.
#include <string>

#include "items/dao_ju.h"
#include "wire/message.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace redten;
    const Bytes bytes(data, data + size);
    // Both lists arrive as text after a two-byte header.
    const std::string text = GetTextFromBytes(bytes, 0);
    DaoJuLists lists("");  // no descriptions: the lists alone
    lists.SetDaoJuList(text);
    lists.SetMyDaoJuList(text);
    lists.SetDaoJuList(text.substr(text.size() / 2));
    return 0;
}
