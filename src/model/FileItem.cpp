#include "model/FileItem.h"

#include "pdf/PageCount.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cmath>
#include <iterator>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace lockleaf
{

namespace
{

// Allocated size on disk (not the logical length); false when the file
// system gives no answer, so the caller can keep what it had.
bool allocatedSize(const QString &path, qint64 *bytes)
{
    if (path.isEmpty())
        return false;
#ifdef Q_OS_UNIX
    struct stat st = {};
    const QByteArray native = QFile::encodeName(path);
    if (::stat(native.constData(), &st) != 0)
        return false;
    *bytes = static_cast<qint64>(st.st_blocks) * 512;
    return true;
#else
    const QFileInfo info(path);
    if (!info.exists())
        return false;
    *bytes = info.size();
    return true;
#endif
}

// The extension in its own case; a leading dot (".profile") is not one.
QString extensionOf(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0)
        return QString("");
    return fileName.mid(dot + 1);
}

QString formatDate(const QDateTime &date)
{
    if (!date.isValid())
        return QString("");
    // "Ap" is the locale's own AM/PM text, as the table's pattern asks for.
    return QLocale::system().toString(date.toLocalTime(), QStringLiteral("dd-MMM-yyyy h:mm Ap"));
}

// Not every file system records a birth time; the status-change time is the
// nearest the platform offers then.
QDateTime createdDate(const QFileInfo &info)
{
    const QDateTime birth = info.birthTime();
    return birth.isValid() ? birth : info.metadataChangeTime();
}

const char *const kUnits[] = {"B", "KB", "MB", "GB", "TB", "PB", "EB"};

} // namespace

FileItemPtr FileItem::initWithURL(const QUrl &url, const QString &password)
{
    if (url.isEmpty() || !url.isLocalFile() || url.toLocalFile().isEmpty())
        return nullptr;
    FileItemPtr item(new FileItem());
    item->m_isSelected.store(true);
    item->m_isSecured.store(false);
    item->setFilePath(QUrl(url), password);
    return item;
}

FileItemPtr FileItem::uncounted(const QUrl &url)
{
    if (url.isEmpty() || !url.isLocalFile() || url.toLocalFile().isEmpty())
        return nullptr;
    FileItemPtr item(new FileItem());
    item->m_isSelected.store(true);
    item->m_isCounted.store(false);
    item->m_filePath = url;
    return item;
}

void FileItem::takeCount(const FileItem &counted)
{
    if (&counted == this)
        return;
    m_pages.store(counted.pages());
    m_size.store(counted.size());
    m_isSecured.store(counted.isSecured());
    m_isSigned.store(counted.isSigned());
    QString password;
    QDateTime modified;
    QDateTime created;
    QDateTime accessed;
    {
        // One lock at a time: the two items are never locked together.
        std::lock_guard<std::mutex> lock(counted.m_mutex);
        password = counted.m_pdfOpenPassword;
        modified = counted.m_capturedModified;
        created = counted.m_capturedCreated;
        accessed = counted.m_capturedAccessed;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pdfOpenPassword = password;
    m_capturedModified = modified;
    m_capturedCreated = created;
    m_capturedAccessed = accessed;
    m_isCounted.store(true);
}

QUrl FileItem::filePath() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_filePath;
}

void FileItem::setFilePath(const QUrl &url, const QString &password)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_filePath = url;
    }
    const QString path = url.toLocalFile();
    qint64 bytes = 0;
    if (allocatedSize(path, &bytes))
        m_size.store(bytes);

    countPages(password.isEmpty() ? QString("") : password, !password.isEmpty());
}

