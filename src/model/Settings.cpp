#include "model/Settings.h"

#include "model/PlistValues.h"
#include "platform/SystemLog.h"
#include "platform/Utilities.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QSettings>

#include <exception>
#include <stdexcept>

namespace lockleaf
{

namespace
{

const QString kOrganisation = QStringLiteral("Corvalen");
const QString kApplication = QStringLiteral("Lockleaf");
const QString kSettingsKey = QStringLiteral("SETTINGS");

namespace key
{
const QString securityType = QStringLiteral("securityType");
const QString isSetCurrentAsDefaultOutputFolderPath = QStringLiteral("isSetCurrentAsDefaultOutputFolderPath");
const QString isOpenFolderAfterConversion = QStringLiteral("isOpenFolderAfterConversion");
const QString isAutoAddCorrectPasswordToPasswordList =
    QStringLiteral("isAutoAddCorrectPasswordToPasswordList");
const QString isBackupFile = QStringLiteral("isBackupFile");
const QString pdfOpenPassword = QStringLiteral("pdfOpenPassword");
const QString outputFolderPath = QStringLiteral("outputFolderPath");
const QString pdfSettings = QStringLiteral("pdfSettings");
const QString isClearProcessedFiles = QStringLiteral("isClearProcessedFiles");
const QString passwords = QStringLiteral("passwords");
} // namespace key

template <typename T> bool store(QMutex &mutex, T &field, const T &v)
{
    QMutexLocker lock(&mutex);
    const bool changed = !(field == v);
    field = v;
    return changed;
}

template <typename T> T load(QMutex &mutex, const T &field)
{
    QMutexLocker lock(&mutex);
    return field;
}

void fillAbsent(QMutex &mutex, QString &field)
{
    QMutexLocker lock(&mutex);
    if (field.isNull())
        field = QString("");
}

// The store holds passwords in plain text: keep its file to the user alone, and
// its folder too when the folder is ours (the organisation's, not a shared
// preferences folder). The file is made 0600 before the store first writes to
// it, so its content is never readable by others, and the store keeps those
// permissions when it rewrites the file. The stored format does not change.
void restrictStoreFile(const QSettings &settings)
{
    const QString path = settings.fileName();
    if (path.isEmpty())
        return;
    const QFileInfo file(path);
    const QString folder = file.absolutePath();
    bool ownFolder = QFileInfo(folder).fileName() == kOrganisation;
    if (ownFolder && !QFileInfo(folder).isDir())
        ownFolder = QDir().mkpath(folder); // fails when something else is in the way; sync() reports it
    if (ownFolder)
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
    const QFile::Permissions userOnly =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
    if (file.exists()) {
        QFile::setPermissions(path, userOnly);
    } else if (ownFolder) {
        QFile empty(path);
        if (empty.open(QIODevice::WriteOnly | QIODevice::NewOnly, userOnly))
            empty.close();
    }
}

} // namespace

Settings::Settings(bool load, QObject *parent)
    : QObject(parent), m_pdfOpenPassword(""), m_outputFolderPath(""), m_pdfSettings(new PDFSettings(this))
{
    if (!load)
        return;
    const std::unique_ptr<QSettings> settingsStore = openStore();
    const QVariant saved = settingsStore->value(kSettingsKey);
    if (saved.isValid())
        setData(saved);
}

Settings::~Settings() = default;

std::unique_ptr<QSettings> Settings::openStore()
{
    auto settingsStore = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                                     kOrganisation, kApplication);
    restrictStoreFile(*settingsStore);
    return settingsStore;
}

int Settings::securityType() const
{
    return load(m_mutex, m_securityType);
}
void Settings::setSecurityType(int v)
{
    if (store(m_mutex, m_securityType, v))
        Q_EMIT securityTypeChanged();
}

bool Settings::isAutoAddCorrectPasswordToPasswordList() const
{
    return load(m_mutex, m_isAutoAddCorrectPasswordToPasswordList);
}
void Settings::setIsAutoAddCorrectPasswordToPasswordList(bool v)
{
    if (store(m_mutex, m_isAutoAddCorrectPasswordToPasswordList, v))
        Q_EMIT isAutoAddCorrectPasswordToPasswordListChanged();
}

