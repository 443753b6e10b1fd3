#pragma once

#include <string>

#include "wire/room_encoders.h"

namespace redten::room {

// The room's small shop: its catalogue text (133/0) and what each person
// owns (133/1). Descriptions live in the table's own description file.
std::string ItemCatalogueText();
std::string OwnedItemsText(const PersonRecord& person);

}  // namespace redten::room
