#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/store/records.h"
#include "server/tables/table_host.h"
#include "wire/room_encoders.h"

namespace redten::room {

struct ReplayOptions {
    GameOptions game;  // the tables' clocks, as the room starts its games
    double speed = 1;  // 1: the game's own pace; 2: twice as fast; 0: see below
    // At speed 0, and for games stored without their times: this long
    // between plays, and the table's own pause after the showing and after
    // a won trick (it shows the cards that long whatever comes meanwhile).
    int stepMs = 400;
    int pauseMs = 2100;
    // No wait is longer than this, whatever the record says.
    int longestWaitMs = 30000;
};

// A stored game played again to one spectator, who sees what a spectator
// of the game saw with the watched player's cards visible: the welcome,
// the start, the deal, every showing answer, play and pass at the game's
// own pace (scaled), and the result. It only sends: it never changes a
// record, and it asks the host for nothing but sending and timers.
class Replay {
public:
    Replay(PersonId spectator, std::string name, const StoredGame& stored, std::uint8_t seat,
           ReplayOptions options, TableHost& host);
    ~Replay();
    Replay(const Replay&) = delete;
    Replay& operator=(const Replay&) = delete;

    // Sends the welcome and starts the game going.
    void Start();
    // A message from the spectator's table; true when it asks to leave.
    bool OnMessage(const Bytes& message);
    bool Over() const { return next_ >= script_.size(); }

private:
    struct Timed {
        int atMs = 0;  // from the welcome
        Bytes message;
    };
    void Write(const StoredGame& stored);
    void SendDue();

    PersonId spectator_;
    std::string name_;
    std::uint8_t seat_;
    ReplayOptions options_;
    TableHost& host_;
    std::vector<Bytes> welcome_;
    std::vector<Timed> script_;
    std::size_t next_ = 0;
    TimerId timer_ = 0;
};

}  // namespace redten::room
