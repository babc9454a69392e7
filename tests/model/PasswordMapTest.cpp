#include "model/PasswordMap.h"

#include "support/TestSupport.h"

#include <QBuffer>
#include <QFile>

#include <gtest/gtest.h>

using namespace lockleaf;

namespace
{

// Problem lines as "line: reason", for one readable comparison.
QStringList problemLines(const PasswordMap &map)
{
    QStringList out;
    for (const PasswordMapProblem &p : map.problems)
        out.append(QString("%1: %2").arg(p.line).arg(p.reason));
    return out;
}

} // namespace

TEST(PasswordMap, representativeLines_takenLiterally_problemsByLineNumber)
{
    const char raw[] = "\xEF\xBB\xBF"                              // BOM of a spreadsheet export
                       "/pay/ann.pdf\tAnn 1!\r\n"                  // 1: Windows line end
                       "bob.pdf\t  spaced \"quoted\"  \tOwner\r\n" // 2: relative, passwords kept as typed
                       "\r\n"                                      // 3: blank
                       "/pay/./x/../carl.pdf\t\tperm only\n"       // 4: permission password only
                       "\t\t\n"                                    // 5: an empty spreadsheet row
                       "/pay/dora.pdf\n"                           // 6: no tab
                       "/pay/eve.pdf\ta\tb\tc\n"                   // 7: too many fields
                       "\tpw\n"                                    // 8: empty path
                       "/pay/fay.pdf\t\t\n"                        // 9: no password at all
                       "/pay/gus.pdf\tcaf\xE9\n"                   // 10: Latin-1, not UTF-8
                       "/pay/ann.pdf\tAnn 1!\n"                    // 11: same again: fine
                       "/pay//ann.pdf\tother\n"                    // 12: same file, other password
                       "/pay/h\xC3\xA9l\xC3\xA8ne.pdf\t\xE5\xAF\x86\xE7\xA0\x81\r" // 13: a lone CR ends it
                       "/pay/ivy.pdf\tx\0y\n"                                      // 14: a NUL
                       "/pay/jo.pdf\tjo";                                          // 15: no final newline
    const PasswordMap map = parsePasswordMap(QByteArray(raw, sizeof raw - 1), "/base/dir");

    EXPECT_EQ(problemLines(map),
              (QStringList{"6: malformed line: no tab between the path and the password",
                           "7: malformed line: 4 fields, at most 3 expected", "8: empty path",
                           "9: missing password", "10: not valid UTF-8 text",
                           "12: other passwords for a file already given on line 1",
                           "14: a NUL character in the line"}));
    ASSERT_EQ(map.entries.size(), 5);
    const PasswordMapEntry ann = map.entries.value("/pay/ann.pdf");
    EXPECT_EQ(ann.openPassword, "Ann 1!");
    EXPECT_EQ(ann.permissionPassword, "");
    EXPECT_EQ(ann.line, 1);
    const PasswordMapEntry bob = map.entries.value("/base/dir/bob.pdf");
    EXPECT_EQ(bob.openPassword, "  spaced \"quoted\"  ");
    EXPECT_EQ(bob.permissionPassword, "Owner");
    const PasswordMapEntry carl = map.entries.value("/pay/carl.pdf");
    EXPECT_EQ(carl.openPassword, "");
    EXPECT_EQ(carl.permissionPassword, "perm only");
    EXPECT_EQ(carl.line, 4);
    EXPECT_EQ(map.entries.value(QString::fromUtf8("/pay/hélène.pdf")).openPassword,
              QString::fromUtf8("密码"));
    EXPECT_EQ(map.entries.value("/pay/jo.pdf").openPassword, "jo");
    EXPECT_EQ(map.entries.value("/pay/jo.pdf").line, 15);
    EXPECT_FALSE(map.isClean());

    // Lookups go through the same normalisation.
    EXPECT_TRUE(map.entries.contains(normalisedMapPath("../bob.pdf", "/base/dir/sub")));
}

TEST(PasswordMap, hundredFiles_eachWithItsOwnPasswords_readFromAFile)
{
    testsupport::TempDir dir;
    QByteArray text;
    for (int i = 1; i <= 100; ++i)
        text += QString("statements/%1.pdf\topen-%1\tperm-%1\r\n").arg(i, 3, 10, QChar('0')).toUtf8();
    testsupport::writeFile(dir.file("map.tsv"), text);

    QFile file(dir.file("map.tsv"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const PasswordMap map = readPasswordMap(file, dir.path());
    EXPECT_TRUE(map.isClean()) << problemLines(map).join('\n').toStdString();
    ASSERT_EQ(map.entries.size(), 100);
    for (int i = 1; i <= 100; ++i) {
        const QString n = QString("%1").arg(i, 3, 10, QChar('0'));
        const QString key = normalisedMapPath(dir.file("statements/" + n + ".pdf"), "/elsewhere");
        ASSERT_TRUE(map.entries.contains(key)) << key.toStdString();
        EXPECT_EQ(map.entries.value(key).openPassword, "open-" + n);
        EXPECT_EQ(map.entries.value(key).permissionPassword, "perm-" + n);
        EXPECT_EQ(map.entries.value(key).line, i);
    }
}

TEST(PasswordMap, unreadableOrOversizedDevice_isOneProblemAndNoEntries)
{
    QBuffer closed;
    const PasswordMap unread = readPasswordMap(closed, "/");
    ASSERT_EQ(unread.problems.size(), 1);
    EXPECT_EQ(unread.problems.first().line, 0);
    EXPECT_TRUE(unread.entries.isEmpty());

    // Excel's "Unicode Text" export.
    const PasswordMap utf16 = parsePasswordMap(QByteArray("\xFF\xFE/\0a\0\t\0p\0\r\0\n\0", 14), "/");
    ASSERT_EQ(utf16.problems.size(), 1);
    EXPECT_EQ(utf16.problems.first().line, 0);
    EXPECT_TRUE(utf16.entries.isEmpty());

    QByteArray big(kMaxPasswordMapBytes + 1, 'x');
    big.prepend("/a.pdf\tpw\n");
    QBuffer buffer(&big);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));
    const PasswordMap tooBig = readPasswordMap(buffer, "/");
    ASSERT_EQ(tooBig.problems.size(), 1);
    EXPECT_TRUE(tooBig.problems.first().reason.contains("larger than"))
        << tooBig.problems.first().reason.toStdString();
    EXPECT_TRUE(tooBig.entries.isEmpty());
}
