#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/resource_path.h"

namespace redten {
namespace {

TEST(ResolveResourcePath, MatchesEachComponentWhateverItsCase) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("Res/ResPk"));
    QFile file(dir.filePath("Res/ResPk/Pk0.bmp"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();

    const std::string base = dir.path().toStdString() + "/";
    const QString expected = dir.filePath("Res/ResPk/Pk0.bmp");
    EXPECT_EQ(ResolveResourcePath(base, "Res\\ResPk\\Pk0.bmp"), expected);
    EXPECT_EQ(ResolveResourcePath(base, "res\\RESPK\\pk0.BMP"), expected);
    EXPECT_EQ(ResolveResourcePath(dir.path().toStdString(), "res/respk/pk0.bmp"), expected);

    const QString missing = ResolveResourcePath(base, "res\\Nothing\\x.bmp");
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_TRUE(missing.endsWith("/Res/Nothing/x.bmp"));
}

}  // namespace
}  // namespace redten
