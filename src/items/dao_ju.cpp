#include "items/dao_ju.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <sstream>

#include "platform/resource_path.h"
#include "wire/message.h"
#include "wire/text_fields.h"

namespace redten {
namespace {

constexpr std::size_t kFieldsPerItem = 10;
constexpr std::size_t kMaxNoteCharacters = 1023;
constexpr std::streamsize kMaxIniBytes = 1 << 20;

std::int32_t Number(const std::string& field) { return RoundToLong(TextValue(field)); }

std::string Trim(const std::string& s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

}  // namespace

void DaoJuLists::InitDaoJu() {
    types_.assign(1, std::string());
    catalogue_.assign(1, {});
    owned_.assign(1, {});
}

void DaoJuLists::SetDaoJuList(const std::string& text) {
    const auto f = SplitFields(text);
    // Never more categories than names were sent, nor than a shop has.
    const std::size_t n = std::min<std::size_t>(
        {static_cast<std::size_t>(std::max(0, f.empty() ? 0 : Number(f[0]))),
         f.empty() ? 0 : f.size() - 1, kMaxCategories});
    std::vector<MyDaoJuItem> kept;
    for (const auto& category : owned_) {
        kept.insert(kept.end(), category.begin(), category.end());
    }
    types_.assign(n + 1, std::string());
    catalogue_.assign(n + 1, {});
    owned_.assign(n + 1, {});
    for (std::size_t i = 1; i <= n; ++i) {
        types_[i] = f[i];
    }
    std::size_t at = n + 1;
    const std::size_t m = at < f.size() ? static_cast<std::size_t>(std::max(0, Number(f[at]))) : 0;
    ++at;
    const auto notes = ReadDaoJuNotes(noteFile_);  // one read for the whole catalogue
    for (std::size_t item = 0; item < std::min(m, kMaxItems) && at + kFieldsPerItem <= f.size();
         ++item, at += kFieldsPerItem) {
        DaoJuItem d;
        d.lngID = Number(f[at]);
        const std::int64_t category = std::int64_t{Number(f[at + 1])} + 1;  // the largest number is no category
        d.strName = f[at + 2];
        d.lngPackCount = Number(f[at + 3]);
        d.lngValidHours = Number(f[at + 4]);
        d.lngPrice = Number(f[at + 5]);
        d.lngNowPrice = Number(f[at + 6]);
        d.lngMemberPrice = Number(f[at + 7]);
        d.lngMemberNowPrice = Number(f[at + 8]);
        d.bteUseTarget = RoundToByte(TextValue(f[at + 9]));
        if (const auto note = notes.find(d.lngID); note != notes.end()) {
            d.strNote = note->second;
        }
        if (category >= 1 && static_cast<std::size_t>(category) <= n) {
            catalogue_[static_cast<std::size_t>(category)].push_back(std::move(d));
        }
    }
    for (MyDaoJuItem& item : kept) {
        File(std::move(item));
    }
}

void DaoJuLists::File(MyDaoJuItem item) {
    for (std::size_t c = 1; c < catalogue_.size(); ++c) {
        for (const DaoJuItem& d : catalogue_[c]) {
            if (d.lngID == item.lngID) {
                item.strName = d.strName;
                item.bteUseTarget = d.bteUseTarget;
                owned_[c].push_back(std::move(item));
                return;
            }
        }
    }
    // Not on sale (any more): filed under the first category.
    item.strName = "未知名称";
    item.bteUseTarget = 1;
    if (owned_.size() < 2) {
        owned_.resize(2);
    }
    owned_[1].push_back(std::move(item));
}

void DaoJuLists::SetMyDaoJuList(const std::string& text) {
    const auto f = SplitFields(text, ':');
    if (f.size() % 3 != 0) {
        return;
    }
    for (auto& category : owned_) {
        category.clear();
    }
    for (std::size_t i = 0; i + 2 < f.size() && i / 3 < kMaxItems; i += 3) {
        MyDaoJuItem item;
        item.lngID = Number(f[i]);
        item.lngCount = Number(f[i + 1]);
        // yyyymmddhh; anything beyond what a date can hold is cut to it.
        const std::int64_t e = static_cast<std::int64_t>(std::clamp(TextValue(f[i + 2]), -1e12, 1e12));
        item.intEndTime = {static_cast<std::int32_t>(e / 1000000), static_cast<std::int32_t>(e % 1000000 / 10000),
                           static_cast<std::int32_t>(e % 10000 / 100), static_cast<std::int32_t>(e % 100)};
        File(std::move(item));
    }
}

std::map<std::int32_t, std::string> ReadDaoJuNotes(const std::string& file) {
    std::ifstream in(ResolveResourcePath("", file).toStdString(), std::ios::binary);
    if (!in) {
        return {};
    }
    // The file as it is, up to the limit, without setting the whole limit
    // aside for a file of a few lines.
    std::string raw;
    std::array<char, 4096> chunk;
    while (raw.size() < static_cast<std::size_t>(kMaxIniBytes)) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const std::streamsize got = in.gcount();
        if (got <= 0) {
            break;
        }
        raw.append(chunk.data(), std::min(static_cast<std::size_t>(got),
                                          static_cast<std::size_t>(kMaxIniBytes) - raw.size()));
    }
    return ParseDaoJuNotes(raw);
}

std::map<std::int32_t, std::string> ParseDaoJuNotes(std::string_view raw) {
    std::map<std::int32_t, std::string> notes;
    const std::string prefix = "[DaoJuInfo_ID_";
    std::istringstream lines{std::string(raw)};
    std::string line;
    bool inSection = false;
    std::int32_t section = 0;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::string trimmed = Trim(line);
        if (!trimmed.empty() && trimmed.front() == '[') {
            // Only a section named exactly by a plain decimal id counts.
            inSection = false;
            const std::string id = trimmed.substr(std::min(prefix.size(), trimmed.size()));
            if (trimmed.rfind(prefix, 0) == 0 && id.size() > 1 && id.back() == ']' &&
                std::to_string(Number(id.substr(0, id.size() - 1))) == id.substr(0, id.size() - 1)) {
                section = Number(id.substr(0, id.size() - 1));
                inSection = true;
            }
            continue;
        }
        const auto eq = trimmed.find('=');
        if (!inSection || eq == std::string::npos || Trim(trimmed.substr(0, eq)) != "Note" ||
            notes.count(section) != 0) {
            continue;
        }
        const std::string value = trimmed.substr(eq + 1);
        std::string note = GetTextFromBytes(Bytes(value.begin(), value.end()), 0);
        note.erase(std::remove(note.begin(), note.end(), '\0'), note.end());
        // At most the reader's buffer: 1023 characters.
        std::size_t characters = 0, cut = 0;
        while (cut < note.size() && characters < kMaxNoteCharacters) {
            ++cut;
            while (cut < note.size() && (static_cast<unsigned char>(note[cut]) & 0xC0) == 0x80) {
                ++cut;
            }
            ++characters;
        }
        notes[section] = Trim(note.substr(0, cut));
    }
    return notes;
}

std::string ReadDaoJuNote(const std::string& file, std::int32_t id) {
    const auto notes = ReadDaoJuNotes(file);
    const auto it = notes.find(id);
    return it == notes.end() ? std::string() : it->second;
}

}  // namespace redten
