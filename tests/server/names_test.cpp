#include <gtest/gtest.h>

#include "server/tables/names.h"

namespace redten::room {
namespace {

TEST(PersonNames, NoNamePassesForAComputerPlayerForEverybodyOrSplitsAStoredGame) {
    for (const char* name : {"电脑甲1", "電腦甲1", "电腦乙", "電脑", "电脳丙2", "所有人", "甲;乙"}) {
        EXPECT_TRUE(CheckPersonName(name).has_value()) << name;
    }
    for (const char* name : {"张三", "电视迷", "小电脑", "所有人们", "Bob"}) {
        EXPECT_FALSE(CheckPersonName(name).has_value()) << name;
    }
}

}  // namespace
}  // namespace redten::room
