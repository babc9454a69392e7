// lockleaf-cli --password-map: each file with its own passwords, read back by qpdf.

#include "CliRunFixture.h"
#include "support/TestSupport.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace testsupport;

namespace
{

class CliPasswordMap : public CliRunFixture
{
protected:
    void SetUp() override
    {
        CliRunFixture::SetUp();
        QDir(tmp.path()).mkpath("plain");
    }
    static bool opensWith(const QString &path, const QString &password)
    {
        return encryptionJson(path, password.toUtf8()).value("userpasswordmatched").toBool();
    }
};

} // namespace

// Secured each with its own password, then unsecured with the same map and no
// other password: the map is what opens them.
TEST_F(CliPasswordMap, hundredFiles_eachOpensWithItsOwnPasswordOnly_andTheMapUnsecuresThem)
{
    constexpr int kFiles = 100;
    QByteArray map;
    for (int i = 0; i < kFiles; ++i) {
        const QString name = QString("payslip-%1.pdf").arg(i, 3, 10, QChar('0'));
        makePdf(in(name));
        // Relative paths are taken from the current folder; Windows line ends as exported.
        map += (i % 2 ? in(name) : "in/" + name).toUtf8() + "\tpw-" + QByteArray::number(i) + " é\r\n";
    }
    QDir::setCurrent(tmp.path());
    RunResult r = cli({"secure", "--password-map", "-", "--key-length", "256", "-o", out(), in("")}, map);
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_FALSE(r.out.contains("pw-")) << "no password is ever printed";
    for (int i = 0; i < kFiles; ++i) {
        const QString output = out(QString("payslip-%1.pdf").arg(i, 3, 10, QChar('0')));
        SCOPED_TRACE(output.toStdString());
        EXPECT_TRUE(opensWith(output, QString("pw-%1 é").arg(i)));
        EXPECT_FALSE(opensWith(output, QString("pw-%1 é").arg((i + 1) % kFiles)));
    }

    QByteArray outMap = map;
    outMap.replace("in/", "out/");
    outMap.replace(tmp.file("in").toUtf8(), tmp.file("out").toUtf8());
    r = cli({"unsecure", "--password-map", "-", "-o", tmp.file("plain"), out()}, outMap);
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_EQ(r.out.count("Un-Secured Completed"), kFiles);
    EXPECT_FALSE(encryptionJson(tmp.file("plain/payslip-042.pdf")).value("encrypted").toBool());
}

// Whatever is wrong with the map stops the command before anything is
// written, naming the line and never the password.
TEST_F(CliPasswordMap, mapProblems_exitTwoWithTheLine_beforeAnythingIsWritten)
{
    makePdf(in("a.pdf"));
    makePdf(in("b.pdf"));
    const QString a = in("a.pdf").toUtf8();
    const QString b = in("b.pdf").toUtf8();
    struct Case {
        const char *name;
        QString map;
        QStringList extra;
        QString expected;
    };
    const Case cases[] = {
        {"malformed",
         a + "\tsecret-a\n" + b + " secret-b\n",
         {"--open-password", "g"},
         "line 2: malformed line"},
        {"missing password", a + "\t\n", {"--open-password", "g"}, "line 1: missing password"},
        {"not in the run",
         a + "\tsecret-a\n" + tmp.file("in/c.pdf") + "\tsecret-c\n",
         {"--open-password", "g"},
         "line 2: its path names no file of this run"},
        // The password stands where the path should be: the message names the field, not its value.
        {"columns swapped",
         a + "\tsecret-a\n" + "secret-swapped\t" + b + "\n",
         {"--open-password", "g"},
         "line 2: its path names no file of this run"},
        {"beyond the key",
         a + "\tsecret-a\n" + b + "\tsecret-\u043f\n",
         {"--key-length", "40", "--open-password", "g"},
         "line 2: Open password:"},
        {"restriction bound to nobody",
         a + "\tsecret-a\n" + b + "\tsecret-b\towner-b\n",
         {"--no-copy"},
         "line 1: Printing or copying can only be forbidden with a permission password"},
        {"a file without any password", a + "\tsecret-a\n", {}, "no password for " + b},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const RunResult r =
            cli(QStringList{"secure", "--password-map", "-", "-o", out(), in("")} + c.extra, c.map.toUtf8());
        EXPECT_EQ(r.exitCode, 2);
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(c.expected)) << r.err.constData();
        EXPECT_FALSE(r.err.contains("secret") || r.out.contains("secret")) << r.err.constData();
        EXPECT_TRUE(QDir(out()).isEmpty());
    }

    // Files the map leaves out take the run's passwords.
    const RunResult r =
        cli({"secure", "--password-map", "-", "--open-password", "global", "-o", out(), in("")},
            (a + "\town\n").toUtf8());
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    EXPECT_TRUE(opensWith(out("a.pdf"), "own"));
    EXPECT_FALSE(opensWith(out("a.pdf"), "global"));
    EXPECT_TRUE(opensWith(out("b.pdf"), "global"));
}
