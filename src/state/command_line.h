#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace redten {

// The process arguments after the program's own path, joined by single
// blanks: the raw command-line text the lobby handed over.
std::string JoinArguments(int argc, const char* const* argv);

// Splits raw command-line text into words. Blanks and tabs separate words;
// quote characters are ordinary characters. Element 0 is always empty and
// elements 1..n hold the words, n at most maxWords; once maxWords words are
// open, the start of one more stops the walk.
std::vector<std::string> GetCommandLine(std::string_view raw, int maxWords = 10);

}  // namespace redten
