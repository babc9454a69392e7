// Runs inside tests/keyring/in-session.sh: a private D-Bus session with a
// keyring made for the test ("keyring"), with none ("none") or with one that
// never answers ("stopped"). Each ctest entry runs the suite of its mode.
#include "model/KeyringSettings.h"
#include "cli/CliRunner.h"
#include "model/Keyring.h"
#include "model/Settings.h"

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>

using lockleaf::Keyring;
using lockleaf::KeyringReply;
using lockleaf::KeyringSettings;
using lockleaf::Settings;
using State = lockleaf::KeyringSettings::State;

namespace
{

constexpr int kWaitMs = 20000; // a bound for a hang, never a speed check

// What the Secret Service holds for one entry, through libsecret's own tool.
QString lookup(const QString &kind)
{
    QProcess tool;
    tool.start(QStringLiteral("secret-tool"), {"lookup", "server", "Lockleaf", "user", kind});
    if (!tool.waitForFinished(10000)) {
        tool.kill();
        tool.waitForFinished();
        return QStringLiteral("<no answer>");
    }
    QString value = QString::fromUtf8(tool.readAllStandardOutput());
    if (value.endsWith(QLatin1Char('\n')))
        value.chop(1);
    return tool.exitCode() == 0 ? value : QStringLiteral("<none>");
}

bool holds(const QVariant &value, const QString &text)
{
    if (value.typeId() == QMetaType::QVariantMap) {
        const QVariantMap map = value.toMap();
        return std::any_of(map.cbegin(), map.cend(), [&](const QVariant &v) { return holds(v, text); });
    }
    if (value.typeId() == QMetaType::QStringList || value.typeId() == QMetaType::QVariantList) {
        const QVariantList list = value.toList();
        return std::any_of(list.cbegin(), list.cend(), [&](const QVariant &v) { return holds(v, text); });
    }
    return value.toString().contains(text);
}

// Whether the settings file holds `text` anywhere: in its bytes, or in any
// value once read (the dictionary is stored as an encoded variant).
bool fileHolds(const QString &text)
{
    const QString path = Settings::openStore()->fileName();
    QFile file(path);
    if (file.open(QIODevice::ReadOnly) && file.readAll().contains(text.toUtf8()))
        return true;
    QSettings read(path, QSettings::IniFormat);
    const QStringList keys = read.allKeys();
    return std::any_of(keys.cbegin(), keys.cend(),
                       [&](const QString &key) { return holds(read.value(key), text); });
}

// Settings as an older build saved them: passwords in the file.
void storeOldSettings()
{
    const QVariantMap map = testsupport::savedSettings(
        {{"isBackupFile", false},
         {"pdfOpenPassword", "old-typed"},
         {"outputFolderPath", "/kept/folder"},
         {"passwords", QStringList{"old-a", "old-b"}},
         {"pdfSettings", testsupport::savedDocumentSettings({{"pdfOpenPassword", "old-doc-open"},
                                                             {"pdfPermissionPassword", "old-doc-perm"}})}});
    auto store = Settings::openStore();
    store->setValue("SETTINGS", map);
    store->sync();
}

const QStringList kOldSecrets{"old-doc-open", "old-doc-perm", "old-typed", "old-a", "old-b"};

struct Cli {
    int status = -1;
    QString out;
    QString err;
};

Cli runCli(const QStringList &args, const QByteArray &stdinBytes = {})
{
    Cli result;
    QTextStream out(&result.out);
    QTextStream err(&result.err);
    lockleaf::cli::CliIo io;
    io.out = &out;
    io.err = &err;
    io.readStdin = [stdinBytes] { return stdinBytes; };
    result.status = lockleaf::cli::runCli(QStringList{"lockleaf-cli"} + args, io);
    out.flush();
    err.flush();
    return result;
}

class KeyringTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto store = Settings::openStore();
        store->clear();
        store->sync();
        if (qgetenv("KEYRING_MODE") == "keyring") {
            for (const QString &kind : KeyringSettings::kinds())
                ASSERT_EQ(Keyring().removeNow(kind).status, KeyringReply::Status::Ok);
        }
    }
};

using WithKeyring = KeyringTest;
using NoKeyring = KeyringTest;
using StoppedKeyring = KeyringTest;

