#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>
#include <sstream>

#include "game/brain_fixture.h"
#include "startup/user_set_dialog.h"
#include "wire/client_messages.h"

namespace redten::test {
namespace {

class UserSetDialog : public testing::Test {
protected:
    std::string path() const { return dir.filePath(kUserSetFileName).toStdString(); }
    std::string Read() const {
        std::ifstream in(path(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    frmUserSet* Open() { return new frmUserSet(set, path(), link, name); }

    QTemporaryDir dir;
    UserSet set;
    RecordingSender link;
    std::string name = "张三";
};

TEST_F(UserSetDialog, TheSpectatorSwitchIsToldToTheRoomOncePerChange) {
    frmUserSet* dialog = Open();
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(dialog->chkUser(i).isChecked()) << i;
    }
    dialog->chkUser(kSetAllowWatchCards).setChecked(false);
    dialog->cmdUser(1).click();
    EXPECT_EQ(Read(), " 0 \r\n 1 \r\n 1 \r\n 1 \r\n 1 \r\n");
    ASSERT_EQ(link.sent.size(), 1u);
    EXPECT_EQ(link.sent[0], MakeWatchSetting("张三", 0));

    Open()->cmdUser(1).click();  // again, unchanged
    EXPECT_EQ(link.sent.size(), 1u);
}

TEST_F(UserSetDialog, SoundsOffRewritesTheFileAndSendsNothing) {
    frmUserSet* dialog = Open();
    dialog->chkUser(kSetSoundOn).setChecked(false);
    dialog->cmdUser(1).click();
    EXPECT_EQ(Read(), " 1 \r\n 0 \r\n 1 \r\n 1 \r\n 1 \r\n");
    EXPECT_TRUE(link.sent.empty());
    EXPECT_EQ(set.bteUserSet[kSetSoundOn], 0);
}

TEST_F(UserSetDialog, DefaultsTickEverythingAndCancelChangesNothing) {
    set.bteUserSet = {0, 0, 0, 0, 0};
    frmUserSet* dialog = Open();
    EXPECT_FALSE(dialog->chkUser(3).isChecked());
    dialog->cmdUser(0).click();
    EXPECT_TRUE(dialog->chkUser(3).isChecked());
    dialog->cmdUser(2).click();
    EXPECT_EQ(set.bteUserSet, (std::array<std::uint8_t, 5>{0, 0, 0, 0, 0}));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path())));
}

TEST_F(UserSetDialog, AFailedSaveKeepsTheOldFileAndTheDialogSaysSo) {
    UserSet old;
    old.bteUserSet = {0, 1, 0, 1, 0};
    ASSERT_TRUE(SaveUserSet(old, path()));
    // The new file cannot be made where a directory of its name stands.
    QDir(dir.path()).mkdir(QString::fromStdString(std::string(kUserSetFileName) + ".new"));
    EXPECT_FALSE(SaveUserSet(set, path()));
    EXPECT_EQ(Read(), " 0 \r\n 1 \r\n 0 \r\n 1 \r\n 0 \r\n");

    QStringList failed;
    frmUserSet* dialog = Open();
    QObject::connect(dialog, &frmUserSet::SaveFailed, [&](const QString& p) { failed << p; });
    dialog->cmdUser(1).click();
    EXPECT_EQ(failed, QStringList{QString::fromStdString(path())});
}

TEST_F(UserSetDialog, AStagedTreeKeepsItsFileAndAnInstalledOneUsesThePersonsOwn) {
    const std::string app = dir.filePath("table/").toStdString();
    const std::string mine = dir.filePath("config/redten").toStdString();
    EXPECT_EQ(ChooseUserSetPath(app, mine, true), app + kUserSetFileName);
    const std::string personal = ChooseUserSetPath(app, mine, false);
    EXPECT_EQ(personal, mine + "/" + kUserSetFileName);
    // The first save makes the person's folder; from then on it wins even
    // where the program's directory could be written.
    set.bteUserSet = {1, 0, 1, 0, 1};
    ASSERT_TRUE(SaveUserSet(set, personal));
    EXPECT_EQ(ChooseUserSetPath(app, mine, true), personal);
    UserSet again;
    LoadUserSet(again, personal);
    EXPECT_EQ(again.bteUserSet, set.bteUserSet);
}

}  // namespace
}  // namespace redten::test
