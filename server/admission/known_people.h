#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <optional>
#include <string>

#include "wire/room_encoders.h"

namespace redten::room {

// The people this run of the room has seated, each with the secret proved
// then and the record last read: enough to seat them again while the
// records are out of reach, never enough to seat a stranger. Computer
// players are kept the same way, so a table can be filled in an outage.
class KnownPeople {
public:
    static constexpr std::size_t kMaxKept = 100000;

    explicit KnownPeople(std::size_t maxKept = kMaxKept) : maxKept_(maxKept) {}

    // The name's secret as the records hold it (none for a name without
    // one), once a request proved it; the person is known once seated.
    void ProvedSecret(const std::string& name, std::optional<std::string> hash);
    // A person or a computer player seated with this record.
    void Seated(const PersonRecord& record);
    // The record after a game, for someone already known.
    void Update(const PersonRecord& record);

    struct Known {
        std::optional<std::string> secretHash;
        std::optional<PersonRecord> record;  // set once seated
    };
    // Someone seated in this run, or nothing.
    const Known* Find(const std::string& name) const;

private:
    Known& Entry(const std::string& name);

    std::size_t maxKept_;
    std::map<std::string, Known> people_;
    std::deque<std::string> order_;  // the oldest is forgotten first
};

}  // namespace redten::room
