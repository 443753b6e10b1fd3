#include "server/store/records.h"

#include <QSqlQuery>
#include <QVariant>

#include <charconv>
#include <variant>

#include "engine/game.h"

namespace redten::room {
namespace {

// A game has 54 cards at most and every play takes one or passes; three
// passes at most follow a play. Anything longer is not a game of ours.
constexpr std::size_t kMaxPlays = 4 * kMaxHandCards;
constexpr std::size_t kMaxSteps = kMaxPlays + 16;

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
std::string S(const QVariant& v) {
    return v.toString().toStdString();
}

std::vector<std::string> Split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(sep, start);
        parts.push_back(
            text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) {
            return parts;
        }
        start = at + 1;
    }
}

template <typename T>
std::optional<T> Number(const std::string& text, T lowest, T highest) {
    T value{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < lowest ||
        value > highest) {
        return std::nullopt;
    }
    return value;
}

// "a;b;c;d" into four parts, each read by part.
template <typename T, typename F>
std::optional<std::array<T, 4>> Four(const std::string& text, F part) {
    const auto parts = Split(text, ';');
    if (parts.size() != 4) {
        return std::nullopt;
    }
    std::array<T, 4> out{};
    for (std::size_t i = 0; i < 4; ++i) {
        auto value = part(parts[i]);
        if (!value) {
            return std::nullopt;
        }
        out[i] = std::move(*value);
    }
    return out;
}

Standing StandingOf(const QSqlQuery& q) {
    const PersonRow row = PersonRowOf(q);
    const PersonRecord& p = row.record;
    return {p.name, row.computer, p.points, p.games, p.wins, p.losses, p.draws, p.escapes};
}

// People's rows, then the rest of the statement.
QString PeopleQuery(const char* rest) {
    return QStringLiteral("SELECT %1 FROM people %2")
        .arg(QLatin1String(kPersonColumns), QLatin1String(rest));
}

