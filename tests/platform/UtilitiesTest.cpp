#include "platform/Utilities.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>

using namespace lockleaf;

namespace
{

[[maybe_unused]] ::testing::Environment *const kHome =
    ::testing::AddGlobalTestEnvironment(new testsupport::IsolatedHome);

} // namespace

TEST(Utilities, createApplicationUsersFolder_makesUserOnlyFolders_andLeavesExistingOnesAlone)
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    ASSERT_TRUE(base.startsWith(QDir::homePath())) << base.toStdString();
    ASSERT_EQ(getAppPath(), base + "/Corvalen/Lockleaf1");

    QString error;
    ASSERT_TRUE(createApplicationUsersFolder("", &error)) << error.toStdString();
    ASSERT_TRUE(createApplicationUsersFolder("Logs", &error)) << error.toStdString();
    EXPECT_EQ(testsupport::fileMode(base + "/Corvalen").mode, 0700);
    EXPECT_EQ(testsupport::fileMode(getAppPath()).mode, 0700);
    EXPECT_EQ(testsupport::fileMode(getAppPath() + "/Logs").mode, 0700);

    // An existing folder is not touched: its mode and content stay.
    QFile::setPermissions(getAppPath() + "/Logs", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                      QFile::ReadOther | QFile::ExeOther);
    testsupport::writeFile(getAppPath() + "/Logs/old.xml", "<log/>");
    EXPECT_TRUE(createApplicationUsersFolder("Logs", &error));
    EXPECT_EQ(testsupport::fileMode(getAppPath() + "/Logs").mode, 0705);
    EXPECT_EQ(testsupport::readFile(getAppPath() + "/Logs/old.xml"), QByteArray("<log/>"));
}

TEST(Utilities, createApplicationUsersFolder_plainFileInTheWay_failsWithReason)
{
    ASSERT_TRUE(createApplicationUsersFolder(""));
    const QString blocker = getAppPath() + "/Blocked";
    testsupport::writeFile(blocker, "file");

    QString error;
    EXPECT_FALSE(createApplicationUsersFolder("Blocked", &error));
    EXPECT_TRUE(error.contains(blocker)) << error.toStdString();
    EXPECT_FALSE(createApplicationUsersFolder("Blocked/Logs", &error)); // under a regular file
    EXPECT_FALSE(createApplicationUsersFolder("Blocked"));              // no error wanted: still false
    EXPECT_EQ(testsupport::readFile(blocker), QByteArray("file"));
}

TEST(Utilities, getAppTitle_appendsSuffixDirectly)
{
    EXPECT_EQ(getAppTitle(), "Lockleaf");
    EXPECT_EQ(getAppTitle(""), "Lockleaf");
    EXPECT_EQ(getAppTitle(" Help"), "Lockleaf Help");
}

TEST(Utilities, getStringFromDateFormat_formatsAFixedLocalInstant)
{
    const QDateTime afternoon(QDate(2026, 12, 5), QTime(14, 3, 9));
    EXPECT_EQ(getStringFromDateFormat("%d%m%Y%H%M%S", afternoon), "05122026140309");
    EXPECT_EQ(getStringFromDateFormat("%y %I %p %b %B %a %A %j %%", afternoon),
              "26 02 PM Dec December Sat Saturday 339 %");
    EXPECT_EQ(getStringFromDateFormat("%F %T %D %e", afternoon), "2026-12-05 14:03:09 12/05/26  5");

    const QDateTime pastMidnight(QDate(2027, 1, 3), QTime(0, 5, 0));
    EXPECT_EQ(getStringFromDateFormat("%I:%M %p %j %u %w", pastMidnight), "12:05 AM 003 7 0");
    // Unknown or unfinished specifiers pass through as they stand.
    EXPECT_EQ(getStringFromDateFormat("backup-%Q-%", afternoon), "backup-%Q-%");
}
