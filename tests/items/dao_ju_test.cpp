#include <gtest/gtest.h>

#include "items/dao_ju.h"
#include "wire/text_fields.h"

namespace redten {
namespace {

const std::string kNotes = std::string(REDTEN_TABLE_DIR) + "/Res\\DaoJu\\DaoJuInfo.ini";

std::string Catalogue() {
    return JoinFields({"2", "常用道具", "互动道具", "2",
                       "1", "0", "小喇叭", "1", "720", "100", "90", "80", "70", "1",
                       "2", "1", "鲜花", "5", "168", "20", "18", "16", "14", "0"});
}

TEST(DaoJu, TheCatalogueByCategoryWithItsDescriptions) {
    DaoJuLists lists(kNotes);
    lists.SetDaoJuList(Catalogue());
    ASSERT_EQ(lists.strDaoJuType().size(), 3u);
    EXPECT_EQ(lists.strDaoJuType()[2], "互动道具");
    ASSERT_EQ(lists.DaoJuList()[1].size(), 1u);
    const DaoJuItem& horn = lists.DaoJuList()[1][0];
    EXPECT_EQ(horn.strName, "小喇叭");
    EXPECT_EQ(horn.lngMemberNowPrice, 70);
    EXPECT_EQ(horn.bteUseTarget, 1);
    EXPECT_EQ(horn.strNote, "在房间里大声说一句话，所有人都能看到。");
    EXPECT_EQ(lists.DaoJuList()[2][0].strName, "鲜花");
    EXPECT_EQ(ReadDaoJuNote(kNotes, 99), "");
    EXPECT_EQ(ReadDaoJuNote("/nonexistent/DaoJuInfo.ini", 1), "");
}

TEST(DaoJu, OwnedItemsAreFiledUnderTheirCategoryOrAsUnknown) {
    DaoJuLists lists(kNotes);
    lists.SetDaoJuList("0`0");
    EXPECT_EQ(lists.DaoJuList().size(), 1u);  // only the empty category 0
    lists.SetDaoJuList(Catalogue());
    lists.SetMyDaoJuList("2:3:2027123123:9:1:999010203");
    ASSERT_EQ(lists.MyDaoJuList()[2].size(), 1u);
    EXPECT_EQ(lists.MyDaoJuList()[2][0].strName, "鲜花");
    EXPECT_EQ(lists.MyDaoJuList()[2][0].intEndTime, (std::array<std::int32_t, 4>{2027, 12, 31, 23}));
    ASSERT_EQ(lists.MyDaoJuList()[1].size(), 1u);
    EXPECT_EQ(lists.MyDaoJuList()[1][0].strName, "未知名称");
    EXPECT_EQ(lists.MyDaoJuList()[1][0].intEndTime[0], 999);  // fewer digits: a year below 1000
    lists.SetMyDaoJuList("1:2");  // not whole triples: nothing changes
    EXPECT_EQ(lists.MyDaoJuList()[2].size(), 1u);
    // A new catalogue files the owned items again.
    lists.SetDaoJuList(JoinFields({"1", "全部", "1", "2", "0", "鲜花", "5", "1", "1", "1", "1", "1", "0"}));
    ASSERT_EQ(lists.MyDaoJuList()[1].size(), 2u);
}

TEST(DaoJu, CountsFromTheRoomAreBoundedByWhatWasSent) {
    DaoJuLists lists(kNotes);
    lists.SetDaoJuList("2000000000`a`b");
    EXPECT_EQ(lists.strDaoJuType().size(), 3u);
    lists.SetDaoJuList("1`a`99999`1`0`x");  // an item cut short
    EXPECT_TRUE(lists.DaoJuList()[1].empty());
    lists.SetDaoJuList("");
    EXPECT_EQ(lists.DaoJuList().size(), 1u);
    // The largest category number is no category, not the first.
    lists.SetDaoJuList(JoinFields({"1", "全部", "1", "9", "2147483647", "鲜花", "5", "1", "1", "1", "1", "1", "0"}));
    EXPECT_TRUE(lists.DaoJuList()[1].empty());
    // An end time no date can have is cut, not carried into a wild number.
    lists.SetMyDaoJuList("7:1:32026120823000000000000000:8:1:-1e300");
    ASSERT_EQ(lists.MyDaoJuList()[1].size(), 2u);
    EXPECT_EQ(lists.MyDaoJuList()[1][0].intEndTime[0], 1000000);
    EXPECT_EQ(lists.MyDaoJuList()[1][1].intEndTime[0], -1000000);
}

}  // namespace
}  // namespace redten
