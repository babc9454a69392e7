#pragma once

#include <QDateTime>
#include <QString>
#include <QUrl>
#include <QVariant>

#include <atomic>
#include <memory>
#include <mutex>

namespace lockleaf
{

class FileItem;
using FileItemPtr = std::shared_ptr<FileItem>;

// What the last run that worked on a file recorded for it, in the log's English.
struct RunOutcome {
    QString status;      // "" when no run has worked on the file since it was read
    QString reason;      // why it failed, when more is known than the status says
    bool failed = false; // not written: failed or skipped
};

// One row of the file list: a file on disk, usually a PDF. Shared (not copied)
// between the file list, a run's work list and the dialogs.
// Made on a gathering thread, then only changed on the main thread or by the
// open-password dialog; each accessor is thread-safe on its own.
class FileItem final
{
public:
    // No item (nullptr) when `url` is empty or not a file URL. Otherwise an item
    // with isSelected true, isSecured false, then setFilePath(url). With a
    // non-empty `password`, the same as setPdfOpenPassword(password) after it,
    // but the file is opened once.
    static FileItemPtr initWithURL(const QUrl &url, const QString &password = QString());
    // An item listed before its file is opened: as initWithURL, but pages 0,
    // not secured and isCounted() false until takeCount() fills it in.
    static FileItemPtr uncounted(const QUrl &url);

    // False while the file has not been opened yet (see uncounted()).
    bool isCounted() const { return m_isCounted.load(); }
    // Takes what `counted` read of the same file (pages, secured, signed,
    // password, size, dates); the item is counted from then on.
    void takeCount(const FileItem &counted);

    bool isSelected() const { return m_isSelected.load(); }
    void setIsSelected(bool v) { m_isSelected.store(v); }

    QUrl filePath() const;
    // Stores the URL, reads the allocated size on disk, counts pages with "".
    void setFilePath(const QUrl &url) { setFilePath(url, QString()); }

    int pages() const { return m_pages.load(); }
    // Allocated size in bytes; 64-bit so files of 2 GiB and more stay positive.
    qint64 size() const { return m_size.load(); }
    bool isSecured() const { return m_isSecured.load(); }
    // Digitally signed, as far as the last read could tell (a locked file
    // counts as unsigned until a password opens it).
    bool isSigned() const { return m_isSigned.load(); }
    QString pdfOpenPassword() const;
    // Null argument: pages 0, password "". Otherwise counts pages with it; the
    // password is kept only when it unlocked a secured file. A file that opens
    // without a password keeps its pages whatever password is tried.
    void setPdfOpenPassword(const QString &password);

    // Reads the file again after it changed on disk (a run replaced it): the
    // size, the secured flag and the page count with the password it holds.
    void reread();

    // Passwords a securing run gives this file instead of its own (from a
    // password map line); never shown, never saved with the settings. Null
    // strings when the file has none; an empty open password with a
    // permission password secures with a permission password only.
    bool hasOwnPasswords() const;
    QString ownOpenPassword() const;
    QString ownPermissionPassword() const;
    // Both null: the file takes the run's passwords again.
    void setOwnPasswords(const QString &open, const QString &permission);

    // The last run's outcome for this file; cleared whenever the file is read
    // again (setFilePath, setPdfOpenPassword, reread), so it never outlives
    // the file it was about.
    RunOutcome lastOutcome() const;
    void setLastOutcome(const RunOutcome &outcome);

    // Derived, computed on each read; the dates are asked of the file system.
    QString name() const;     // file name + " (SECURED) " when secured
    QString type() const;     // extension in its own case
    QString location() const; // folder of the file
    QDateTime dateModified() const;
    QDateTime dateCreated() const;
    QDateTime dateAccessed() const;
    QString sizeInKB() const;

    // Reads the three dates again into the copy that sorting uses. Done when
    // the item is made and each time its file is re-read (setFilePath,
    // setPdfOpenPassword).
    void refreshDates();

    // Same URL text (no case folding, no normalising).
    bool isEqual(const FileItem &other) const;
    bool operator==(const FileItem &other) const { return isEqual(other); }

    // The cell shown for a column identifier (matched case-insensitively):
    // ISSELECTED (bool), NAME, PAGES (int), SELECTION (""), SIZEINKB, TYPE,
    // DATEMODIFIED/DATECREATED/DATEACCESSED ("dd-MMM-yyyy h:mm a"), LOCATION.
    QVariant displayField(const QString &identifier) const;

    // Key-value access by field/property name (exact spelling, e.g. "pages",
    // "sizeInKB", "dateModified", "lastOutcome"); used for sorting. Invalid for unknown keys.
    // The dates are the ones captured by refreshDates(), so sorting a long list
    // never waits on the file system. An absent date comes back as a QVariant
    // holding a null QDateTime.
    QVariant valueForKey(const QString &key) const;

    // Test/display helper: text of sizeInKB for an arbitrary byte count.
    static QString sizeText(qint64 bytes);

private:
    void setFilePath(const QUrl &url, const QString &password);
    // Counts pages with `password` and reads the dates again; keeps the
    // password as setPdfOpenPassword does when `keepPassword`.
    void countPages(const QString &password, bool keepPassword);
    FileItem() = default;
    mutable std::mutex m_mutex;
    QUrl m_filePath;
    QString m_pdfOpenPassword;
    QString m_ownOpenPassword;
    QString m_ownPermissionPassword;
    RunOutcome m_lastOutcome;
    // Captured in UTC: a sort compares instants, with no time-zone work per row.
    QDateTime m_capturedModified;
    QDateTime m_capturedCreated;
    QDateTime m_capturedAccessed;
    std::atomic<bool> m_isSelected{false};
    std::atomic<int> m_pages{0};
    std::atomic<qint64> m_size{0};
    std::atomic<bool> m_isSecured{false};
    std::atomic<bool> m_isSigned{false};
    std::atomic<bool> m_isCounted{true};
};

} // namespace lockleaf
