#include "engine/review.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "engine/strong.h"

namespace redten::engine {
namespace {

// A stored review is bounded like a game: no deal has this many decisions.
constexpr std::size_t kMaxDecisions = 512;
constexpr std::size_t kMaxCards = 13;

bool SameAction(const Decision& a, const Decision& b, bool showing) {
    if (showing) {
        return a.answer == b.answer;
    }
    Move ma, mb;
    return MoveOfCards(a.play, ma) && MoveOfCards(b.play, mb) && ma == mb;
}

// Whether the seat has more than one thing it may answer.
bool HasChoice(const SeatView& view, const PublicState& state, Ask ask) {
    const CardList hand = HandNow(view);
    switch (ask) {
        case Ask::Showing:
        case Ask::Follow:
            return RedTensIn(hand) != 0;
        case Ask::Play: {
            MoveList moves;
            GenerateMoves(CountsOf(hand), state.phase == kPhaseLead ? nullptr : &state.toBeat,
                          moves);
            return moves.size > 1;
        }
        case Ask::Nothing:
            break;
    }
    return false;
}

long Rounded(double x, double scale) {
    return std::lround(x * scale);
}

void PutAction(std::string& out, const Decision& d, bool showing) {
    if (showing) {
        out += 'a' + std::to_string(d.answer);
        return;
    }
    out += 'c';
    for (std::size_t i = 0; i < d.play.size(); ++i) {
        out += (i == 0 ? "" : ".") + std::to_string(d.play[i]);
    }
}

// Splits text at sep into at most limit parts; nothing beyond it.
std::optional<std::vector<std::string_view>> Split(std::string_view text, char sep,
                                                   std::size_t limit) {
    std::vector<std::string_view> parts;
    for (;;) {
        if (parts.size() == limit) {
            return std::nullopt;
        }
        const std::size_t at = text.find(sep);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) {
            return parts;
        }
        text.remove_prefix(at + 1);
    }
}

std::optional<long> Number(std::string_view text, long low, long high) {
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low ||
        value > high) {
        return std::nullopt;
    }
    return value;
}

std::optional<Decision> ActionOf(std::string_view text, bool showing) {
    if (text.empty() || text[0] != (showing ? 'a' : 'c')) {
        return std::nullopt;
    }
    text.remove_prefix(1);
    Decision d;
    if (showing) {
        const auto answer = Number(text, 0, 3);
        if (!answer) {
            return std::nullopt;
        }
        d.answer = static_cast<std::uint8_t>(*answer);
        return d;
    }
    const auto cards = Split(text, '.', kMaxCards);
    if (!cards) {
        return std::nullopt;
    }
    for (std::string_view c : *cards) {
        const auto card = Number(c, 0, 255);
        if (!card || (*card >= 2 * kMarkedBase && *card != kPassCard)) {
            return std::nullopt;
        }
        d.play.push_back(static_cast<std::uint8_t>(*card));
    }
    return d;
}

}  // namespace

std::string CardWords(std::uint8_t card, bool suits) {
    if (card == kPassCard) {
        return "不出";
    }
    if (!suits) {
        static const char* const kRankWords[13] = {"3",  "4", "5", "6", "7", "8", "9",
                                                   "10", "J", "Q", "K", "A", "2"};
        const bool red = card == kRedTen59 || card == kRedTen72;
        return std::string(red ? "红" : "") + kRankWords[Rank(Normalise(card)) % 13];
    }
    static const char* const kSuits[4] = {"♥", "♠", "♣", "♦"};
    static const char* const kRanks[13] = {"3",  "4", "5", "6", "7", "8", "9",
                                           "10", "J", "Q", "K", "A", "2"};
    // The red tens are carried marked but are the tens of suits 0 and 3.
    const std::uint8_t plain = card == kRedTen72 ? 3 * 13 + kRankTen : Normalise(card);
    if (plain >= kMarkedBase) {
        return "?";
    }
    return std::string(kSuits[plain / 13]) + kRanks[plain % 13];
}

