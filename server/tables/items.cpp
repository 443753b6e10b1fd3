#include "server/tables/items.h"

#include "wire/text_fields.h"

namespace redten::room {

std::string ItemCatalogueText() {
    // Two categories, then three items of ten fields each: id, category
    // (from 0), name, pieces per purchase, hours valid, list price, price,
    // member list price, member price, used on oneself (1) or another (0).
    return JoinFields({"2", "常用道具", "互动道具", "3",
                       "1", "0", "小喇叭", "1", "720", "100", "90", "80", "70", "1",
                       "2", "1", "鲜花", "5", "168", "20", "18", "16", "14", "0",
                       "3", "1", "鸡蛋", "5", "168", "20", "18", "16", "14", "0"});
}

std::string OwnedItemsText(const PersonRecord& person) {
    // Everybody starts with a few of each, valid to the end of next year.
    const std::string flowers = std::to_string(3 + person.userId % 5);
    return "1:2:2027123123:2:" + flowers + ":2027123123:3:5:2027123123";
}

}  // namespace redten::room
