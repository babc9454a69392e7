#include "engine/FileGatherer.h"

#include "engine/RunWorkers.h"
#include "model/Settings.h"
#include "platform/SystemLog.h"
#include "platform/TimeText.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QThread>

#include <algorithm>
#include <exception>
#include <utility>
#include <vector>

#ifdef Q_OS_UNIX
#include <dirent.h>
#endif
#include <sys/stat.h>

namespace lockleaf
{

namespace
{

QString progressText(const QString &timeTaken)
{
    return QStringLiteral("Total Time Taken : %1 %2/%3").arg(timeTaken).arg(0).arg(0);
}

QString reasonOf(const std::exception &e)
{
    return QString::fromLocal8Bit(e.what());
}

// Key for duplicate checks: FileItem equality is URL equality, and the encoded
// text of a URL is equal exactly when the URLs are.
QString urlKey(const QUrl &url)
{
    return url.toString(QUrl::FullyEncoded);
}

// Rows and counts go to the delegate in batches at most this far apart: often
// enough to look live, seldom enough that the window keeps up.
constexpr qint64 kHandOffMs = 40;

const QString kReasonMissing = QStringLiteral("no such file or folder");
const QString kReasonSpecial = QStringLiteral("not a regular file");
const QString kReasonNotPdf = QStringLiteral("not a PDF file");
const QString kReasonBadName = QStringLiteral("name not valid in the file-name encoding");
const QString kReasonEmpty = QStringLiteral("no PDF files in this folder");
const QString kReasonEmptyFlat = QStringLiteral("no PDF files in this folder (subfolders not included)");

// Entries of `folder` whose names do not survive decoding to text and back:
// Qt's listing leaves them out, and no path made from text could open them.
// Hidden names are left out as the walk leaves them out; folders only when
// the walk would enter them.
QStringList undecodableNames(const QString &folder, bool withFolders)
{
    QStringList names;
#ifdef Q_OS_UNIX
    DIR *dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray raw(entry->d_name);
        if (raw.startsWith('.') || QFile::encodeName(QFile::decodeName(raw)) == raw)
            continue;
        if (entry->d_type == DT_DIR && !withFolders)
            continue;
        names << QFile::decodeName(raw);
    }
    ::closedir(dir);
    names.sort();
#else
    Q_UNUSED(folder);
    Q_UNUSED(withFolders);
#endif
    return names;
}

// Folders that the file manager shows as one document (bundles). Their contents
// are never visited by a walk. Packages exist on macOS only: elsewhere a folder
// called "Talk.key" is an ordinary folder.
bool isPackage(const QFileInfo &info)
{
#ifdef Q_OS_MACOS
    static const QSet<QString> packageSuffixes{
        QStringLiteral("app"),           QStringLiteral("bundle"),      QStringLiteral("framework"),
        QStringLiteral("plugin"),        QStringLiteral("kext"),        QStringLiteral("pkg"),
        QStringLiteral("mpkg"),          QStringLiteral("rtfd"),        QStringLiteral("xpc"),
        QStringLiteral("appex"),         QStringLiteral("qlgenerator"), QStringLiteral("mdimporter"),
        QStringLiteral("pages"),         QStringLiteral("numbers"),     QStringLiteral("key"),
        QStringLiteral("photoslibrary"), QStringLiteral("xcodeproj"),   QStringLiteral("xcworkspace"),
        QStringLiteral("playground"),    QStringLiteral("scptd"),       QStringLiteral("wdgt")};
    if (!info.isDir())
        return false;
    return info.isBundle() || packageSuffixes.contains(info.suffix().toLower());
#else
    Q_UNUSED(info);
    return false;
#endif
}

} // namespace

FileGatherer::FileGatherer(GatheringDelegate *delegate, QStringList allowedFileTypes)
    : m_delegate(delegate), m_allowedFileTypes(std::move(allowedFileTypes)),
      m_jobs(std::max(1, QThread::idealThreadCount()))
{
}