std::vector<DecisionPoint> DecisionPoints(const std::array<CardList, 4>& dealt,
                                          const std::vector<Event>& events) {
    std::vector<DecisionPoint> points;
    Game game(dealt);
    std::uint32_t plays = 0;
    for (std::size_t i = 0; i < events.size(); ++i) {
        const Event& e = events[i];
        if (e.kind == Event::Kind::ShowingOver) {
            game.FillMissingAnswers();
            game.EndShowing();
            continue;
        }
        if (e.seat >= 4) {
            break;
        }
        SeatView view = ViewOf(game, e.seat);
        const PublicState state = Replay(view.events);
        const Ask ask = AskOf(view, state);
        const bool showing = e.kind == Event::Kind::Showing;
        if (!showing) {
            ++plays;
        }
        const bool asked = showing ? (ask == Ask::Showing || ask == Ask::Follow) : ask == Ask::Play;
        const bool choice = asked && HasChoice(view, state, ask);
        const bool refused = showing
                                 ? game.AnswerShowing(e.seat, e.answer).has_value()
                                 : std::holds_alternative<std::string>(game.Play(e.seat, e.cards));
        if (refused) {
            break;
        }
        if (choice) {
            DecisionPoint p;
            p.event = static_cast<std::uint32_t>(i);
            p.play = showing ? 0 : plays;
            p.chosen = showing ? Decision{e.answer, {}} : Decision{0, e.cards};
            p.view = std::move(view);
            points.push_back(std::move(p));
        }
    }
    return points;
}

std::optional<DecisionReview> ReviewDecision(const DecisionPoint& point,
                                             const ReviewOptions& options, const Limits& limits) {
    StrongOptions search;
    search.worlds = std::max(1, options.worlds);
    search.chains = std::min(search.chains, search.worlds);
    search.screen = options.screen;
    search.keep = options.keep;
    Limits own = limits;
    // The decision's own seed: the same view always gets the same review.
    own.seed = options.seed ^ (0x9E3779B97F4A7C15ull * (point.event + 1));
    const std::vector<ActionValue> values = ValueActions(point.view, search, own, &point.chosen);
    const bool showing = point.chosen.play.empty();
    const auto chosen = std::find_if(values.begin(), values.end(), [&](const ActionValue& v) {
        return SameAction(v.action, point.chosen, showing);
    });
    if (values.size() < 2 || chosen == values.end() || chosen->worlds == 0 ||
        std::any_of(values.begin(), values.end(), [](const ActionValue& v) { return v.worlds == 0; })) {
        return std::nullopt;
    }
    // The best by win chance, among the answers played out in every world.
    // Within kTiePoints of it the chosen one is as good, else the first in
    // the order plays are generated: a longer review (other worlds) names
    // the same one.
    double top = 0;
    for (const ActionValue& v : values) {
        if (v.worlds == chosen->worlds) {
            top = std::max(top, v.win);
        }
    }
    const auto tied = [&](const ActionValue& v) {
        return v.worlds == chosen->worlds && 100 * (top - v.win) <= kTiePoints;
    };
    auto best = chosen;
    if (!tied(*chosen)) {
        best = std::find_if(values.begin(), values.end(), tied);
    }
    DecisionReview r;
    r.event = point.event;
    r.play = point.play;
    r.seat = point.view.seat;
    r.chosen = point.chosen;
    r.best = best->action;
    r.chosenWin = 100 * chosen->win;
    r.chosenStake = chosen->stake;
    r.bestWin = 100 * best->win;
    r.bestStake = best->stake;
    double runnerUp = -1;
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (it != chosen) {
            runnerUp = std::max(runnerUp, 100 * it->win);
        }
    }
    if (r.Cost() >= kBlunderPoints) {
        r.mark = Mark::Blunder;
    } else if (r.Cost() >= kMistakePoints) {
        r.mark = Mark::Mistake;
    } else if (best == chosen && runnerUp <= r.chosenWin - kMistakePoints) {
        r.mark = Mark::Good;  // every other answer was clearly worse
    }
    return r;
}

std::vector<DecisionReview> ReviewGame(const std::array<CardList, 4>& dealt,
                                       const std::vector<Event>& events,
                                       const ReviewOptions& options) {
    std::vector<DecisionReview> reviews;
    for (const DecisionPoint& p : DecisionPoints(dealt, events)) {
        if (auto r = ReviewDecision(p, options)) {
            reviews.push_back(std::move(*r));
        }
    }
    return reviews;
}

std::optional<double> Accuracy(const GameReview& review, std::uint8_t seat) {
    int all = 0, accurate = 0;
    for (const DecisionReview& d : review.decisions) {
        if (d.seat == seat) {
            ++all;
            accurate += d.Cost() <= kAccuratePoints ? 1 : 0;
        }
    }
    if (all == 0) {
        return std::nullopt;
    }
    return static_cast<double>(accurate) / all;
}

