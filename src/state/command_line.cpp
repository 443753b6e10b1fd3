#include "state/command_line.h"

namespace redten {

std::string JoinArguments(int argc, const char* const* argv) {
    std::string raw;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            raw += ' ';
        }
        raw += argv[i];
    }
    return raw;
}

std::vector<std::string> GetCommandLine(std::string_view raw, int maxWords) {
    std::vector<std::string> words(1);
    bool inWord = false;
    for (const char c : raw) {
        if (c == ' ' || c == '\t') {
            inWord = false;
            continue;
        }
        if (!inWord) {
            if (static_cast<int>(words.size()) - 1 >= maxWords) {
                break;
            }
            words.emplace_back();
            inWord = true;
        }
        words.back() += c;
    }
    return words;
}

}  // namespace redten