// Names go into LIKE between semicolons; their own % and _ must not match
// anything else.
std::string LikeEscaped(const std::string& name) {
    std::string out;
    for (char c : name) {
        if (c == '%' || c == '_' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out;
}

}  // namespace

std::optional<CardList> ParseCards(const std::string& text) {
    CardList cards;
    if (text.empty()) {
        return cards;
    }
    for (const std::string& part : Split(text, ',')) {
        const auto card = Number<int>(part, 0, kPassCard);
        if (!card || cards.size() >= kMaxHandCards) {
            return std::nullopt;
        }
        cards.push_back(static_cast<std::uint8_t>(*card));
    }
    return cards;
}

std::optional<std::vector<std::pair<std::uint8_t, CardList>>> ParsePlays(const std::string& text) {
    std::vector<std::pair<std::uint8_t, CardList>> plays;
    if (text.empty()) {
        return plays;
    }
    for (const std::string& part : Split(text, ';')) {
        const std::size_t colon = part.find(':');
        if (colon == std::string::npos || plays.size() >= kMaxPlays) {
            return std::nullopt;
        }
        const auto seat = Number<int>(part.substr(0, colon), 0, 3);
        auto cards = ParseCards(part.substr(colon + 1));
        if (!seat || !cards || cards->empty()) {
            return std::nullopt;
        }
        plays.emplace_back(static_cast<std::uint8_t>(*seat), std::move(*cards));
    }
    return plays;
}

std::optional<std::vector<GameStep>> ParseSteps(const std::string& text) {
    std::vector<GameStep> steps;
    if (text.empty()) {
        return steps;
    }
    for (const std::string& part : Split(text, ';')) {
        // k<seat>.<value>@<ms>
        const std::size_t dot = part.find('.');
        const std::size_t at = part.find('@');
        static constexpr std::string_view kKinds = "aspx";
        const std::size_t kind = part.empty() ? std::string_view::npos : kKinds.find(part[0]);
        if (kind == std::string_view::npos || dot == std::string::npos || at == std::string::npos ||
            dot > at || steps.size() >= kMaxSteps) {
            return std::nullopt;
        }
        const auto seat = Number<int>(part.substr(1, dot - 1), 0, 3);
        const auto value = Number<int>(part.substr(dot + 1, at - dot - 1), 0, 255);
        const auto ms = Number<std::int32_t>(part.substr(at + 1), 0, INT32_MAX);
        if (!seat || !value || !ms) {
            return std::nullopt;
        }
        steps.push_back({static_cast<GameStep::Kind>(kind), static_cast<std::uint8_t>(*seat),
                         static_cast<std::uint8_t>(*value), *ms});
    }
    return steps;
}

std::optional<std::int32_t> ReplayChecks(FinishedGame& g) {
    const std::optional<engine::Game> game = JudgedGame(g);
    if (!game) {
        return std::nullopt;
    }
    for (std::uint8_t s = 0; s < 4; ++s) {
        g.red[s] = game->IsRed(s);
        g.remaining[s] = game->Hand(s);
    }
    return game->Multiplier();
}

std::optional<engine::Game> JudgedGame(const FinishedGame& g) {
    engine::Game game(g.dealt);
    // Games stored before their steps were kept: each seat's answer as it
    // stood when the showing ended.
    bool showed = false;
    for (const GameStep& step : g.steps) {
        if (step.kind == GameStep::Kind::Answer) {
            showed = true;
            if (game.AnswerShowing(step.seat, step.value)) {
                return std::nullopt;
            }
        }
    }
    for (std::uint8_t s = 0; s < 4 && !showed; ++s) {
        if (game.AnswerShowing(s, g.shown[s])) {
            return std::nullopt;
        }
    }
    game.FillMissingAnswers();
    game.EndShowing();
    for (const auto& [seat, cards] : g.plays) {
        if (std::holds_alternative<std::string>(game.Play(seat, cards))) {
            return std::nullopt;
        }
    }
    return game;
}

Read<std::vector<Standing>> ReadStandings(Store& store, int page, int perPage) {
    Read<std::vector<Standing>> read;
    QSqlQuery q(store.Database());
    q.prepare(PeopleQuery("ORDER BY points DESC, name LIMIT ? OFFSET ?"));
    q.addBindValue(perPage);
    q.addBindValue(std::clamp(page, 0, kMaxPage) * perPage);
    if (!q.exec()) {
        return read;
    }
    while (q.next()) {
        read.value.push_back(StandingOf(q));
    }
    read.status = ReadStatus::Ok;
    return read;
}

Read<PersonGames> ReadPerson(Store& store, const std::string& name, int page) {
    Read<PersonGames> read;
    QSqlQuery person(store.Database());
    person.prepare(PeopleQuery("WHERE name = ?"));
    person.addBindValue(Q(name));
    if (!person.exec()) {
        return read;
    }
    if (!person.next()) {
        read.status = ReadStatus::Missing;
        return read;
    }
    read.value.person = StandingOf(person);
    // The players are kept as "a;b;c;d"; one more than a page tells
    // whether older games follow.
    QSqlQuery q(store.Database());
    q.prepare(QStringLiteral(
        "SELECT id, finished_at, players, scores, places, winner, escaped_seat, abandoned, review"
        " FROM games"
        " WHERE ';' || players || ';' LIKE ? ESCAPE '\\' ORDER BY id DESC LIMIT ? OFFSET ?"));
    q.addBindValue(Q("%;" + LikeEscaped(name) + ";%"));
    q.addBindValue(kGamesPerPage + 1);
    q.addBindValue(std::clamp(page, 0, kMaxPage) * kGamesPerPage);
    if (!q.exec()) {
        return read;
    }
    while (q.next()) {
        if (read.value.games.size() == kGamesPerPage) {
            read.value.more = true;
            break;
        }
        GameSummary g;
        g.id = q.value(0).toLongLong();
        g.finishedAt = S(q.value(1));
        const auto players =
            Four<std::string>(S(q.value(2)), [](const std::string& p) { return std::optional(p); });
        const auto scores = Four<std::int32_t>(S(q.value(3)), [](const std::string& p) {
            return Number<std::int32_t>(p, INT32_MIN, INT32_MAX);
        });
        const auto places = Four<std::uint8_t>(
            S(q.value(4)), [](const std::string& p) { return Number<std::uint8_t>(p, 0, 4); });
        if (!players || !scores || !places) {
            continue;  // a damaged row is left out of the list, not shown wrong
        }
        g.players = *players;
        g.scores = *scores;
        g.places = *places;
        g.winner = q.value(5).toInt();
        g.escapedSeat = q.value(6).toInt();
        g.abandoned = q.value(7).toInt() != 0;
        const auto seat = std::find(g.players.begin(), g.players.end(), name);
        const auto review = q.value(8).isNull() ? std::nullopt : engine::ParseReview(S(q.value(8)));
        for (const engine::DecisionReview& d : review ? review->decisions : std::vector<engine::DecisionReview>{}) {
            if (d.seat == seat - g.players.begin()) {
                ++g.decisions;
                g.accurate += d.Cost() <= engine::kAccuratePoints ? 1 : 0;
            }
        }
        read.value.games.push_back(std::move(g));
    }
    read.status = ReadStatus::Ok;
    return read;
}

Read<StoredGame> ReadGame(Store& store, std::int64_t id) {
    Read<StoredGame> read;
    QSqlQuery q(store.Database());
    q.prepare(
        QStringLiteral("SELECT table_no, finished_at, players, deal, shown, plays, scores, places, "
                       "winner, escaped_seat,"
                       " stake, abandoned, timeline, review FROM games WHERE id = ?"));
    q.addBindValue(static_cast<qlonglong>(id));
    if (!q.exec()) {
        return read;
    }
    if (!q.next()) {
        read.status = ReadStatus::Missing;
        return read;
    }
    StoredGame& stored = read.value;
    FinishedGame& g = stored.game;
    stored.id = id;
    stored.finishedAt = S(q.value(1));
    g.tableNo = q.value(0).toInt();
    const auto players =
        Four<std::string>(S(q.value(2)), [](const std::string& p) { return std::optional(p); });
    const auto dealt = Four<CardList>(S(q.value(3)), ParseCards);
    const auto shown = Four<std::uint8_t>(
        S(q.value(4)), [](const std::string& p) { return Number<std::uint8_t>(p, 0, 3); });
    auto plays = ParsePlays(S(q.value(5)));
    const auto scores = Four<std::int32_t>(S(q.value(6)), [](const std::string& p) {
        return Number<std::int32_t>(p, INT32_MIN, INT32_MAX);
    });
    const auto places = Four<std::uint8_t>(
        S(q.value(7)), [](const std::string& p) { return Number<std::uint8_t>(p, 0, 4); });
    auto steps = ParseSteps(S(q.value(12)));
    if (!players || !dealt || !shown || !plays || !scores || !places || !steps) {
        read.status = ReadStatus::Damaged;  // not a game to show as if it were whole
        return read;
    }
    g.players = *players;
    g.dealt = *dealt;
    g.shown = *shown;
    g.plays = std::move(*plays);
    g.scores = *scores;
    g.places = *places;
    g.winner = q.value(8).toInt();
    g.escapedSeat = q.value(9).toInt();
    g.stake = q.value(10).toInt();
    g.abandoned = q.value(11).toInt() != 0;
    g.steps = std::move(*steps);
    if (!q.value(13).isNull()) {
        stored.review = engine::ParseReview(S(q.value(13)));  // a damaged one is shown as none
    }
    for (std::size_t s = 0; s < 4; ++s) {
        const Store::PersonLookup found = store.FindPerson(g.players[s]);
        if (!found.ok) {
            return read;
        }
        g.records[s] = found.person.value_or(PersonRecord{});
        g.records[s].name = g.players[s];
    }
    read.status = ReadStatus::Ok;
    return read;
}

}  // namespace redten::room