// "1|200|E,P,S,M,CW,CS,BW,BS,chosen,best;…": win chances in tenths of a
// point, stakes in hundredths, actions as a0..a3 (showing) or c<cards>.
std::string ReviewText(const GameReview& review) {
    std::string out = std::to_string(GameReview::kVersion) + '|' + std::to_string(review.worlds) + '|';
    for (std::size_t i = 0; i < review.decisions.size() && i < kMaxDecisions; ++i) {
        const DecisionReview& d = review.decisions[i];
        const bool showing = d.play == 0;
        out += (i == 0 ? "" : ";") + std::to_string(d.event) + ',' + std::to_string(d.play) + ',' +
               std::to_string(d.seat) + ',' + std::to_string(static_cast<int>(d.mark)) + ',' +
               std::to_string(Rounded(d.chosenWin, 10)) + ',' +
               std::to_string(Rounded(d.chosenStake, 100)) + ',' +
               std::to_string(Rounded(d.bestWin, 10)) + ',' +
               std::to_string(Rounded(d.bestStake, 100)) + ',';
        PutAction(out, d.chosen, showing);
        out += ',';
        PutAction(out, d.best, showing);
    }
    return out;
}

std::optional<GameReview> ParseReview(std::string_view text) {
    const auto head = Split(text, '|', 3);
    if (!head || head->size() != 3 || Number((*head)[0], 1, 1) == std::nullopt) {
        return std::nullopt;
    }
    GameReview review;
    const auto worlds = Number((*head)[1], 0, 1000000);
    if (!worlds) {
        return std::nullopt;
    }
    review.worlds = static_cast<int>(*worlds);
    if ((*head)[2].empty()) {
        return review;
    }
    const auto items = Split((*head)[2], ';', kMaxDecisions);
    if (!items) {
        return std::nullopt;
    }
    for (std::string_view item : *items) {
        const auto f = Split(item, ',', 10);
        if (!f || f->size() != 10) {
            return std::nullopt;
        }
        const auto event = Number((*f)[0], 0, 100000);
        const auto play = Number((*f)[1], 0, 100000);
        const auto seat = Number((*f)[2], 0, 3);
        const auto mark = Number((*f)[3], 0, 3);
        const auto cw = Number((*f)[4], 0, 1000);
        const auto cs = Number((*f)[5], -100000, 100000);
        const auto bw = Number((*f)[6], 0, 1000);
        const auto bs = Number((*f)[7], -100000, 100000);
        if (!event || !play || !seat || !mark || !cw || !cs || !bw || !bs) {
            return std::nullopt;
        }
        const bool showing = *play == 0;
        auto chosen = ActionOf((*f)[8], showing);
        auto best = ActionOf((*f)[9], showing);
        if (!chosen || !best) {
            return std::nullopt;
        }
        DecisionReview d;
        d.event = static_cast<std::uint32_t>(*event);
        d.play = static_cast<std::uint32_t>(*play);
        d.seat = static_cast<std::uint8_t>(*seat);
        d.mark = static_cast<Mark>(*mark);
        d.chosenWin = *cw / 10.0;
        d.chosenStake = *cs / 100.0;
        d.bestWin = *bw / 10.0;
        d.bestStake = *bs / 100.0;
        d.chosen = std::move(*chosen);
        d.best = std::move(*best);
        review.decisions.push_back(std::move(d));
    }
    return review;
}

const char* MarkName(Mark mark) {
    switch (mark) {
        case Mark::Good:
            return "好棋";
        case Mark::Mistake:
            return "失误";
        case Mark::Blunder:
            return "大失误";
        case Mark::None:
            break;
    }
    return "";
}

std::string ActionWords(const Decision& action, bool showing, bool suits) {
    if (showing) {
        switch (action.answer) {
            case 1:
                return suits ? "亮 ♥10" : "亮红桃10";
            case 2:
                return suits ? "亮 ♦10" : "亮方块10";
            case 3:
                return "亮两张红10";
            default:
                return "不亮";
        }
    }
    std::string out;
    for (std::uint8_t card : action.play) {
        out += (out.empty() ? "" : " ") + CardWords(card, suits);
    }
    return out.empty() ? "不出" : out;
}

std::string MarkLine(const DecisionReview& d, std::string_view who) {
    const bool showing = d.play == 0;
    std::string line = showing ? std::string("亮牌时 ") : "第" + std::to_string(d.play) + "手 ";
    line += std::string(who) + (showing ? "选了" : "出了") + ActionWords(d.chosen, showing, false);
    if (d.mark == Mark::Good) {
        return line + "：好棋（胜率 " + std::to_string(Rounded(d.chosenWin, 1)) + "%）";
    }
    if (d.mark == Mark::None) {
        return line;
    }
    return line + "，更好的是" + ActionWords(d.best, showing, false) + "（" + MarkName(d.mark) +
           "，胜率 " + std::to_string(Rounded(d.chosenWin, 1)) + "% → " +
           std::to_string(Rounded(d.bestWin, 1)) + "%）";
}

}  // namespace redten::engine
