#include "support/scripted_table.h"

#include <algorithm>
#include <numeric>

#include "engine/bot.h"
#include "game/rules/pai_type.h"
#include "net/wire/client_messages.h"
#include "net/wire/handshake.h"
#include "net/wire/message.h"
#include "net/wire/text_fields.h"
#include "net/wire/user_list_text.h"
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
    QTcpSocket lobby;
    lobby.connectToHost(QHostAddress::LocalHost, port_);
    if (!WaitUntil([&] { return lobby.state() == QAbstractSocket::ConnectedState; })) {
        return false;
    }
    const std::string line = watch.empty() ? "SIT " + name_ : "WATCH " + name_ + " " + watch;
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

bool ScriptedTable::Connect(bool allowWatch, bool greet) {
    QObject::connect(&socket_, &QTcpSocket::readyRead, [this] { OnReadyRead(); });
    QObject::connect(&socket_, &QTcpSocket::disconnected, [this] { disconnected = true; });
    socket_.connectToHost(QHostAddress::LocalHost, port_);
    if (!WaitUntil([&] { return socket_.state() == QAbstractSocket::ConnectedState; })) {
        return false;
    }
    if (greet) {
        Send(MakeHandshake(allowWatch ? 1 : 0));
    }
    return true;
}

void ScriptedTable::Send(const Bytes& message) { SendRaw(ToByteArray(EncodeFrame(message))); }

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
    if (!decoder_.feed(reinterpret_cast<const std::uint8_t*>(data.constData()),
                       static_cast<std::size_t>(data.size()))) {
        problems.push_back("the room broke the framing");
        return;
    }
    while (decoder_.hasMessage()) {
        const Bytes m = decoder_.takeMessage();
        received.push_back(m);
        Handle(m);
    }
}

void ScriptedTable::Handle(const Bytes& m) {
    const auto text = [&](std::size_t from) { return SplitFields(GetTextFromBytes(m, from)); };
    switch (m[0]) {
        case 130:
            if (m[1] == 2) {
                for (const std::string& record : SplitUserListText(GetTextFromBytes(m, 2))) {
                    const auto f = SplitFields(record);
                    if (f[0] == name_ && f[4].empty()) {
                        seat = static_cast<int>(TextValue(f[13])) % 4;
                    }
                }
            }
            return;
        case 111: {
            const auto f = text(2);
            if (!autoPlay || f.size() < 7 || seat < 0) {
                return;
            }
            const bool owner = TextValue(f[3]) > 0, open = TextValue(f[5]) > 0,
                       done = TextValue(f[6]) > 0;
            if (open && owner && !done) {
                Send(MakeConfirmSettings(name_, JoinFields({f.begin() + 7, f.end()})));
            } else if (!owner || !open) {
                if (!open || done) {
                    Send(MakeRaiseHand(name_));
                }
            }
            return;
        }
        case 112: {
            const auto f = text(2);
            if (autoPlay && f.size() > 1 && f[0] != name_ && seat >= 0) {
                Send(MakeRaiseHand(name_));
            }
            return;
        }
        case 17:
            played_.clear();
            liang_ = {4, 4, 4, 4};
            myAnswers_ = 0;
            if (seat >= 0) {
                Send(MakeEnterGame());
                Send(MakeStartAck(static_cast<std::uint8_t>(seat)));
            }
            return;
        case 19:
            hand.assign(m.begin() + 2, m.end());
            dealt_ = hand;
            phase_ = kPhaseShowing;
            if (autoPlay && seat >= 0) {
                ++myAnswers_;
                // Noted now: another seat's answer may arrive before the echo of ours.
                const std::uint8_t answer = engine::BotShowingAnswer(hand);
                liang_[static_cast<std::size_t>(seat)] = answer;
                Send(MakeShowingAnswer(static_cast<std::uint8_t>(seat), answer));
            }
            return;
        case 20:
            if (m.size() != 4) {
                return;
            }
            if (m[1] == 0) {
                liang_[m[2]] = m[3];
                const int held = (std::count(hand.begin(), hand.end(), 59) ? 1 : 0) +
                                 (std::count(hand.begin(), hand.end(), 72) ? 1 : 0);
                const bool othersShowedOne = std::any_of(liang_.begin(), liang_.end(), [](auto l) {
                    return l == 1 || l == 2;
                });
                if (autoPlay && seat >= 0 && held == 1 && liang_[seat] == 0 && myAnswers_ == 1 &&
                    othersShowedOne && m[2] != seat) {
                    ++myAnswers_;
                    Send(MakeShowingAnswer(static_cast<std::uint8_t>(seat), 0));
                }
            } else {
                curSeat_ = m[2];
                phase_ = m[3];
                max_ = MaxOutPai{};
                Act();
            }
            return;
        case 21: {
            if (m.size() < 8 || m.size() != std::size_t{m[6]} + 7) {
                problems.push_back("a play message of the wrong length");
                return;
            }
            const CardList cards(m.begin() + 7, m.end());
            played_.push_back(cards);
            if (m[5] == seat) {
                RemoveOutPai(hand, cards);
                const std::chrono::duration<double, std::milli> echo =
                    std::chrono::steady_clock::now() - playSent_;
                echoMs.push_back(echo.count());
            }
            if (!(cards.size() == 1 && cards[0] == kPassCard)) {
                const PaiClass c = GetPaiType(cards);
                max_ = MaxOutPai{m[5], c.type, c.main, static_cast<std::uint8_t>(cards.size())};
            }
            curSeat_ = m[2];
            phase_ = m[3];
            if (phase_ == kPhaseLead) {
                max_ = MaxOutPai{};
            }
            Act();
            return;
        }
        case 2:
            if (m.size() >= 3 && seat >= 0 && m.size() == std::size_t{m[2]} + 3) {
                hand.assign(m.begin() + 3, m.end());
            }
            return;
        case 109:
            if (m.size() > 31 && m[2] != 0) {
                curSeat_ = m[9];
                phase_ = m[10];
                max_ = MaxOutPai{m[11], m[13], m[12], m[14]};
                std::size_t i = 31;
                for (int s = 0; s < 4 && i < m.size(); ++s) {
                    i += 1 + m[i];
                }
                if (i < m.size()) {
                    hand.assign(m.begin() + static_cast<std::ptrdiff_t>(i + 1), m.end());
                }
                Act();
            }
            return;
        case 23:
            CheckGameOver(m);
            ++gamesOver;
            if (autoPlay && seat >= 0 && gamesOver < gamesWanted) {
                Send(MakeReadyInGame(static_cast<std::uint8_t>(seat)));
            }
            return;
        default:
            return;
    }
}

