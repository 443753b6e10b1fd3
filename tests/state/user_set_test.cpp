#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <fstream>
#include <sstream>

#include "state/user_set.h"

namespace redten {
namespace {

class UserSetFile : public testing::Test {
protected:
    std::string path() const { return dir_.filePath(kUserSetFileName).toStdString(); }
    void Write(const std::string& content) {
        std::ofstream(path(), std::ios::binary) << content;
    }
    std::string Read() const {
        std::ifstream in(path(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    QTemporaryDir dir_;
};

TEST_F(UserSetFile, MissingFileMeansAllOn) {
    UserSet set;
    set.bteUserSet = {0, 0, 0, 0, 0};
    LoadUserSet(set, path());
    EXPECT_EQ(set.bteUserSet, (std::array<std::uint8_t, 5>{1, 1, 1, 1, 1}));
}

TEST_F(UserSetFile, SavedValuesReadBackAndTheFileLooksAsAlways) {
    UserSet set;
    set.bteUserSet = {0, 1, 0, 1, 1};
    ASSERT_TRUE(SaveUserSet(set, path()));
    EXPECT_EQ(Read(), " 0 \r\n 1 \r\n 0 \r\n 1 \r\n 1 \r\n");
    UserSet loaded;
    LoadUserSet(loaded, path());
    EXPECT_EQ(loaded.bteUserSet, set.bteUserSet);
}

TEST_F(UserSetFile, PlainLinesWithoutBlanksOrCarriageReturnsAlsoRead) {
    Write("0\n0\n1\n0\n1");
    UserSet set;
    LoadUserSet(set, path());
    EXPECT_EQ(set.bteUserSet, (std::array<std::uint8_t, 5>{0, 0, 1, 0, 1}));
}

TEST_F(UserSetFile, ShortOrBadFilesGiveAllOnEvenForValuesAlreadyRead) {
    for (const std::string& content : std::vector<std::string>{" 0 \r\n 0 \r\n 0 \r\n", " 0 \r\n 300 \r\n 0 \r\n 0 \r\n 0 \r\n",
                                      "0\n0\nx\n0\n0\n", "0\n0\n-1\n0\n0\n", "", "0\n\n0\n0\n0\n",
                                      std::string(100000, '0')}) {
        Write(content);
        UserSet set;
        set.bteUserSet = {0, 0, 0, 0, 0};
        LoadUserSet(set, path());
        EXPECT_EQ(set.bteUserSet, (std::array<std::uint8_t, 5>{1, 1, 1, 1, 1})) << content.substr(0, 40);
    }
}

TEST_F(UserSetFile, UnwritablePlaceFailsQuietly) {
    UserSet set;
    set.bteUserSet = {0, 0, 0, 0, 0};
    // A missing folder is made; a file standing where a folder must be is
    // beyond repair, whoever runs the test.
    QFile blocker(dir_.filePath("blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    EXPECT_FALSE(SaveUserSet(set, dir_.filePath("blocker/dir/UserSet.ini").toStdString()));
    EXPECT_TRUE(SaveUserSet(set, dir_.filePath("no/such/dir/UserSet.ini").toStdString()));
    EXPECT_EQ(set.bteUserSet[0], 0);
}

}  // namespace
}  // namespace redten
