#include "model/Settings.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using lockleaf::Settings;
using testsupport::savedSettings;

namespace
{

[[maybe_unused]] ::testing::Environment *const kHome =
    ::testing::AddGlobalTestEnvironment(new testsupport::IsolatedHome);

class SettingsTest : public ::testing::Test
{
protected:
    void SetUp() override { storeRaw(QVariant()); }

    static void storeRaw(const QVariant &value)
    {
        auto store = Settings::openStore();
        store->clear();
        if (value.isValid())
            store->setValue("SETTINGS", value);
        store->sync();
    }
};

} // namespace

TEST_F(SettingsTest, firstLaunch_orNonDictionaryStored_givesDefaults)
{
    for (const QVariant &stored : {QVariant(), QVariant(QString("garbage")), QVariant(QVariantList{1, 2})}) {
        storeRaw(stored);
        Settings s;
        EXPECT_EQ(s.securityType(), 0);
        EXPECT_TRUE(s.isAutoAddCorrectPasswordToPasswordList());
        EXPECT_TRUE(s.isBackupFile());
        EXPECT_TRUE(s.isSetCurrentAsDefaultOutputFolderPath());
        EXPECT_TRUE(s.isOpenFolderAfterConversion());
        EXPECT_FALSE(s.isClearProcessedFiles());
        EXPECT_TRUE(s.passwords().isEmpty());
        EXPECT_EQ(s.outputFolderPath(), "");
        EXPECT_TRUE(s.pdfSettings()->canPrint());
        EXPECT_EQ(s.pdfSettings()->encryptionStrength(), 2); // AES-256 on a first launch
    }
}

TEST_F(SettingsTest, synchronizeThenLoad_roundTripsEveryField)
{
    {
        Settings s(false);
        s.setSecurityType(1);
        s.setIsAutoAddCorrectPasswordToPasswordList(false);
        s.setIsBackupFile(false);
        s.setIsOpenFolderAfterConversion(false);
        s.setIsClearProcessedFiles(true);
        s.setPdfOpenPassword("pässwörd");
        s.setOutputFolderPath("/tmp/out folder");
        s.setPasswords({"b", "a", "c"});
        s.pdfSettings()->setCanPrint(false);
        s.pdfSettings()->setCanFillForms(true);
        s.pdfSettings()->setEncryptionStrength(0);
        s.pdfSettings()->setPdfPermissionPassword("owner");
        s.synchronize();
    }
    Settings loaded;
    EXPECT_EQ(loaded.securityType(), 1);
    EXPECT_FALSE(loaded.isAutoAddCorrectPasswordToPasswordList());
    EXPECT_FALSE(loaded.isBackupFile());
    EXPECT_FALSE(loaded.isOpenFolderAfterConversion());
    EXPECT_TRUE(loaded.isClearProcessedFiles());
    EXPECT_TRUE(loaded.isSetCurrentAsDefaultOutputFolderPath());
    EXPECT_EQ(loaded.pdfOpenPassword(), "pässwörd");
    EXPECT_EQ(loaded.outputFolderPath(), "/tmp/out folder");
    EXPECT_EQ(loaded.passwords(), QStringList({"b", "a", "c"}));
    EXPECT_FALSE(loaded.pdfSettings()->canPrint());
    EXPECT_TRUE(loaded.pdfSettings()->canFillForms());
    EXPECT_EQ(loaded.pdfSettings()->encryptionStrength(), 0); // a saved 40-bit choice stays

    // The saved form: exactly the ten keys; the nested document entries are
    // the document-settings suite's.
    const QVariantMap map = Settings::openStore()->value("SETTINGS").toMap();
    EXPECT_EQ(
        QStringList(map.keys()),
        QStringList({"isAutoAddCorrectPasswordToPasswordList", "isBackupFile", "isClearProcessedFiles",
                     "isOpenFolderAfterConversion", "isSetCurrentAsDefaultOutputFolderPath",
                     "outputFolderPath", "passwords", "pdfOpenPassword", "pdfSettings", "securityType"}));

    EXPECT_TRUE(loaded.appendPassword("d")); // a loaded list takes new passwords at its end
    EXPECT_EQ(loaded.passwords(), QStringList({"b", "a", "c", "d"}));
}

TEST_F(SettingsTest, synchronize_storeIsReadableByTheUserOnly)
{
    Settings s(false);
    s.setPasswords({"secret"});
    s.synchronize();
    const QString file = Settings::openStore()->fileName();
    ASSERT_TRUE(file.startsWith(QDir::homePath() + "/.qttest/"))
        << "store not isolated: " << file.toStdString();
    EXPECT_EQ(testsupport::fileMode(file).mode, 0600);
    EXPECT_EQ(testsupport::fileMode(QFileInfo(file).absolutePath()).mode, 0700);

    // A store left readable by others is tightened on the next save.
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::ReadGroup);
    s.synchronize();
    EXPECT_EQ(testsupport::fileMode(file).mode, 0600);
}

TEST_F(SettingsTest, synchronize_unwritableStore_isLoggedNotSilent)
{
    const QString folder = QFileInfo(Settings::openStore()->fileName()).absolutePath();
    // Running as root, permission bits do not stop writes: a plain file stands
    // where the store's folder should be.
    ASSERT_TRUE(QDir(folder).removeRecursively());
    testsupport::writeFile(folder, "not a folder");

    testsupport::LogCapture log;
    Settings s(false);
    s.synchronize();
    EXPECT_TRUE(log.contains("Error in (Settings=>synchronize) : ")) << log.lines().join("\n").toStdString();
    EXPECT_EQ(testsupport::readFile(folder), QByteArray("not a folder"));
    QFile::remove(folder);
}