void ScriptedTable::Act() {
    if (!autoPlay || seat < 0 || curSeat_ != seat ||
        (phase_ != kPhaseLead && phase_ != kPhaseFollow) || hand.empty()) {
        return;
    }
    const CardList play = phase_ == kPhaseLead ? engine::BotLead(hand) : engine::BotFollow(hand, max_);
    playSent_ = std::chrono::steady_clock::now();
    Send(MakePlay(static_cast<std::uint8_t>(seat), play));
}

void ScriptedTable::CheckGameOver(const Bytes& m) {
    if (m.size() < 2 + 16 + 4 || m[1] != 1) {
        problems.push_back("a game over without scores");
        return;
    }
    std::int64_t sum = 0;
    for (int s = 0; s < 4; ++s) {
        std::int32_t v = 0;
        GetLongFromBytes(v, m, 2 + 4 * s);
        sum += v;
    }
    if (sum != 0) {
        problems.push_back("scores do not sum to zero");
    }
    if (seat < 0 || dealt_.empty()) {
        return;  // joined during the game: earlier plays are unknown here
    }
    CardList seen;
    for (const CardList& p : played_) {
        if (!(p.size() == 1 && p[0] == kPassCard)) {
            seen.insert(seen.end(), p.begin(), p.end());
        }
    }
    std::size_t i = 18;
    for (int s = 0; s < 4; ++s) {
        if (i >= m.size() || i + 1 + m[i] > m.size()) {
            problems.push_back("a cut-off game over");
            return;
        }
        const CardList left(m.begin() + static_cast<std::ptrdiff_t>(i + 1),
                            m.begin() + static_cast<std::ptrdiff_t>(i + 1 + m[i]));
        seen.insert(seen.end(), left.begin(), left.end());
        i += 1 + m[i];
    }
    CardList deck = engine::OneDeck();
    std::sort(deck.begin(), deck.end());
    std::sort(seen.begin(), seen.end());
    if (seen != deck) {
        problems.push_back("the cards played and returned are not one deck");
    }
}

}  // namespace redten::room::test