TEST_F(WithKeyring, changedPasswords_goToTheKeyring_andNeverToTheFile)
{
    {
        Settings settings(true);
        KeyringSettings keyring(&settings);
        keyring.load();
        ASSERT_TRUE(QTest::qWaitFor([&] { return keyring.state() != State::Checking; }, kWaitMs));
        ASSERT_EQ(keyring.state(), State::InKeyring) << keyring.problem().toStdString();
        // Nothing to keep yet: no entry is made (a first one may make the desktop ask for a keyring).
        QTest::qWait(500);
        EXPECT_EQ(lookup("passwords"), "<none>");
        EXPECT_EQ(lookup("pdfOpenPassword"), "<none>");
        settings.setOutputFolderPath("/out/here");
        settings.setPasswords({"list-one", "list two"});
        settings.setPdfOpenPassword("typed-open");
        settings.pdfSettings()->setPdfOpenPassword("doc-open");
        settings.pdfSettings()->setPdfPermissionPassword("doc-perm");
        // Written without waiting for the quit.
        EXPECT_TRUE(QTest::qWaitFor([] { return lookup("pdfSettings/pdfPermissionPassword") == "doc-perm"; },
                                    kWaitMs));
        settings.setPdfOpenPassword("typed-later"); // still unwritten at the quit
        keyring.flush();
        ASSERT_TRUE(settings.synchronize());
    }
    EXPECT_EQ(lookup("passwords"), R"(["list-one","list two"])");
    EXPECT_EQ(lookup("pdfOpenPassword"), "typed-later");
    EXPECT_EQ(lookup("pdfSettings/pdfOpenPassword"), "doc-open");
    EXPECT_TRUE(fileHolds("/out/here"));
    for (const char *secret : {"list-one", "list two", "typed-open", "typed-later", "doc-open", "doc-perm"})
        EXPECT_FALSE(fileHolds(secret)) << secret;

    Settings again(true);
    KeyringSettings keyring(&again);
    keyring.loadNow();
    EXPECT_EQ(again.passwords(), QStringList({"list-one", "list two"}));
    EXPECT_EQ(again.pdfOpenPassword(), "typed-later");
    EXPECT_EQ(again.pdfSettings()->pdfPermissionPassword(), "doc-perm");
}

TEST_F(WithKeyring, oldSettingsFile_movesIn_joiningWhatTheKeyringHeld)
{
    ASSERT_EQ(Keyring().writeNow("passwords", R"(["kept","old-b"])").status, KeyringReply::Status::Ok);
    storeOldSettings();
    Settings settings(true);
    KeyringSettings keyring(&settings);
    keyring.load();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fileHolds("old-a"); }, kWaitMs));
    EXPECT_EQ(keyring.state(), State::InKeyring);
    EXPECT_EQ(settings.passwords(), QStringList({"kept", "old-b", "old-a"}));
    EXPECT_EQ(lookup("passwords"), R"(["kept","old-b","old-a"])");
    EXPECT_EQ(lookup("pdfOpenPassword"), "old-typed");
    EXPECT_EQ(lookup("pdfSettings/pdfOpenPassword"), "old-doc-open");
    EXPECT_EQ(lookup("pdfSettings/pdfPermissionPassword"), "old-doc-perm");
    for (const QString &secret : kOldSecrets)
        EXPECT_FALSE(fileHolds(secret)) << secret.toStdString();
    // Everything else stays as it was.
    Settings reread(false);
    reread.setData(Settings::openStore()->value("SETTINGS"));
    EXPECT_EQ(reread.outputFolderPath(), "/kept/folder");
    EXPECT_EQ(reread.securityType(), 1);
    EXPECT_FALSE(reread.isBackupFile());
}

TEST_F(WithKeyring, cliPasswords_shareTheSavedList_andReadPasswordsFromStdinOnly)
{
    EXPECT_EQ(runCli({"passwords", "add"}, "cli secret\n").status, 0);
    EXPECT_EQ(runCli({"passwords", "add"}, "second\r\n").status, 0);
    EXPECT_EQ(lookup("passwords"), R"(["cli secret","second"])");
    EXPECT_EQ(runCli({"passwords", "add", "in-argv"}).status, 2);
    EXPECT_EQ(runCli({"passwords", "add"}, "").status, 2);
    const Cli list = runCli({"passwords", "list"});
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out, "2 saved passwords\n");
    EXPECT_EQ(runCli({"passwords", "list", "--show"}).out, "2 saved passwords\ncli secret\nsecond\n");
    EXPECT_EQ(runCli({"passwords", "remove"}, "not saved\n").status, 1);
    EXPECT_EQ(runCli({"passwords", "remove"}, "cli secret\n").status, 0);
    EXPECT_EQ(lookup("passwords"), R"(["second"])");
    EXPECT_FALSE(fileHolds("second"));
}

