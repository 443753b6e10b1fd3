#include <gtest/gtest.h>

#include "state/command_line.h"
#include "state/launch_context.h"

namespace redten {
namespace {

std::string Words(int n, const std::string& first = kLaunchToken) {
    std::string raw = first;
    for (int i = 2; i <= n; ++i) {
        raw += " w" + std::to_string(i);
    }
    return raw;
}

TEST(GetCommandLine, BlanksAndTabsSeparateAndQuotesAreOrdinary) {
    const auto words = GetCommandLine("  \tone  two\t\tthree \"four five\"  ");
    EXPECT_EQ(words, (std::vector<std::string>{"", "one", "two", "three", "\"four", "five\""}));
    EXPECT_EQ(GetCommandLine(""), std::vector<std::string>{""});
    EXPECT_EQ(GetCommandLine(" \t "), std::vector<std::string>{""});
}

TEST(GetCommandLine, StopsWhenOneWordMoreThanTheMaximumBegins) {
    const auto words = GetCommandLine("a b c d", 2);
    EXPECT_EQ(words, (std::vector<std::string>{"", "a", "b"}));
    EXPECT_EQ(GetCommandLine(Words(11)).size(), 11u);  // element 0 and ten words
}

TEST(JoinArguments, JoinsEverythingAfterTheProgramWithSingleBlanks) {
    const char* argv[] = {"/x/redten-table", "a", "b c", ""};
    EXPECT_EQ(JoinArguments(4, argv), "a b c ");
    EXPECT_EQ(JoinArguments(1, argv), "");
    EXPECT_EQ(JoinArguments(0, argv), "");
}

TEST(LaunchCheck, RefusesAnyWordCountButNine) {
    EXPECT_EQ(CheckLaunchWords(GetCommandLine(Words(9))), LaunchError::None);
    for (int n : {0, 1, 8, 10, 11, 30}) {
        EXPECT_EQ(CheckLaunchWords(GetCommandLine(Words(n))), LaunchError::WordCount) << n;
    }
    EXPECT_EQ(LaunchErrorText(LaunchError::WordCount), "1号错误，无法正常启动游戏！");
}

TEST(LaunchCheck, NineWordsAcrossRunsOfBlanksAndTabsAreAccepted) {
    const std::string raw =
        std::string("   ") + kLaunchToken + " \t 127.0.0.1\t\t5000  红十 A_0`B_100  r1 r2 张三 1   ";
    const auto words = GetCommandLine(raw);
    ASSERT_EQ(CheckLaunchWords(words), LaunchError::None);
    const LaunchContext launch = StoreLaunchValues(words);
    EXPECT_EQ(launch.strRoomServerHost, "127.0.0.1");
    EXPECT_EQ(launch.strRoomServerPort, "5000");
    EXPECT_EQ(launch.strGameTitle, "红十");
    EXPECT_EQ(launch.strLevelList, "A_0`B_100");
    EXPECT_EQ(launch.strReservedArg[0], "r1");
    EXPECT_EQ(launch.strReservedArg[1], "r2");
    EXPECT_EQ(launch.strMyName, "张三");
    EXPECT_EQ(launch.bteScoreMode, 1);
}

TEST(LaunchCheck, TokenIsComparedExactly) {
    const std::string token = kLaunchToken;
    EXPECT_EQ(token.size(), 38u);
    for (char c : token) {
        EXPECT_TRUE(c > 32 && c < 127);
    }
    std::string lower = token;
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (const std::string& wrong : {"\"" + token + "\"", lower, token.substr(1), token + "x"}) {
        EXPECT_EQ(CheckLaunchWords(GetCommandLine(Words(9, wrong))), LaunchError::Token) << wrong;
    }
    EXPECT_EQ(LaunchErrorText(LaunchError::Token), "2号错误，无法正常启动游戏！");
}

TEST(LaunchValues, ScoreModeIsTheNumericValueClampedIntoAByte) {
    const auto modeOf = [](const std::string& word9) {
        auto words = GetCommandLine(Words(8) + " " + word9);
        return StoreLaunchValues(words).bteScoreMode;
    };
    EXPECT_EQ(modeOf("0"), 0);
    EXPECT_EQ(modeOf("points"), 0);
    EXPECT_EQ(modeOf("1"), 1);
    EXPECT_EQ(modeOf("300"), 255);
    EXPECT_EQ(modeOf("-7"), 0);
    EXPECT_EQ(ScoreTitle(modeOf("0")), "经验");
    EXPECT_EQ(ScoreTitle(modeOf("1")), "积分");
}

}  // namespace
}  // namespace redten