void FileGatherer::loadURLs(const Arguments &arguments)
{
    const QDateTime startTime = QDateTime::currentDateTime();
    try {
        m_delegate->resetViewObject(false);
        m_delegate->startProcess();
        m_delegate->updateTimeTakenLabel(progressText(QStringLiteral("In Process...")));

        qsizetype next = 0;
        const auto source = [&]() -> std::optional<QUrl> {
            if (next < arguments.urls.size())
                return arguments.urls.at(next++);
            return arguments.more ? arguments.more() : std::nullopt;
        };
        const bool changed = arguments.isFolders ? addFolders(source, arguments.isIncludeSubdirectories)
                                                 : addFilesToList(arguments.urls);
        if (changed)
            m_delegate->sortAndReload();
    } catch (const std::exception &e) {
        logError(QStringLiteral("loadURLs:"), reasonOf(e));
    } catch (...) {
        logError(QStringLiteral("loadURLs:"), QStringLiteral("unknown exception"));
    }

    // The window must come back whatever happened above.
    try {
        const QString taken = timeTakenString(startTime, QDateTime::currentDateTime());
        m_delegate->stopProcess();
        m_delegate->resetViewObject(true);
        m_delegate->updateTimeTakenLabel(progressText(taken));
    } catch (const std::exception &e) {
        logError(QStringLiteral("loadURLs:"), reasonOf(e));
    } catch (...) {
        logError(QStringLiteral("loadURLs:"), QStringLiteral("unknown exception"));
    }
}

bool FileGatherer::addFolderToList(const QList<QUrl> &urls, bool includeSubdirectories)
{
    qsizetype next = 0;
    return addFolders(
        [&]() -> std::optional<QUrl> {
            if (next < urls.size())
                return urls.at(next++);
            return std::nullopt;
        },
        includeSubdirectories);
}

bool FileGatherer::addFolders(const std::function<std::optional<QUrl>()> &next, bool includeSubdirectories)
{
    const int addedAtEntry = m_added + m_listed;
    try {
        while (m_delegate->isProcessing()) {
            const std::optional<QUrl> found = next();
            if (!found)
                break;
            const QUrl &url = *found;
            const QString path = url.toLocalFile();
            const QFileInfo info(path);
            m_root = path;
            if (info.isDir()) {
                const int candidatesBefore = m_candidates;
                walkFolder(path, includeSubdirectories);
                // A folder named on its own that gives nothing is said so, not
                // passed over: the user may have meant a file, or subfolders.
                if (m_candidates == candidatesBefore && m_delegate->isProcessing())
                    skip(path, includeSubdirectories ? kReasonEmpty : kReasonEmptyFlat);
            } else if (!info.exists() && !info.isSymLink()) {
                skip(path, kReasonMissing);
            } else if (!m_allowedFileTypes.contains(info.suffix())) {
                skip(path, info.isFile() || info.isSymLink() ? kReasonNotPdf : kReasonSpecial);
            } else {
                addCandidate(url);
            }
        }
        flushCandidates();
    } catch (const std::exception &e) {
        logError(QStringLiteral("addFolderToList:"), reasonOf(e));
    } catch (...) {
        logError(QStringLiteral("addFolderToList:"), QStringLiteral("unknown exception"));
    }
    return m_added + m_listed != addedAtEntry;
}

void FileGatherer::walkFolder(const QString &path, bool includeSubdirectories)
{
    // Depth-first walk with an explicit stack of the entries still to visit
    // (the next one last): no recursion depth limit on deep trees, and
    // symbolic links to folders are never followed, so a link cycle cannot
    // make the walk endless.
    QList<QFileInfo> pending;
    const auto enter = [&](const QString &folder) {
        const QDir dir(folder);
        QFileInfoList entries = dir.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Unsorted);
        for (const QString &name : undecodableNames(dir.path(), includeSubdirectories))
            skip(dir.filePath(name), kReasonBadName);
        const auto sortKey = [this](const QFileInfo &entry) {
            // In path order, a folder's files sit where "<name>/" sorts: the
            // walk then meets files exactly in the order of their full paths.
            return m_streaming && entry.isDir() ? entry.fileName() + QLatin1Char('/') : entry.fileName();
        };
        std::sort(entries.begin(), entries.end(), [&](const QFileInfo &a, const QFileInfo &b) {
            if (!m_streaming && a.isDir() != b.isDir())
                return b.isDir(); // files first, then the subfolders
            return sortKey(a) < sortKey(b);
        });
        for (auto it = entries.crbegin(); it != entries.crend(); ++it)
            pending.append(*it);
    };
    enter(path);
    while (!pending.isEmpty()) {
        if (!m_delegate->isProcessing())
            return;
        const QFileInfo entry = pending.takeLast();
        if (entry.isHidden() || entry.fileName().startsWith(QLatin1Char('.')))
            continue;
        if (entry.isDir()) {
            if (includeSubdirectories && !entry.isSymLink() && !isPackage(entry) &&
                !isExcluded(entry.filePath()))
                enter(entry.filePath());
            continue;
        }
        if (!takesFileNamed(entry.fileName()))
            continue;
        addCandidate(QUrl::fromLocalFile(entry.filePath()));
    }
}