TEST_F(WithKeyring, unsecureWithSavedPasswords_triesThemAfterTheGivenOnes)
{
    testsupport::TempDir dir;
    const QString source = dir.file("locked.pdf");
    testsupport::makeEncryptedPdf(source, "saved-open", "saved-owner", 256);
    ASSERT_EQ(runCli({"passwords", "add"}, "saved-owner\n").status, 0);
    const QString out = dir.file("out");
    ASSERT_TRUE(QDir().mkpath(out));
    EXPECT_EQ(runCli({"unsecure", "-p", "wrong", "-o", out, source}).status, 1);
    const Cli run = runCli({"unsecure", "-p", "wrong", "--saved-passwords", "-o", out, source});
    EXPECT_EQ(run.status, 0) << run.out.toStdString() << run.err.toStdString();
    int exitCode = -1;
    EXPECT_TRUE(
        testsupport::showEncryption(dir.file("out/locked.pdf"), {}, &exitCode).contains("not encrypted"));
    EXPECT_EQ(runCli({"secure", "--saved-passwords", "--open-password", "x", "-o", out, source}).status, 2);
}

TEST_F(NoKeyring, passwordsStayInTheFile_unlessKeptForTheSessionOnly)
{
    storeOldSettings();
    Settings settings(true);
    KeyringSettings keyring(&settings);
    keyring.load();
    ASSERT_TRUE(QTest::qWaitFor([&] { return keyring.state() != State::Checking; }, kWaitMs));
    EXPECT_EQ(keyring.state(), State::NoKeyring);
    EXPECT_FALSE(keyring.problem().isEmpty());
    EXPECT_EQ(settings.passwords(), QStringList({"old-a", "old-b"}));
    settings.appendPassword("new-one");
    keyring.flush();
    ASSERT_TRUE(settings.synchronize());
    for (const QString &secret : kOldSecrets + QStringList{"new-one"})
        EXPECT_TRUE(fileHolds(secret)) << secret.toStdString();

    keyring.setSessionOnly(true);
    ASSERT_TRUE(settings.synchronize());
    for (const QString &secret : kOldSecrets + QStringList{"new-one"})
        EXPECT_FALSE(fileHolds(secret)) << secret.toStdString();
    EXPECT_EQ(settings.passwords(), QStringList({"old-a", "old-b", "new-one"})); // for this session
    EXPECT_TRUE(fileHolds("/kept/folder"));
}

TEST_F(NoKeyring, cliPasswords_useTheFile_andSayWhy)
{
    const Cli add = runCli({"passwords", "add"}, "file-kept\n");
    EXPECT_EQ(add.status, 0);
    EXPECT_TRUE(add.err.contains("no system keyring")) << add.err.toStdString();
    EXPECT_TRUE(fileHolds("file-kept"));
    EXPECT_EQ(runCli({"passwords", "list", "--show"}).out, "1 saved password\nfile-kept\n");

    Settings::openStore()->setValue("KEEPPASSWORDSFORSESSION", true);
    const Cli refused = runCli({"passwords", "add"}, "not-kept\n");
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains("nothing was saved")) << refused.err.toStdString();
}

TEST_F(StoppedKeyring, aKeyringThatNeverAnswers_fallsBackToTheFile)
{
    Keyring::setTimeout(std::chrono::milliseconds(1500));
    storeOldSettings();
    Settings settings(true);
    KeyringSettings keyring(&settings);
    keyring.load();
    ASSERT_TRUE(QTest::qWaitFor([&] { return keyring.state() != State::Checking; }, kWaitMs));
    EXPECT_EQ(keyring.state(), State::NoKeyring);
    EXPECT_EQ(settings.passwords(), QStringList({"old-a", "old-b"}));
    ASSERT_TRUE(settings.synchronize());
    for (const QString &secret : kOldSecrets)
        EXPECT_TRUE(fileHolds(secret)) << secret.toStdString();
    // Not waited on again: the CLI answers from the file.
    const Cli list = runCli({"passwords", "list"});
    EXPECT_EQ(list.out, "2 saved passwords\n");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("KEYRING_MODE")) {
        std::fprintf(stderr, "run through tests/keyring/in-session.sh\n");
        return 1;
    }
    return RUN_ALL_TESTS();
}