bool Settings::isBackupFile() const
{
    return load(m_mutex, m_isBackupFile);
}
void Settings::setIsBackupFile(bool v)
{
    if (store(m_mutex, m_isBackupFile, v))
        Q_EMIT isBackupFileChanged();
}

bool Settings::isSetCurrentAsDefaultOutputFolderPath() const
{
    return load(m_mutex, m_isSetCurrentAsDefaultOutputFolderPath);
}
void Settings::setIsSetCurrentAsDefaultOutputFolderPath(bool v)
{
    if (store(m_mutex, m_isSetCurrentAsDefaultOutputFolderPath, v))
        Q_EMIT isSetCurrentAsDefaultOutputFolderPathChanged();
}

bool Settings::isOpenFolderAfterConversion() const
{
    return load(m_mutex, m_isOpenFolderAfterConversion);
}
void Settings::setIsOpenFolderAfterConversion(bool v)
{
    if (store(m_mutex, m_isOpenFolderAfterConversion, v))
        Q_EMIT isOpenFolderAfterConversionChanged();
}

QString Settings::pdfOpenPassword() const
{
    return load(m_mutex, m_pdfOpenPassword);
}
void Settings::setPdfOpenPassword(const QString &v)
{
    if (store(m_mutex, m_pdfOpenPassword, v))
        Q_EMIT pdfOpenPasswordChanged();
}

QString Settings::outputFolderPath() const
{
    return load(m_mutex, m_outputFolderPath);
}
void Settings::setOutputFolderPath(const QString &v)
{
    if (store(m_mutex, m_outputFolderPath, v))
        Q_EMIT outputFolderPathChanged();
}

bool Settings::isClearProcessedFiles() const
{
    return load(m_mutex, m_isClearProcessedFiles);
}
void Settings::setIsClearProcessedFiles(bool v)
{
    if (store(m_mutex, m_isClearProcessedFiles, v))
        Q_EMIT isClearProcessedFilesChanged();
}

QStringList Settings::passwords() const
{
    return load(m_mutex, m_passwords);
}
void Settings::setPasswords(const QStringList &v)
{
    if (store(m_mutex, m_passwords, v))
        Q_EMIT passwordsChanged();
}

bool Settings::appendPassword(const QString &password)
{
    {
        // Test and append under one lock: a gathering thread and the dialog may
        // both add the password that just worked.
        QMutexLocker lock(&m_mutex);
        if (password.isEmpty() || m_passwords.contains(password))
            return false;
        m_passwords.append(password);
    }
    Q_EMIT passwordsChanged();
    return true;
}

QVariant Settings::getData()
{
    try {
        fillAbsent(m_mutex, m_pdfOpenPassword);
        fillAbsent(m_mutex, m_outputFolderPath);

        const QVariant documentSettings = m_pdfSettings->getData();
        if (!documentSettings.isValid())
            throw std::runtime_error("the document settings could not be read");

        QVariantMap map;
        map.insert(key::securityType, securityType());
        map.insert(key::isSetCurrentAsDefaultOutputFolderPath, isSetCurrentAsDefaultOutputFolderPath());
        map.insert(key::isOpenFolderAfterConversion, isOpenFolderAfterConversion());
        map.insert(key::isAutoAddCorrectPasswordToPasswordList, isAutoAddCorrectPasswordToPasswordList());
        map.insert(key::isBackupFile, isBackupFile());
        map.insert(key::pdfOpenPassword, pdfOpenPassword());
        map.insert(key::outputFolderPath, outputFolderPath());
        map.insert(key::pdfSettings, documentSettings);
        map.insert(key::isClearProcessedFiles, isClearProcessedFiles());
        map.insert(key::passwords, passwords());
        return map;
    } catch (const std::exception &e) {
        logError(QStringLiteral("Settings=>getData"), QString::fromUtf8(e.what()));
        return QVariant();
    }
}