bool FileGatherer::takesFileNamed(const QString &fileName) const
{
    return !fileName.startsWith(QLatin1Char('.')) &&
           m_allowedFileTypes.contains(QFileInfo(fileName).suffix());
}

bool FileGatherer::isExcluded(const QString &folder) const
{
    if (m_excluded.isEmpty())
        return false;
    struct stat st {
    };
    return ::stat(QFile::encodeName(folder).constData(), &st) == 0 &&
           m_excludedDevice == quint64(st.st_dev) && m_excludedInode == quint64(st.st_ino);
}

void FileGatherer::setExcludedFolder(const QString &folder)
{
    struct stat st {
    };
    m_excluded.clear();
    if (!folder.isEmpty() && ::stat(QFile::encodeName(folder).constData(), &st) == 0) {
        m_excluded = folder;
        m_excludedDevice = quint64(st.st_dev);
        m_excludedInode = quint64(st.st_ino);
    }
}

bool FileGatherer::addFilesToList(const QList<QUrl> &urls)
{
    const int addedAtEntry = m_added + m_listed;
    try {
        for (const QUrl &url : urls) {
            if (!m_delegate->isProcessing())
                break;
            m_root = url.toLocalFile();
            addCandidate(url);
        }
        flushCandidates();
    } catch (const std::exception &e) {
        logError(QStringLiteral("addFilesToList:"), reasonOf(e));
    } catch (...) {
        logError(QStringLiteral("addFilesToList:"), QStringLiteral("unknown exception"));
    }
    return m_added + m_listed != addedAtEntry;
}

void FileGatherer::skip(const QString &path, const QString &reason)
{
    m_skipped.append(SkippedEntry{path, reason});
    m_delegate->reportSkipped(path, reason);
}

bool FileGatherer::addCandidate(const QUrl &url)
{
    // A FIFO, socket or device named like a PDF would block (or never end) when
    // opened to count its pages; only regular files, folders and missing paths
    // go on to become items.
    if (url.isLocalFile()) {
        const QFileInfo info(url.toLocalFile());
        if (info.exists() && !info.isFile() && !info.isDir()) {
            skip(url.toLocalFile(), kReasonSpecial);
            return false;
        }
    }
    if (url.isEmpty() || !url.isLocalFile() || url.toLocalFile().isEmpty())
        return false;
    ++m_candidates;
    if (m_filter && !m_filter(m_root, url.toLocalFile()))
        return true;

    // A streaming task remembers nothing per file: the run itself finds an
    // entry met twice.
    if (m_streaming) {
        m_batch.append(FileItem::uncounted(url));
        if (m_batch.size() >= kStreamBatch)
            flushCandidates();
        return true;
    }
    // The list's URLs are read once per task and then kept up to date here, so
    // the duplicate test costs the same for the first file as for the ten-thousandth.
    if (!m_knownLoaded) {
        for (const QUrl &known : m_delegate->fileURLs())
            m_knownURLs.insert(urlKey(known));
        m_knownLoaded = true;
    }
    // Taken when met, so a second mention in the same task is a duplicate too.
    const QString key = urlKey(url);
    if (m_knownURLs.contains(key))
        return true;
    m_knownURLs.insert(key);
    FileItemPtr item = FileItem::uncounted(url);
    m_batch.append(item);
    m_rows.append(std::move(item));
    handOffRows(false);
    return true;
}

void FileGatherer::handOffRows(bool now)
{
    if (m_rows.isEmpty())
        return;
    if (!now && m_sinceHandOff.isValid() && m_sinceHandOff.elapsed() < kHandOffMs)
        return;
    const int count = int(m_rows.size());
    if (m_delegate->appendFileItems(std::exchange(m_rows, {})))
        m_listed += count;
    m_sinceHandOff.start();
}

