#include "server/admission/known_people.h"

namespace redten::room {

KnownPeople::Known& KnownPeople::Entry(const std::string& name) {
    const auto it = people_.find(name);
    if (it != people_.end()) {
        return it->second;
    }
    if (people_.size() >= maxKept_ && !order_.empty()) {
        people_.erase(order_.front());
        order_.pop_front();
    }
    order_.push_back(name);
    return people_[name];
}

void KnownPeople::ProvedSecret(const std::string& name, std::optional<std::string> hash) {
    Entry(name).secretHash = std::move(hash);
}

void KnownPeople::Seated(const PersonRecord& record) { Entry(record.name).record = record; }

void KnownPeople::Update(const PersonRecord& record) {
    const auto it = people_.find(record.name);
    if (it != people_.end() && it->second.record) {
        it->second.record = record;
    }
}

const KnownPeople::Known* KnownPeople::Find(const std::string& name) const {
    const auto it = people_.find(name);
    return it != people_.end() && it->second.record ? &it->second : nullptr;
}

}  // namespace redten::room