void FileItem::countPages(const QString &password, bool keepPassword)
{
    // The probe leaves the flag alone for non-PDFs and unreadable files.
    bool secured = m_isSecured.load();
    bool unlocked = false;
    bool isSigned = false;
    const int pages = getPDFPageCount(filePath().toLocalFile(), password, &secured, &unlocked, &isSigned);
    m_pages.store(pages);
    m_isSecured.store(secured);
    m_isSigned.store(isSigned);
    m_isCounted.store(true);
    // After the probe, so the access date is the one the table would show now.
    refreshDates();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lastOutcome = {};
    if (!keepPassword)
        return;
    // Only a password that actually opened a secured file is worth keeping; a
    // file readable without one keeps its pages when a wrong one is tried.
    m_pdfOpenPassword = (pages != 0 && secured && unlocked) ? password : QString("");
}

void FileItem::refreshDates()
{
    const QUrl url = filePath();
    QDateTime modified;
    QDateTime created;
    QDateTime accessed;
    if (!url.isEmpty()) {
        // A file's own times are UTC; QFileInfo's are converted to local time,
        // which on a gathering worker would also take the C library's time-zone
        // lock once per date.
        const QFile file(url.toLocalFile());
        if (file.exists()) {
            modified = file.fileTime(QFileDevice::FileModificationTime);
            const QDateTime birth = file.fileTime(QFileDevice::FileBirthTime);
            created = birth.isValid() ? birth : file.fileTime(QFileDevice::FileMetadataChangeTime);
            accessed = file.fileTime(QFileDevice::FileAccessTime);
        }
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_capturedModified = modified;
    m_capturedCreated = created;
    m_capturedAccessed = accessed;
}

QString FileItem::pdfOpenPassword() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_pdfOpenPassword.isNull() ? QString("") : m_pdfOpenPassword;
}

void FileItem::setPdfOpenPassword(const QString &password)
{
    if (password.isNull()) {
        m_pages.store(0);
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pdfOpenPassword = QString("");
        m_lastOutcome = {};
        return;
    }
    countPages(password, true);
}

RunOutcome FileItem::lastOutcome() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastOutcome;
}

void FileItem::setLastOutcome(const RunOutcome &outcome)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lastOutcome = outcome;
}

bool FileItem::hasOwnPasswords() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return !m_ownOpenPassword.isNull() || !m_ownPermissionPassword.isNull();
}

QString FileItem::ownOpenPassword() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_ownOpenPassword;
}

QString FileItem::ownPermissionPassword() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_ownPermissionPassword;
}

void FileItem::setOwnPasswords(const QString &open, const QString &permission)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    // One of them set makes the other "" rather than "absent".
    const bool any = !open.isNull() || !permission.isNull();
    m_ownOpenPassword = any && open.isNull() ? QString("") : open;
    m_ownPermissionPassword = any && permission.isNull() ? QString("") : permission;
}

QString FileItem::name() const
{
    const QUrl url = filePath();
    if (url.isEmpty())
        return QString("");
    const QString fileName = QFileInfo(url.toLocalFile()).fileName();
    return isSecured() ? fileName + QStringLiteral(" (SECURED) ") : fileName;
}

QString FileItem::type() const
{
    const QUrl url = filePath();
    if (url.isEmpty())
        return QString("");
    return extensionOf(QFileInfo(url.toLocalFile()).fileName());
}

QString FileItem::location() const
{
    const QUrl url = filePath();
    if (url.isEmpty())
        return QString("");
    return QFileInfo(url.toLocalFile()).path();
}

QDateTime FileItem::dateModified() const
{
    const QUrl url = filePath();
    if (url.isEmpty())
        return {};
    return QFileInfo(url.toLocalFile()).lastModified();
}

QDateTime FileItem::dateCreated() const
{
    const QUrl url = filePath();
    if (url.isEmpty())
        return {};
    return createdDate(QFileInfo(url.toLocalFile()));
}

QDateTime FileItem::dateAccessed() const
{
    const QUrl url = filePath();
    if (url.isEmpty())
        return {};
    return QFileInfo(url.toLocalFile()).lastRead();
}

QString FileItem::sizeInKB() const
{
    return sizeText(size());
}

