#include "support/scripted_table.h"

#include <QTimer>

#include <algorithm>
#include <numeric>

#include "engine/bot.h"
#include "rules/pai_type.h"
#include "wire/client_messages.h"
#include "wire/handshake.h"
#include "wire/messages.h"
#include "wire/text_fields.h"
#include "wire/user_list_text.h"
#include "engine/shuffle.h"
#include "support/room_server.h"

namespace redten::room::test {

using redten::test::ToByteArray;
using redten::test::WaitUntil;

ScriptedTable::~ScriptedTable() {
    socket_.disconnect();
    socket_.abort();
}

bool ScriptedTable::Reserve(const std::string& watch) {
    std::string line = watch.empty() ? "SIT " + name_ : "WATCH " + name_ + " " + watch;
    if (!secret.empty()) {
        line += " " + secret;
    }
    return ReserveWith(line);
}

bool ScriptedTable::ReserveWith(const std::string& line) {
    if (browser) {
        if (!OpenBrowserLink()) {
            return false;
        }
        browserReply_.clear();
        SendWebSocket(WebSocketOp::Text, Bytes(line.begin(), line.end()));
        WaitUntil([&] { return !browserReply_.empty() || disconnected; });
        lastReply = browserReply_;
        return lastReply == "OK";
    }
    QTcpSocket lobby;
    lobby.connectToHost(QHostAddress::LocalHost, port_);
    if (!WaitUntil([&] { return lobby.state() == QAbstractSocket::ConnectedState; })) {
        return false;
    }
    lobby.write(QByteArray::fromStdString(line + "\n"));
    QByteArray reply;
    WaitUntil([&] {
        reply += lobby.readAll();
        return reply.contains('\n') || lobby.state() == QAbstractSocket::UnconnectedState;
    });
    reply += lobby.readAll();
    lastReply = reply.trimmed().toStdString();
    return lastReply == "OK";
}

bool ScriptedTable::OpenSocket() {
    if (!wired_) {
        wired_ = true;
        QObject::connect(&socket_, &QTcpSocket::readyRead, [this] { OnReadyRead(); });
        QObject::connect(&socket_, &QTcpSocket::disconnected, [this] { disconnected = true; });
    }
    if (socket_.state() == QAbstractSocket::ConnectedState) {
        return true;
    }
    socket_.connectToHost(QHostAddress::LocalHost, port_);
    return WaitUntil([&] { return socket_.state() == QAbstractSocket::ConnectedState; });
}

bool ScriptedTable::OpenBrowserLink() {
    if (upgraded_) {
        return true;
    }
    if (!OpenSocket()) {
        return false;
    }
    const QByteArray host = "127.0.0.1:" + QByteArray::number(port_);
    SendRaw("GET /table HTTP/1.1\r\nHost: " + host + "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
            "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\nOrigin: http://" + host +
            "\r\n\r\n");
    return WaitUntil([&] { return upgraded_ || disconnected; }) && upgraded_;
}

void ScriptedTable::SendWebSocket(WebSocketOp op, const Bytes& payload, bool masked) {
    Bytes f = EncodeWebSocketFrame(op, payload.data(), payload.size());
    if (masked) {
        // The mask goes after the length; a zero mask leaves the payload as it is.
        const std::size_t header = payload.size() < 126 ? 2 : payload.size() < 65536 ? 4 : 10;
        f[1] |= 0x80;
        f.insert(f.begin() + static_cast<std::ptrdiff_t>(header), 4, 0);
    }
    SendRaw(ToByteArray(f));
}

void ScriptedTable::ReadBrowser(QByteArray data) {
    if (!upgraded_) {
        upgradeAnswer_ += data;
        const qsizetype end = upgradeAnswer_.indexOf("\r\n\r\n");
        if (end < 0) {
            return;
        }
        if (!upgradeAnswer_.startsWith("HTTP/1.1 101 ")) {
            problems.push_back("the room refused the upgrade: " + upgradeAnswer_.left(end).toStdString());
            return;
        }
        upgraded_ = true;
        data = upgradeAnswer_.mid(end + 4);
    }
    if (!browserDecoder_.feed(reinterpret_cast<const std::uint8_t*>(data.constData()), static_cast<std::size_t>(data.size()))) {
        problems.push_back(std::string("the room broke the WebSocket framing: ") + browserDecoder_.failReason());
        return;
    }
    while (browserDecoder_.hasMessage()) {
        const WebSocketMessage m = browserDecoder_.takeMessage();
        if (m.op == WebSocketOp::Text) {
            browserReply_.assign(m.payload.begin(), m.payload.end());
        } else if (m.op == WebSocketOp::Close) {
            closeCode = m.payload.size() >= 2 ? static_cast<std::uint16_t>(m.payload[0] << 8 | m.payload[1]) : 1005;
        } else if (m.op == WebSocketOp::Binary) {
            if (!decoder_.feed(m.payload)) {
                problems.push_back("the room broke the framing");
                return;
            }
        }
    }
}

bool ScriptedTable::Connect(bool allowWatch, bool greet) {
    if (!(browser ? OpenBrowserLink() : OpenSocket())) {
        return false;
    }
    if (greet) {
        Send(MakeHandshake(allowWatch ? 1 : 0));
    }
    return true;
}

void ScriptedTable::Send(const Bytes& message) {
    if (browser) {
        SendWebSocket(WebSocketOp::Binary, EncodeFrame(message));
        return;
    }
    SendRaw(ToByteArray(EncodeFrame(message)));
}

void ScriptedTable::SendRaw(const QByteArray& bytes) {
    socket_.write(bytes);
    socket_.flush();
}

void ScriptedTable::Drop() { socket_.abort(); }
void ScriptedTable::StopReading() {
    reading_ = false;
    socket_.setReadBufferSize(1024);  // and let the kernel's buffers fill
}
void ScriptedTable::SetReceiveBuffer(int bytes) {
    socket_.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, bytes);
}

