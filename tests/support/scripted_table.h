#pragma once

#include <QElapsedTimer>
#include <QTcpSocket>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "rules/game_state.h"
#include "wire/framing.h"
#include "wire/messages.h"
#include "wire/websocket.h"

namespace redten::room::test {

// A table client without a window: it reserves through the lobby line,
// greets the room and, when asked to, plays like a computer player,
// answering everything a real table answers. It checks each game it sees:
// every card accounted for once, scores summing to zero.
class ScriptedTable {
public:
    ScriptedTable(std::string name, quint16 port) : name_(std::move(name)), port_(port) {}
    ~ScriptedTable();

    // The lobby's reservation; true when the room said OK.
    bool Reserve(const std::string& watch = {});
    // Any lobby line, as it stands; true when the room said OK.
    bool ReserveWith(const std::string& line);
    std::string secret;  // sent with the reservation when not empty
    std::string lastReply;
    // Opens the table link and, unless told not to, greets the room.
    bool Connect(bool allowWatch = true, bool greet = true);
    void Send(const Bytes& message);
    void SendRaw(const QByteArray& bytes);
    void Drop();
    // Stops reading what the room sends (its data piles up unread).
    void StopReading();
    void SetReceiveBuffer(int bytes);

    // Speaks as a browser's table does: WebSocket on the room's port, the
    // lobby line as the link's first (text) message, then frames, one per
    // binary message, on the same link.
    bool browser = false;
    std::uint16_t closeCode = 0;  // the room's close frame, in browser mode
    // A browser's raw WebSocket frame (masked by the caller, or not).
    void SendWebSocket(WebSocketOp op, const Bytes& payload, bool masked = true);

    bool autoPlay = true;
    // Takes part in everything but its own plays: the game waits at its turn.
    bool holdPlays = false;
    int gamesWanted = 1;
    // Plays again, starting with a turn it may be holding up.
    void Resume();

    std::vector<Bytes> received;
    std::vector<Bytes> Of(std::uint8_t code) const;
    int gamesOver = 0;
    bool disconnected = false;
    std::vector<std::string> problems;
    int seat = -1;
    CardList hand;
    // Milliseconds from each play of ours to the room's notice of it.
    std::vector<double> echoMs;

    // For load: a pause before each play, as a person takes (0: at once);
    // whether to keep what arrives in received; every play notice as it
    // arrives; and when our last play left, with what it was.
    int playPauseMs = 0;
    bool keepReceived = true;
    std::function<void(const wire::Play&)> onPlay;
    std::chrono::steady_clock::time_point lastPlaySent;
    CardList lastPlay;

private:
    bool OpenSocket();
    bool OpenBrowserLink();
    void ReadBrowser(QByteArray data);
    void OnReadyRead();
    void Handle(const Bytes& m);
    bool MyTurn() const;
    void Act();
    void PlayNow();
    void CheckGameOver(const Bytes& m);

    std::string name_;
    quint16 port_;
    QTcpSocket socket_;
    FrameDecoder decoder_;
    bool wired_ = false;
    QByteArray upgradeAnswer_;
    bool upgraded_ = false;
    WebSocketDecoder browserDecoder_{1 << 20, /*fromBrowser=*/false};
    std::string browserReply_;
    bool reading_ = true;
    bool playPending_ = false;
    std::uint8_t phase_ = 0;
    std::uint8_t curSeat_ = 0;
    MaxOutPai max_;
    QElapsedTimer playSent_;
    std::array<std::uint8_t, 4> liang_{4, 4, 4, 4};
    int myAnswers_ = 0;
    CardList dealt_;
    std::vector<CardList> played_;
};

}  // namespace redten::room::test
