#include "model/Settings.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using lockleaf::Settings;

namespace {

// Every test here talks to the real store. A private HOME keeps it apart from
// the user's settings and from other test programs running at the same time;
// it must be in place before the first QSettings is made.
class IsolatedHome final : public ::testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        qputenv("HOME", QFile::encodeName(m_home.path()));
        QStandardPaths::setTestModeEnabled(true);
    }

private:
    QTemporaryDir m_home;
};
[[maybe_unused]] ::testing::Environment *const kHome = ::testing::AddGlobalTestEnvironment(new IsolatedHome);

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto store = Settings::openStore();
        store->clear();
        store->sync();
    }

    static void storeRaw(const QVariant &value)
    {
        auto store = Settings::openStore();
        store->setValue("SETTINGS", value);
        store->sync();
    }

    static QVariantMap savedMap(const QVariantMap &overrides)
    {
        QVariantMap map{{"securityType", 1},
                        {"isSetCurrentAsDefaultOutputFolderPath", true},
                        {"isOpenFolderAfterConversion", true},
                        {"isAutoAddCorrectPasswordToPasswordList", true},
                        {"isBackupFile", true},
                        {"pdfOpenPassword", ""},
                        {"outputFolderPath", "/out"},
                        {"isClearProcessedFiles", false},
                        {"passwords", QStringList{}}};
        for (auto it = overrides.cbegin(); it != overrides.cend(); ++it)
            map.insert(it.key(), it.value());
        return map;
    }
};

int modeOf(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return -1;
    return static_cast<int>(st.st_mode & 0777);
}

} // namespace

TEST_F(SettingsTest, firstLaunch_noStoredSettings_givesDefaults)
{
    Settings s;
    EXPECT_EQ(s.securityType(), 0);
    EXPECT_TRUE(s.isAutoAddCorrectPasswordToPasswordList());
    EXPECT_TRUE(s.isBackupFile());
    EXPECT_TRUE(s.isSetCurrentAsDefaultOutputFolderPath());
    EXPECT_TRUE(s.isOpenFolderAfterConversion());
    EXPECT_FALSE(s.isClearProcessedFiles());
    EXPECT_TRUE(s.passwords().isEmpty());
    EXPECT_EQ(s.outputFolderPath(), "");
    EXPECT_EQ(s.pdfOpenPassword(), "");
    ASSERT_NE(s.pdfSettings(), nullptr);
    EXPECT_TRUE(s.pdfSettings()->canPrint());
    EXPECT_TRUE(s.pdfSettings()->canCopy());
    EXPECT_EQ(s.pdfSettings()->encryptionStrength(), 0);
}

TEST_F(SettingsTest, nonDictionaryStored_keepsDefaults)
{
    storeRaw(QString("garbage"));
    Settings fromString;
    EXPECT_TRUE(fromString.isBackupFile());
    EXPECT_TRUE(fromString.isSetCurrentAsDefaultOutputFolderPath());

    storeRaw(QVariantList{1, 2, 3});
    Settings fromList;
    EXPECT_TRUE(fromList.isBackupFile());
    EXPECT_EQ(fromList.securityType(), 0);
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
        s.pdfSettings()->setEncryptionStrength(1);
        s.pdfSettings()->setCanPrint(false);
        s.pdfSettings()->setPdfPermissionPassword("owner");
        s.pdfSettings()->setKeywords("k1 k2");
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
    EXPECT_EQ(loaded.pdfSettings()->encryptionStrength(), 1);
    EXPECT_FALSE(loaded.pdfSettings()->canPrint());
    EXPECT_TRUE(loaded.pdfSettings()->isSecuredPDF());
    EXPECT_EQ(loaded.pdfSettings()->keywords(), "k1 k2");

    // The saved form: exactly ten keys, the document settings nested as a dictionary.
    const QVariantMap saved = Settings::openStore()->value("SETTINGS").toMap();
    EXPECT_EQ(QStringList(saved.keys()),
              QStringList({"isAutoAddCorrectPasswordToPasswordList", "isBackupFile", "isClearProcessedFiles",
                           "isOpenFolderAfterConversion", "isSetCurrentAsDefaultOutputFolderPath",
                           "outputFolderPath", "passwords", "pdfOpenPassword", "pdfSettings", "securityType"}));
    EXPECT_EQ(saved.value("pdfSettings").toMap().size(), 10);

    // A loaded list accepts new passwords at once, at its end.
    EXPECT_TRUE(loaded.appendPassword("d"));
    EXPECT_EQ(loaded.passwords(), QStringList({"b", "a", "c", "d"}));
}

