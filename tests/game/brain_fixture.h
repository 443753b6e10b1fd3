#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "game/game_messages.h"
#include "game/turn_flow.h"
#include "game/message_routing.h"
#include "game/room_messages.h"
#include "wire/message.h"
#include "wire/text_fields.h"
#include "support/recorded_parts.h"

namespace redten::test {

// The game flow with every outside part replaced by a recording stand-in.
// 张三 sits at seat 0 of the table "红十" with 李四, 王五 and 赵六.
class BrainTest : public testing::Test {
protected:
    BrainTest() {
        context.programDirectory = "/opt/redten/table";
        context.launch.strGameTitle = "红十";
        context.launch.strMyName = "张三";
        context.launch.strLevelList = "新手_0`高手_100";
        InitPublicDefine(context.define, context.programDirectory, context.launch.strLevelList);
    }

    void Route(const Bytes& m) { RouteMessage(m, room, game); }
    void RouteText(Bytes header, const std::string& text) {
        Bytes m;
        MakeSendBytes(text, m, header.size(), header);
        Route(m.empty() ? header : m);
    }

    static std::string Record(const std::string& name, int chair, const std::string& watching = "",
                              int ready = 0, int offline = 0) {
        return JoinFields({name, "10001", "0", "0", watching, "0", "0", "0", "0", "0", "0", "0",
                           "1003", std::to_string(chair), std::to_string(ready),
                           std::to_string(offline)});
    }

    // Identity and the full list: four players, 张三 at chair 0.
    void SitDown(bool spectator = false) {
        RouteText({130, 3}, spectator ? "看客`张三" : "张三`张三");
        if (spectator) {
            context.launch.strMyName = "看客";
        }
        std::vector<std::string> records{Record("张三", 0), Record("李四", 1), Record("王五", 2),
                                         Record("赵六", 3)};
        if (spectator) {
            records.push_back(Record("看客", 0, "张三"));
        }
        RouteText({130, 2}, JoinFields(records));
    }

    void StartGame(std::uint8_t limit = 5, std::uint8_t decks = 1) {
        Bytes start(15, 0);
        start[0] = 17;
        start[3] = limit;
        start[11] = decks;
        start[13] = 15;
        start[14] = 30;
        Route(start);
    }

    void Deal(const CardList& hand) {
        Bytes m(2 + hand.size(), 0);
        m[0] = 19;
        std::copy(hand.begin(), hand.end(), m.begin() + 2);
        Route(m);
    }

    ClientContext context;
    RecordedParts parts;
    RecordingSounds& sounds = parts.sounds;
    RecordingBoxes& boxes = parts.boxes;
    RecordingSender& link = parts.link;
    ImmediateBeats& beats = parts.beats;
    UserListModel& users = parts.users;
    ChatLog& chat = parts.chat;
    RoClock& clock = parts.clock;
    RecordingGameSet& gameSet = parts.gameSet;
    RecordingItems& items = parts.items;
    int& closedWindow = parts.closedWindow;
    bool& windowShown = parts.windowShown;
    TableServices& services = parts.services;
    TurnFlow flow{context, services, false};
    GameMessages game{context, services, flow};
    RoomMessages room{context, services, flow, game};
};

}  // namespace redten::test