namespace
{

// What a gathering tries on a file it opens: the typed open password when
// unsecuring, else the saved passwords in turn.
struct CountPasswords {
    bool unsecuring = false;
    QString typed;
    QStringList saved;
};

CountPasswords countPasswordsOf(Settings *settings)
{
    // Read on the calling thread: the workers never touch the settings.
    CountPasswords p;
    p.unsecuring = settings && settings->securityType() == 0;
    if (p.unsecuring && settings->pdfOpenPassword().isNull())
        settings->setPdfOpenPassword(QStringLiteral(""));
    p.saved = settings && !p.unsecuring ? settings->passwords() : QStringList();
    p.typed = p.unsecuring ? QString(settings->pdfOpenPassword()) : QString();
    return p;
}

// A new item for the file, counted: the first password is tried when it is
// first opened, so a secured file is not opened once more just to be refused.
FileItemPtr countedItem(const QUrl &url, const CountPasswords &p)
{
    FileItemPtr item = FileItem::initWithURL(url, p.unsecuring ? p.typed : p.saved.value(0));
    for (qsizetype i = 1; item && i < p.saved.size() && item->pages() == 0; ++i)
        item->setPdfOpenPassword(p.saved.at(i));
    return item;
}

} // namespace

void GatheringDelegate::applyCounts(const QList<FileItemPtr> &listed, const QList<FileItemPtr> &counted)
{
    for (qsizetype i = 0; i < listed.size() && i < counted.size() && isProcessing(); ++i) {
        listed.at(i)->takeCount(*counted.at(i));
        appendFileItem(listed.at(i));
        updateTotalPagesLabel();
    }
}

void FileGatherer::countItems(const QList<FileItemPtr> &items, Settings *settings, int jobs)
{
    const CountPasswords passwords = countPasswordsOf(settings);
    std::vector<FileItemPtr> counted(static_cast<size_t>(items.size()));
    RunWorkers::Steps steps;
    steps.keepGoing = [] { return true; };
    steps.begin = [](int) {};
    steps.work = [&](int task) {
        counted[size_t(task)] = countedItem(items.at(task)->filePath(), passwords);
    };
    steps.deliver = [&](int task, std::exception_ptr error) {
        const FileItemPtr &item = counted[size_t(task)];
        if (!error && item)
            items.at(task)->takeCount(*item);
    };
    RunWorkers(jobs).run(static_cast<int>(items.size()), steps);
}

void FileGatherer::flushCandidates()
{
    handOffRows(true);
    const QList<FileItemPtr> batch = std::exchange(m_batch, {});
    if (batch.isEmpty())
        return;

    Settings *settings = m_delegate->settings();
    const CountPasswords passwords = countPasswordsOf(settings);

    std::vector<FileItemPtr> items(static_cast<size_t>(batch.size()));
    QList<FileItemPtr> listed;
    QList<FileItemPtr> counted;
    QElapsedTimer sinceHandOff;
    sinceHandOff.start();
    const auto handOffCounts = [&] {
        if (!listed.isEmpty()) {
            const int count = int(listed.size());
            m_delegate->applyCounts(std::exchange(listed, {}), std::exchange(counted, {}));
            m_added += count;
        }
        sinceHandOff.start();
    };
    RunWorkers::Steps steps;
    steps.keepGoing = [this] { return m_delegate->isProcessing(); };
    steps.begin = [](int) {};
    steps.work = [&](int task) {
        items[static_cast<size_t>(task)] = countedItem(batch.at(task)->filePath(), passwords);
    };
    steps.deliver = [&](int task, std::exception_ptr error) {
        if (error)
            std::rethrow_exception(error);
        // Opened ahead, but a cancel stops the counts at the next file.
        const FileItemPtr &item = items[static_cast<size_t>(task)];
        if (!item || !m_delegate->isProcessing())
            return;
        // Saved only when it unlocked an encrypted file: the item keeps a
        // password only then, so a typo that "opened" a plain file is not kept.
        if (passwords.unsecuring && !item->pdfOpenPassword().isEmpty() &&
            settings->isAutoAddCorrectPasswordToPasswordList())
            m_delegate->addToPasswordsList(settings->pdfOpenPassword());
        listed.append(batch.at(task));
        counted.append(item);
        if (sinceHandOff.elapsed() >= kHandOffMs)
            handOffCounts();
    };
    try {
        RunWorkers(m_jobs).run(static_cast<int>(batch.size()), steps);
    } catch (...) {
        handOffCounts(); // what was counted before the fault stays counted
        throw;
    }
    handOffCounts();
}

} // namespace lockleaf