TEST_F(SettingsTest, synchronize_storeIsReadableByTheUserOnly)
{
    Settings s(false);
    s.setPasswords({"secret"});
    s.synchronize();
    const QString file = Settings::openStore()->fileName();
    ASSERT_TRUE(file.startsWith(QDir::homePath() + "/.qttest/")) << "store not isolated: " << file.toStdString();
    ASSERT_TRUE(QFileInfo::exists(file)) << file.toStdString();
    EXPECT_EQ(modeOf(file), 0600);
    EXPECT_EQ(modeOf(QFileInfo(file).absolutePath()), 0700);

    // A store left world-readable by an older build is tightened on next use.
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther | QFile::ReadGroup);
    s.synchronize();
    EXPECT_EQ(modeOf(file), 0600);
}

TEST_F(SettingsTest, synchronize_unwritableStore_isLoggedNotSilent)
{
    const QString file = Settings::openStore()->fileName();
    const QString folder = QFileInfo(file).absolutePath();
    // Running as root, permission bits do not stop writes: put a plain file
    // where the store's folder should be instead.
    ASSERT_TRUE(QDir(folder).removeRecursively());
    testsupport::writeFile(folder, "not a folder");

    testsupport::LogCapture log;
    Settings s(false);
    s.setSecurityType(1);
    s.synchronize();
    EXPECT_TRUE(log.contains("Error in (Settings=>synchronize) : ")) << log.lines().join("\n").toStdString();
    EXPECT_EQ(testsupport::readFile(folder), QByteArray("not a folder"));

    QFile::remove(folder);
}

