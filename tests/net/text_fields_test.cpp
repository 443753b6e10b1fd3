#include <gtest/gtest.h>

#include "wire/text_fields.h"
#include "wire/user_list_text.h"

namespace redten {
namespace {

TEST(SplitFields, EmptyTextHasNoFieldsAndEmptyFieldsCount) {
    EXPECT_TRUE(SplitFields("").empty());
    EXPECT_EQ(SplitFields("a"), (std::vector<std::string>{"a"}));
    EXPECT_EQ(SplitFields("a``b`"), (std::vector<std::string>{"a", "", "b", ""}));
    EXPECT_EQ(SplitFields("`"), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(JoinFields({"a", "", "b"}), "a``b");
}

TEST(TextValue, ReadsTheLeadingNumberLikeTheRoomWritesIt) {
    EXPECT_EQ(TextValue("42"), 42);
    EXPECT_EQ(TextValue("  \t-17xyz"), -17);
    EXPECT_EQ(TextValue("+8"), 8);
    EXPECT_EQ(TextValue("3.5"), 3.5);
    EXPECT_EQ(TextValue("1e3"), 1000);
    EXPECT_EQ(TextValue("2e"), 2);
    EXPECT_EQ(TextValue("abc"), 0);
    EXPECT_EQ(TextValue(""), 0);
    EXPECT_EQ(TextValue("-"), 0);
    EXPECT_EQ(TextValue("."), 0);
    EXPECT_EQ(TextValue("12 34"), 12);
    EXPECT_GT(TextValue("9e999999999"), 1e300);
    EXPECT_EQ(TextValue("1e-99999"), 0);
}

TEST(TextValue, RoundsAndClampsIntoSmallerTypes) {
    EXPECT_EQ(RoundToByte(300), 255);
    EXPECT_EQ(RoundToByte(-4), 0);
    EXPECT_EQ(RoundToByte(2.5), 2);  // half to even
    EXPECT_EQ(RoundToByte(3.5), 4);
    EXPECT_EQ(RoundToLong(1e20), 2147483647);
    EXPECT_EQ(RoundToLong(-1e20), -2147483647 - 1);
    EXPECT_EQ(RoundToInteger(40000), 32767);
}

TEST(UserListText, HoldsSixteenFieldsPerRecordOrNothing) {
    std::vector<std::string> one(16, "x");
    one[0] = "张三";
    std::vector<std::string> two(16, "y");
    two[0] = "李四";
    const std::string a = JoinFields(one);
    const std::string b = JoinFields(two);

    EXPECT_EQ(SplitUserListText(a + "`" + b), (std::vector<std::string>{a, b}));
    EXPECT_EQ(JoinUserListText({a, b}), a + "`" + b);
    EXPECT_TRUE(SplitUserListText("").empty());
    EXPECT_TRUE(SplitUserListText(a + "`extra").empty());
    EXPECT_TRUE(SplitUserListText("a`b`c").empty());
}

}  // namespace
}  // namespace redten