void Settings::setData(const QVariant &data)
{
    if (!plist::isDictionary(data))
        return;
    const QVariantMap map = plist::toDictionary(data);
    try {
        setSecurityType(plist::intValue(map, key::securityType));
        setIsSetCurrentAsDefaultOutputFolderPath(
            plist::boolValue(map, key::isSetCurrentAsDefaultOutputFolderPath));
        setIsOpenFolderAfterConversion(plist::boolValue(map, key::isOpenFolderAfterConversion));
        setIsAutoAddCorrectPasswordToPasswordList(
            plist::boolValue(map, key::isAutoAddCorrectPasswordToPasswordList));
        setIsBackupFile(plist::boolValue(map, key::isBackupFile));
        setPdfOpenPassword(plist::stringValue(map, key::pdfOpenPassword));
        setOutputFolderPath(plist::stringValue(map, key::outputFolderPath));
        setIsClearProcessedFiles(plist::boolValue(map, key::isClearProcessedFiles));
        setPasswords(plist::stringListValue(map, key::passwords));
        // Logs its own failures and never throws; the folder rule still follows.
        m_pdfSettings->setData(map.value(key::pdfSettings));

        // A folder is only remembered while the option is on, and an empty one
        // switches the option off.
        if (outputFolderPath().isEmpty())
            setIsSetCurrentAsDefaultOutputFolderPath(false);
        else if (!isSetCurrentAsDefaultOutputFolderPath())
            setOutputFolderPath(QString(""));
    } catch (const std::exception &e) {
        logError(QStringLiteral("Settings=>setData:"), QString::fromUtf8(e.what()));
    }
}

namespace
{

QVariantMap withoutPasswords(QVariantMap map)
{
    if (map.contains(key::pdfOpenPassword))
        map.insert(key::pdfOpenPassword, QString(""));
    if (map.contains(key::passwords))
        map.insert(key::passwords, QStringList());
    if (plist::isDictionary(map.value(key::pdfSettings))) {
        QVariantMap document = plist::toDictionary(map.value(key::pdfSettings));
        for (const QString &name :
             {QStringLiteral("pdfOpenPassword"), QStringLiteral("pdfPermissionPassword")})
            if (document.contains(name))
                document.insert(name, QString(""));
        map.insert(key::pdfSettings, document);
    }
    return map;
}

} // namespace

bool Settings::passwordsInFile() const
{
    return load(m_mutex, m_passwordsInFile);
}

void Settings::setPasswordsInFile(bool inFile)
{
    store(m_mutex, m_passwordsInFile, inFile);
}

bool Settings::removePasswordsFromStore()
{
    const std::unique_ptr<QSettings> settingsStore = openStore();
    const QVariant saved = settingsStore->value(kSettingsKey);
    if (plist::isDictionary(saved))
        settingsStore->setValue(kSettingsKey, withoutPasswords(plist::toDictionary(saved)));
    settingsStore->sync();
    restrictStoreFile(*settingsStore);
    return settingsStore->status() == QSettings::NoError;
}

bool Settings::synchronize()
{
    const std::unique_ptr<QSettings> settingsStore = openStore();
    try {
        QVariant data = getData();
        if (data.isValid() && !passwordsInFile())
            data = withoutPasswords(data.toMap());
        // A failed build is already logged; keep what was stored before rather
        // than replace the user's settings with nothing.
        if (data.isValid())
            settingsStore->setValue(kSettingsKey, data);
    } catch (const std::exception &e) {
        logError(QStringLiteral("Settings=>synchronize"), QString::fromUtf8(e.what()));
    }
    settingsStore->sync();
    const bool written = settingsStore->status() == QSettings::NoError;
    if (!written)
        logError(QStringLiteral("Settings=>synchronize"),
                 QStringLiteral("the settings could not be written to %1").arg(settingsStore->fileName()));
    restrictStoreFile(*settingsStore);
    return written;
}

} // namespace lockleaf
