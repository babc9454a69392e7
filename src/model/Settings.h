#pragma once

#include "model/PDFSettings.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

class QSettings;

namespace lockleaf
{

// The user's lasting choices, saved under "SETTINGS" in the per-user store
// (QSettings, organisation "Corvalen", application "Lockleaf").
// Owns its PDFSettings. Shared by the main thread, a gathering task and a run:
// each accessor is thread-safe on its own; change signals are emitted on the
// thread that made the change.
class Settings final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Settings)
    Q_PROPERTY(int securityType READ securityType WRITE setSecurityType NOTIFY securityTypeChanged)
    Q_PROPERTY(
        bool isAutoAddCorrectPasswordToPasswordList READ isAutoAddCorrectPasswordToPasswordList WRITE
            setIsAutoAddCorrectPasswordToPasswordList NOTIFY isAutoAddCorrectPasswordToPasswordListChanged)
    Q_PROPERTY(bool isBackupFile READ isBackupFile WRITE setIsBackupFile NOTIFY isBackupFileChanged)
    Q_PROPERTY(
        bool isSetCurrentAsDefaultOutputFolderPath READ isSetCurrentAsDefaultOutputFolderPath WRITE
            setIsSetCurrentAsDefaultOutputFolderPath NOTIFY isSetCurrentAsDefaultOutputFolderPathChanged)
    Q_PROPERTY(bool isOpenFolderAfterConversion READ isOpenFolderAfterConversion WRITE
                   setIsOpenFolderAfterConversion NOTIFY isOpenFolderAfterConversionChanged)
    Q_PROPERTY(
        QString pdfOpenPassword READ pdfOpenPassword WRITE setPdfOpenPassword NOTIFY pdfOpenPasswordChanged)
    Q_PROPERTY(QString outputFolderPath READ outputFolderPath WRITE setOutputFolderPath NOTIFY
                   outputFolderPathChanged)
    Q_PROPERTY(lockleaf::PDFSettings *pdfSettings READ pdfSettings CONSTANT)
    Q_PROPERTY(bool isClearProcessedFiles READ isClearProcessedFiles WRITE setIsClearProcessedFiles NOTIFY
                   isClearProcessedFilesChanged)
    Q_PROPERTY(QStringList passwords READ passwords WRITE setPasswords NOTIFY passwordsChanged)

public:
    // When `load` is true, reads "SETTINGS" from the store and hands it to setData
    // (the spec's init). Tests and the CLI pass false for a record with defaults only.
    explicit Settings(bool load = true, QObject *parent = nullptr);
    ~Settings() override;

    int securityType() const;
    void setSecurityType(int v);
    bool isAutoAddCorrectPasswordToPasswordList() const;
    void setIsAutoAddCorrectPasswordToPasswordList(bool v);
    bool isBackupFile() const;
    void setIsBackupFile(bool v);
    bool isSetCurrentAsDefaultOutputFolderPath() const;
    void setIsSetCurrentAsDefaultOutputFolderPath(bool v);
    bool isOpenFolderAfterConversion() const;
    void setIsOpenFolderAfterConversion(bool v);
    QString pdfOpenPassword() const;
    void setPdfOpenPassword(const QString &v);
    QString outputFolderPath() const;
    void setOutputFolderPath(const QString &v);
    PDFSettings *pdfSettings() const { return m_pdfSettings; }
    bool isClearProcessedFiles() const;
    void setIsClearProcessedFiles(bool v);
    QStringList passwords() const;
    void setPasswords(const QStringList &v);
    // Appends `password` when non-empty and not yet listed; returns whether it did.
    bool appendPassword(const QString &password);

    // Dictionary form (ten keys); invalid QVariant when building fails (logged).
    QVariant getData();
    // Loads a QVariantMap; anything else changes nothing. See the load rules.
    void setData(const QVariant &data);
    // Stores getData() under "SETTINGS" and flushes the store to disk. While
    // passwordsInFile() is false the four passwords (the saved list, the typed
    // open password, the document's open and permission passwords) are stored
    // empty: they live in the system keyring (see KeyringSettings). Returns
    // whether the store was written.
    bool synchronize();
    bool passwordsInFile() const;
    void setPasswordsInFile(bool inFile);
    // Empties the four passwords in the stored "SETTINGS", nothing else; returns
    // whether the store was written.
    static bool removePasswordsFromStore();

    // The store every Settings uses: QSettings("Corvalen", "Lockleaf"), a file
    // readable by the user only.
    static std::unique_ptr<QSettings> openStore();

Q_SIGNALS:
    void securityTypeChanged();
    void isAutoAddCorrectPasswordToPasswordListChanged();
    void isBackupFileChanged();
    void isSetCurrentAsDefaultOutputFolderPathChanged();
    void isOpenFolderAfterConversionChanged();
    void pdfOpenPasswordChanged();
    void outputFolderPathChanged();
    void isClearProcessedFilesChanged();
    void passwordsChanged();

private:
    mutable QMutex m_mutex;
    int m_securityType = 0;
    bool m_isAutoAddCorrectPasswordToPasswordList = true;
    bool m_isBackupFile = true;
    bool m_isSetCurrentAsDefaultOutputFolderPath = true;
    bool m_isOpenFolderAfterConversion = true;
    QString m_pdfOpenPassword;
    QString m_outputFolderPath;
    PDFSettings *m_pdfSettings = nullptr; // child object
    bool m_isClearProcessedFiles = false;
    QStringList m_passwords;
    bool m_passwordsInFile = true;
};

} // namespace lockleaf