std::vector<Bytes> ScriptedTable::Of(std::uint8_t code) const {
    std::vector<Bytes> out;
    std::copy_if(received.begin(), received.end(), std::back_inserter(out),
                 [&](const Bytes& m) { return !m.empty() && m[0] == code; });
    return out;
}

void ScriptedTable::OnReadyRead() {
    if (!reading_) {
        return;
    }
    const QByteArray data = socket_.readAll();
    if (browser) {
        ReadBrowser(data);
    } else if (!decoder_.feed(reinterpret_cast<const std::uint8_t*>(data.constData()),
                       static_cast<std::size_t>(data.size()))) {
        problems.push_back("the room broke the framing");
        return;
    }
    while (decoder_.hasMessage()) {
        const Bytes m = decoder_.takeMessage();
        if (keepReceived) {
            received.push_back(m);
        }
        Handle(m);
    }
}

void ScriptedTable::Handle(const Bytes& m) {
    const auto me = static_cast<std::uint8_t>(seat);
    switch (static_cast<MessageCode>(m[0])) {
        case MessageCode::Table:
            if (const auto list = wire::FullUserList::Decode(m)) {
                for (const std::string& record : list->records) {
                    const auto f = SplitFields(record);
                    if (f[0] == name_ && f[4].empty()) {
                        seat = static_cast<int>(TextValue(f[13])) % 4;
                    }
                }
            }
            return;
        case MessageCode::SettingsState: {
            const auto s = wire::SettingsState::Decode(m);
            if (!autoPlay || !s || seat < 0) {
                return;
            }
            if (s->open && s->recipientIsOwner && !s->ownerDone) {
                Send(MakeConfirmSettings(name_, s->settings));
            } else if ((!s->recipientIsOwner || !s->open) && (!s->open || s->ownerDone)) {
                Send(MakeRaiseHand(name_));
            }
            return;
        }
        case MessageCode::RaisedHand: {
            const auto r = wire::RaisedHand::Decode(m);
            if (autoPlay && r && r->settings && r->name != name_ && seat >= 0) {
                Send(MakeRaiseHand(name_));
            }
            return;
        }
        case MessageCode::GameStart:
            played_.clear();
            liang_ = {4, 4, 4, 4};
            myAnswers_ = 0;
            if (seat >= 0) {
                Send(MakeEnterGame());
                Send(MakeStartAck(me));
            }
            return;
        case MessageCode::Deal:
            if (const auto deal = wire::Deal::Decode(m)) {
                hand = deal->cards;
                dealt_ = hand;
                phase_ = kPhaseShowing;
                if (autoPlay && seat >= 0) {
                    ++myAnswers_;
                    // Noted now: another seat's answer may arrive before the echo of ours.
                    const std::uint8_t answer = engine::BotShowingAnswer(hand);
                    liang_[me] = answer;
                    Send(MakeShowingAnswer(me, answer));
                }
            }
            return;
        case MessageCode::Showing:
            if (const auto a = wire::ShowingAnswer::Decode(m)) {
                liang_[a->seat] = a->answer;
                const int held = (std::count(hand.begin(), hand.end(), 59) ? 1 : 0) +
                                 (std::count(hand.begin(), hand.end(), 72) ? 1 : 0);
                const bool othersShowedOne = std::any_of(liang_.begin(), liang_.end(), [](auto l) {
                    return l == 1 || l == 2;
                });
                if (autoPlay && seat >= 0 && held == 1 && liang_[me] == 0 && myAnswers_ == 1 &&
                    othersShowedOne && a->seat != me) {
                    ++myAnswers_;
                    Send(MakeShowingAnswer(me, 0));
                }
            } else if (const auto over = wire::ShowingOver::Decode(m)) {
                curSeat_ = over->leader;
                phase_ = over->phase;
                max_ = MaxOutPai{};
                Act();
            }
            return;
        case MessageCode::Play: {
            const auto play = wire::Play::Decode(m);
            if (!play || play->cards.empty()) {
                problems.push_back("a play message of the wrong length");
                return;
            }
            played_.push_back(play->cards);
            if (onPlay) {
                onPlay(*play);
            }
            if (seat >= 0 && play->seat == me) {
                if (playSent_.isValid()) {
                    echoMs.push_back(static_cast<double>(playSent_.nsecsElapsed()) / 1e6);
                    playSent_.invalidate();
                }
                RemoveOutPai(hand, play->cards);
            }
            if (!play->IsPass()) {
                const PaiClass c = GetPaiType(play->cards);
                max_ = MaxOutPai{play->seat, c.type, c.main,
                                 static_cast<std::uint8_t>(play->cards.size())};
            }
            curSeat_ = play->nextSeat;
            phase_ = play->nextPhase;
            if (phase_ == kPhaseLead) {
                max_ = MaxOutPai{};
            }
            Act();
            return;
        }
        case MessageCode::Hand:
            if (const auto h = wire::Hand::Decode(m); h && seat >= 0) {
                hand = h->cards;
            }
            return;
        case MessageCode::Snapshot:
            if (const auto s = wire::Snapshot::Decode(m); s && s->running) {
                curSeat_ = s->curSeat;
                phase_ = s->phase;
                max_ = s->toBeat;
                hand = s->hand;
                Act();
            }
            return;
        case MessageCode::GameOver:
            CheckGameOver(m);
            ++gamesOver;
            if (autoPlay && seat >= 0 && gamesOver < gamesWanted) {
                Send(MakeReadyInGame(me));
            }
            return;
        default:
            return;
    }
}