TEST_F(SettingsTest, outputFolderRule_onLoad)
{
    {
        storeRaw(savedMap({{"outputFolderPath", "/out"}, {"isSetCurrentAsDefaultOutputFolderPath", true}}));
        Settings s;
        EXPECT_EQ(s.outputFolderPath(), "/out");
        EXPECT_TRUE(s.isSetCurrentAsDefaultOutputFolderPath());
    }
    {
        storeRaw(savedMap({{"outputFolderPath", "/out"}, {"isSetCurrentAsDefaultOutputFolderPath", false}}));
        Settings s;
        EXPECT_EQ(s.outputFolderPath(), "");
        EXPECT_FALSE(s.outputFolderPath().isNull());
        EXPECT_FALSE(s.isSetCurrentAsDefaultOutputFolderPath());
    }
    {
        storeRaw(savedMap({{"outputFolderPath", ""}, {"isSetCurrentAsDefaultOutputFolderPath", true}}));
        Settings s;
        EXPECT_EQ(s.outputFolderPath(), "");
        EXPECT_FALSE(s.isSetCurrentAsDefaultOutputFolderPath());
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
    EXPECT_FALSE(s.isOpenFolderAfterConversion());
    EXPECT_FALSE(s.isSetCurrentAsDefaultOutputFolderPath()); // absent folder switches it off
    EXPECT_TRUE(s.pdfOpenPassword().isNull());
    EXPECT_TRUE(s.outputFolderPath().isNull());
    EXPECT_TRUE(s.passwords().isEmpty());
    EXPECT_FALSE(s.pdfSettings()->canPrint()); // no "pdfSettings": the document settings stay

    EXPECT_TRUE(s.appendPassword("new"));
    EXPECT_EQ(s.passwords(), QStringList({"new"}));

    const QVariantMap out = s.getData().toMap();
    EXPECT_FALSE(out.value("pdfOpenPassword").toString().isNull());
    EXPECT_EQ(out.value("outputFolderPath").toString(), "");
    EXPECT_FALSE(s.pdfOpenPassword().isNull()); // filled in on the record too

    // Only "isBackupFile" missing: that one field loads as false.
    Settings t(false);
    QVariantMap map = savedMap({});
    map.remove("isBackupFile");
    t.setData(map);
    EXPECT_FALSE(t.isBackupFile());
    EXPECT_TRUE(t.isOpenFolderAfterConversion());
}

TEST_F(SettingsTest, setData_wrongTypedValue_isLogged_earlierFieldsNew_laterOld_noFolderRule)
{
    Settings s(false); // defaults: all options on, empty folder
    s.setIsClearProcessedFiles(true);
    s.setPasswords({"keep"});
    testsupport::LogCapture log;

    s.setData(savedMap({{"isAutoAddCorrectPasswordToPasswordList", QVariantList{true}},
                        {"isOpenFolderAfterConversion", false},
                        {"isClearProcessedFiles", false},
                        {"passwords", QStringList{"lost"}},
                        {"pdfSettings", QVariantMap{{"canPrint", false}}}}));

    ASSERT_EQ(log.lines().size(), 1);
    EXPECT_TRUE(log.lines().first().startsWith("Error in (Settings=>setData:) : "))
        << log.lines().first().toStdString();
    EXPECT_EQ(s.securityType(), 1);                 // before the bad key: new
    EXPECT_FALSE(s.isOpenFolderAfterConversion());  // before the bad key: new
    EXPECT_TRUE(s.isAutoAddCorrectPasswordToPasswordList()); // the bad key: old
    EXPECT_TRUE(s.isClearProcessedFiles());         // after: old
    EXPECT_EQ(s.passwords(), QStringList({"keep"}));
    EXPECT_TRUE(s.pdfSettings()->canPrint());
    // The folder rule would have switched the option off (folder is empty).
    EXPECT_TRUE(s.isSetCurrentAsDefaultOutputFolderPath());
}

TEST_F(SettingsTest, setData_badValuesUnderOtherKinds_areLogged)
{
    const QList<QVariantMap> bad = {
        savedMap({{"securityType", QVariantMap{{"a", 1}}}}),
        savedMap({{"passwords", QString("one")}}),
        savedMap({{"passwords", QVariantList{"ok", 5}}}),
        savedMap({{"outputFolderPath", QVariantList{}}}),
    };
    for (const QVariantMap &map : bad) {
        Settings s(false);
        testsupport::LogCapture log;
        s.setData(map);
        EXPECT_EQ(log.lines().size(), 1) << QVariant(map).toString().toStdString();
        EXPECT_TRUE(log.contains("Error in (Settings=>setData:) : "));
    }
    // A dictionary-free "pdfSettings" is ignored by the document settings, not an error.
    Settings s(false);
    testsupport::LogCapture log;
    s.setData(savedMap({{"pdfSettings", QString("x")}, {"passwords", QVariantList{"a", "b"}}}));
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_EQ(s.passwords(), QStringList({"a", "b"}));
}

TEST_F(SettingsTest, appendPassword_skipsEmptyAndDuplicates_keepsOrder)
{
    Settings s(false);
    QSignalSpy changed(&s, &Settings::passwordsChanged);
    EXPECT_TRUE(s.appendPassword("one"));
    EXPECT_TRUE(s.appendPassword("two"));
    EXPECT_FALSE(s.appendPassword("one"));
    EXPECT_FALSE(s.appendPassword(""));
    EXPECT_FALSE(s.appendPassword(QString()));
    EXPECT_TRUE(s.appendPassword("One")); // passwords are case-sensitive
    EXPECT_EQ(s.passwords(), QStringList({"one", "two", "One"}));
    EXPECT_EQ(changed.count(), 3);
}

TEST_F(SettingsTest, setData_signalsOnlyFieldsThatChange)
{
    Settings s(false);
    s.setData(savedMap({}));
    QSignalSpy folder(&s, &Settings::outputFolderPathChanged);
    QSignalSpy type(&s, &Settings::securityTypeChanged);
    s.setData(s.getData());
    EXPECT_EQ(folder.count(), 0);
    EXPECT_EQ(type.count(), 0);
    s.setData(savedMap({{"securityType", 0}}));
    EXPECT_EQ(type.count(), 1);
    EXPECT_EQ(folder.count(), 0);
}