TEST_F(SettingsTest, outputFolderRule_onLoad)
{
    struct Case {
        QString folder;
        bool remember;
        QString expectedFolder;
        bool expectedRemember;
    };
    const QList<Case> cases = {
        {"/out", true, "/out", true}, {"/out", false, "", false}, {"", true, "", false}};
    for (const Case &c : cases) {
        storeRaw(savedSettings(
            {{"outputFolderPath", c.folder}, {"isSetCurrentAsDefaultOutputFolderPath", c.remember}}));
        Settings s;
        EXPECT_EQ(s.outputFolderPath(), c.expectedFolder) << c.folder.toStdString() << c.remember;
        EXPECT_FALSE(s.outputFolderPath().isNull());
        EXPECT_EQ(s.isSetCurrentAsDefaultOutputFolderPath(), c.expectedRemember) << c.folder.toStdString();
    }
}

TEST_F(SettingsTest, setData_missingKeys_giveZeroFalseAbsent)
{
    Settings s(false);
    s.setPasswords({"x"});
    s.pdfSettings()->setCanPrint(false);
    s.setData(QVariantMap{});
    EXPECT_EQ(s.securityType(), 0);
    EXPECT_FALSE(s.isBackupFile());
    EXPECT_FALSE(s.isAutoAddCorrectPasswordToPasswordList());
    EXPECT_FALSE(s.isSetCurrentAsDefaultOutputFolderPath());
    EXPECT_TRUE(s.pdfOpenPassword().isNull());
    EXPECT_TRUE(s.outputFolderPath().isNull());
    EXPECT_TRUE(s.passwords().isEmpty());
    EXPECT_FALSE(s.pdfSettings()->canPrint()); // no "pdfSettings": the document settings stay
    EXPECT_TRUE(s.appendPassword("new"));

    EXPECT_EQ(s.getData().toMap().value("pdfOpenPassword"), QVariant(QString("")));
    EXPECT_FALSE(s.pdfOpenPassword().isNull()); // filled in on the record too

    QVariantMap map = savedSettings({});
    map.remove("isBackupFile");
    s.setData(map);
    EXPECT_FALSE(s.isBackupFile());
    EXPECT_TRUE(s.isOpenFolderAfterConversion());
}

TEST_F(SettingsTest, setData_wrongTypedValue_isLogged_earlierFieldsNew_laterOld_noFolderRule)
{
    Settings s(false); // options on, empty folder
    s.setIsClearProcessedFiles(true);
    s.setPasswords({"keep"});
    testsupport::LogCapture log;
    s.setData(savedSettings({{"isAutoAddCorrectPasswordToPasswordList", QVariantList{true}},
                             {"isOpenFolderAfterConversion", false},
                             {"isClearProcessedFiles", false},
                             {"passwords", QStringList{"lost"}},
                             {"pdfSettings", QVariantMap{{"canPrint", false}}}}));

    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().startsWith("Error in (Settings=>setData:) : "))
        << log.lines().first().toStdString();
    EXPECT_EQ(s.securityType(), 1);                // before the bad key: new
    EXPECT_FALSE(s.isOpenFolderAfterConversion()); // before the bad key: new
    EXPECT_TRUE(s.isAutoAddCorrectPasswordToPasswordList());
    EXPECT_TRUE(s.isClearProcessedFiles()); // after: old
    EXPECT_EQ(s.passwords(), QStringList({"keep"}));
    EXPECT_TRUE(s.pdfSettings()->canPrint());
    EXPECT_TRUE(s.isSetCurrentAsDefaultOutputFolderPath()); // the rule would have cleared it
}

TEST_F(SettingsTest, setData_listsAndDictionariesInTheWrongPlace)
{
    for (const QVariantMap &map : {savedSettings({{"securityType", QVariantMap{{"a", 1}}}}),
                                   savedSettings({{"passwords", QString("one")}}),
                                   savedSettings({{"passwords", QVariantList{"ok", 5}}}),
                                   savedSettings({{"outputFolderPath", QVariantList{}}})}) {
        Settings s(false);
        testsupport::LogCapture log;
        s.setData(map);
        EXPECT_EQ(log.lines().size(), 1) << QVariant(map).toString().toStdString();
    }
    // A non-dictionary "pdfSettings" is simply ignored; a plain list of strings loads.
    Settings s(false);
    testsupport::LogCapture log;
    s.setData(savedSettings({{"pdfSettings", QString("x")}, {"passwords", QVariantList{"a", "b"}}}));
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_EQ(s.passwords(), QStringList({"a", "b"}));
}

TEST_F(SettingsTest, appendPassword_skipsEmptyAndDuplicates_keepsOrder)
{
    Settings s(false);
    EXPECT_TRUE(s.appendPassword("one"));
    EXPECT_TRUE(s.appendPassword("two"));
    EXPECT_FALSE(s.appendPassword("one"));
    EXPECT_FALSE(s.appendPassword(""));
    EXPECT_FALSE(s.appendPassword(QString()));
    EXPECT_TRUE(s.appendPassword("One")); // passwords are case-sensitive
    EXPECT_EQ(s.passwords(), QStringList({"one", "two", "One"}));
}