void ScriptedTable::Resume() {
    holdPlays = false;
    Act();
}

bool ScriptedTable::MyTurn() const {
    return autoPlay && !holdPlays && seat >= 0 && curSeat_ == seat &&
           (phase_ == kPhaseLead || phase_ == kPhaseFollow) && !hand.empty();
}

void ScriptedTable::Act() {
    if (!MyTurn()) {
        return;
    }
    if (playPauseMs <= 0) {
        PlayNow();
    } else if (!playPending_) {
        playPending_ = true;
        QTimer::singleShot(playPauseMs, &socket_, [this] {
            playPending_ = false;
            PlayNow();
        });
    }
}

void ScriptedTable::PlayNow() {
    if (!MyTurn()) {
        return;
    }
    const CardList play = phase_ == kPhaseLead ? engine::BotLead(hand) : engine::BotFollow(hand, max_);
    playSent_.start();
    lastPlaySent = std::chrono::steady_clock::now();
    lastPlay = play;
    Send(MakePlay(static_cast<std::uint8_t>(seat), play));
}

void ScriptedTable::CheckGameOver(const Bytes& m) {
    const auto over = wire::GameOver::Decode(m);
    if (!over || over->brief || !over->scored) {
        problems.push_back("a game over without scores");
        return;
    }
    if (std::accumulate(over->scores.begin(), over->scores.end(), std::int64_t{0}) != 0) {
        problems.push_back("scores do not sum to zero");
    }
    if (seat < 0 || dealt_.empty()) {
        return;  // joined during the game: earlier plays are unknown here
    }
    if (over->remaining.size() != 4 || over->Encode() != m) {
        problems.push_back("a cut-off game over");
        return;
    }
    CardList seen;
    for (const CardList& p : played_) {
        if (!(p.size() == 1 && p[0] == kPassCard)) {
            seen.insert(seen.end(), p.begin(), p.end());
        }
    }
    for (const CardList& left : over->remaining) {
        seen.insert(seen.end(), left.begin(), left.end());
    }
    CardList deck = engine::OneDeck();
    std::sort(deck.begin(), deck.end());
    std::sort(seen.begin(), seen.end());
    if (seen != deck) {
        problems.push_back("the cards played and returned are not one deck");
    }
}

}  // namespace redten::room::test
