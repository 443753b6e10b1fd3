#pragma once

#include "server/store/store_worker.h"

namespace redten::room::test {

// The room's records as a test reads them: each question goes through the
// store's own thread, after whatever the room handed it before, and waits
// for the answer.
class StoreView {
public:
    explicit StoreView(StoreWorker& worker) : worker_(worker) {}

    std::int64_t CountGames() const {
        return worker_.Now([](Store& s) { return s.CountGames(); });
    }
    std::optional<PersonRecord> LoadOrCreate(const std::string& name, bool computer) const {
        return worker_.Now([&](Store& s) { return s.LoadOrCreate(name, computer); });
    }
    Store::SecretLookup SecretOf(const std::string& name) const {
        return worker_.Now([&](Store& s) { return s.SecretOf(name); });
    }
    std::size_t Backlog() const {
        return worker_.Now([](Store& s) { return s.Backlog(); });
    }

private:
    StoreWorker& worker_;
};

}  // namespace redten::room::test