QString FileItem::sizeText(qint64 bytes)
{
    // Single precision and powers of 1000, as the size column has always shown.
    float x = static_cast<float>(bytes);
    int i = 0;
    const int lastUnit = static_cast<int>(std::size(kUnits)) - 1;
    while (x > 1000.0 && i < lastUnit) {
        x = static_cast<float>(x / 1000.0);
        ++i;
    }
    if (i <= 1) {
        const float kb = static_cast<float>(static_cast<float>(bytes) / 1000.0);
        return QStringLiteral("%1 KB").arg(std::lround(kb));
    }
    const QString unit = QString::fromLatin1(kUnits[i]);
    const QString text = QString::asprintf("%4.1f", static_cast<double>(x));
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() == 2 && parts.at(1).toInt() == 0)
        return parts.at(0) + QLatin1Char(' ') + unit;
    return text + QLatin1Char(' ') + unit;
}

bool FileItem::isEqual(const FileItem &other) const
{
    if (&other == this)
        return true;
    // Read each URL under its own lock: holding both could deadlock when two
    // threads compare the same pair in opposite order.
    const QUrl mine = filePath();
    const QUrl theirs = other.filePath();
    return mine.toString(QUrl::FullyEncoded) == theirs.toString(QUrl::FullyEncoded);
}

QVariant FileItem::displayField(const QString &identifier) const
{
    const QString id = identifier.toUpper();
    if (id == QLatin1String("ISSELECTED"))
        return QVariant(isSelected());
    if (id == QLatin1String("NAME"))
        return name();
    if (id == QLatin1String("PAGES"))
        return isCounted() ? QVariant(pages()) : QVariant(QString()); // blank until counted
    if (id == QLatin1String("SIZEINKB"))
        return sizeInKB();
    if (id == QLatin1String("TYPE"))
        return type();
    if (id == QLatin1String("DATEMODIFIED"))
        return formatDate(dateModified());
    if (id == QLatin1String("DATECREATED"))
        return formatDate(dateCreated());
    if (id == QLatin1String("DATEACCESSED"))
        return formatDate(dateAccessed());
    if (id == QLatin1String("LOCATION"))
        return location();
    return QString(""); // "SELECTION" and anything unknown
}

QVariant FileItem::valueForKey(const QString &key) const
{
    if (key == QLatin1String("isSelected"))
        return QVariant(isSelected());
    if (key == QLatin1String("filePath"))
        return QVariant(filePath());
    if (key == QLatin1String("pages"))
        return QVariant(pages());
    if (key == QLatin1String("size"))
        return QVariant(size());
    if (key == QLatin1String("pdfOpenPassword"))
        return pdfOpenPassword();
    if (key == QLatin1String("isSecured"))
        return QVariant(isSecured());
    if (key == QLatin1String("name"))
        return name();
    if (key == QLatin1String("type"))
        return type();
    if (key == QLatin1String("location"))
        return location();
    // Absent dates come back as a null QDateTime (still typed), so a sort can
    // compare them with present ones.
    if (key.startsWith(QLatin1String("date"))) {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (key == QLatin1String("dateModified"))
            return QVariant(m_capturedModified);
        if (key == QLatin1String("dateCreated"))
            return QVariant(m_capturedCreated);
        if (key == QLatin1String("dateAccessed"))
            return QVariant(m_capturedAccessed);
    }
    if (key == QLatin1String("sizeInKB"))
        return sizeInKB();
    if (key == QLatin1String("lastOutcome")) {
        const RunOutcome outcome = lastOutcome();
        return QString(outcome.status + outcome.reason);
    }
    return QVariant();
}

void FileItem::reread()
{
    qint64 bytes = 0;
    if (allocatedSize(filePath().toLocalFile(), &bytes))
        m_size.store(bytes);
    // A password that no longer opens the file (it was re-secured) is dropped there.
    setPdfOpenPassword(pdfOpenPassword());
}

} // namespace lockleaf
