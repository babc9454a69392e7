#pragma once

#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>

namespace lockleaf
{

// The record of one source file in a run's processing log.
// Made by Log::addFile and filled by the run thread; read by Log::save.
// Not synchronised: one thread changes it at a time.
class LogFiles final
{
public:
    QString filename() const { return m_filename; } // source file name
    void setFilename(const QString &v) { m_filename = v; }
    QString sourcePath() const { return m_sourcePath; } // source folder
    void setSourcePath(const QString &v) { m_sourcePath = v; }
    // Output folder used; the output's full path when it could not keep its name.
    QString targetPath() const { return m_targetPath; }
    void setTargetPath(const QString &v) { m_targetPath = v; }
    QString status() const { return m_status; } // outcome text
    void setStatus(const QString &v) { m_status = v; }
    int pages() const { return m_pages; }
    void setPages(int v) { m_pages = v; }
    // Why a file failed, when more is known than its status says; written as
    // an extra "Reason" attribute only when not empty.
    QString reason() const { return m_reason; }
    void setReason(const QString &v) { m_reason = v; }
    // Full path of the output when it could not keep the source's name (an
    // earlier output of the same run has it); "" otherwise.
    QString renamedOutput() const { return m_renamedOutput; }
    void setRenamedOutput(const QString &v) { m_renamedOutput = v; }

private:
    QString m_filename{""};
    QString m_sourcePath{""};
    QString m_targetPath{""};
    QString m_status{""};
    int m_pages = 0;
    QString m_reason;
    QString m_renamedOutput;
};

using LogFilesPtr = std::shared_ptr<LogFiles>;

// The processing log of one run: written as one XML file when the run ends
// (and, with beginJournal, as the run goes).
// Owned by the run; owns its records. Each accessor is thread-safe on its
// own (the window may read logFilePath while the run thread works).
class Log final
{
public:
    // startTime and endTime are the moment of creation; no records.
    Log();
    ~Log();
    Log(const Log &) = delete;
    Log &operator=(const Log &) = delete;

    QDateTime startTime() const;
    void setStartTime(const QDateTime &v);
    QDateTime endTime() const;
    void setEndTime(const QDateTime &v);

    // Appends a new empty record (status "", pages 0) and returns it. Not
    // written to the running log: for records filled in before the run starts.
    LogFilesPtr addFile();
    // Appends a finished record; while the running log is open it reaches the
    // file at once, and the file is synced at least every kSyncSeconds.
    void append(const LogFiles &record);
    QList<LogFilesPtr> files() const;
    // Whether appended records stay in memory (default). A run too long to
    // hold them sets false before beginJournal(); files() then holds only
    // the records added before, and save() makes the finished log from the
    // running one.
    void setKeepsRecords(bool keeps);

    // Path of the last save (set before the write, so also when it failed);
    // null before the first save. Check save()'s result for whether it exists.
    QString logFilePath() const;

    // Folder the log is saved in. Default (null): getAppPath() + "/Logs".
    // save() never creates it.
    void setLogsFolder(const QString &dir);
    QString logsFolder() const;

    // Locale of the StartTime/EndTime texts (AM/PM marker). Default: the
    // user's locale.
    void setLocale(const QLocale &locale);

    // Writes the log as pretty-printed XML to <logsFolder>/<ddMMyyHHmmss of
    // endTime>.log. A name another log already has gets a counter
    // ("<stamp> (2).log", ...), so runs ending in the same second keep their
    // own logs; saving the same log again reuses its own name. The written
    // file is read back: true only when it holds the whole log. A failed
    // write puts "Could not write document out..." in the system log, leaves
    // no partial file and returns false; so does a caught exception
    // ("Error in (Log=>save) : ...").
    bool save();

    // Opens the running log before a run: <logsFolder>/<ddMMyyHHmmss of
    // startTime>.log (a counter as for save), holding the root element with an
    // empty EndTime and the records so far, each later append() added as it
    // comes. It has no closing tag: a run killed midway leaves every record
    // up to its last sync, readable by readLogFile() (or by any XML reader once
    // "</Log>" is appended). save() replaces it by the finished log and removes
    // it when the end time gives another name; a failed save keeps it. False
    // (the run goes on without it) when the folder refuses the file.
    bool beginJournal();
    static constexpr int kSyncSeconds = 2;

    // The XML text save() writes (for the current records).
    QByteArray toXml() const;
    // "MM/dd/yyyy hh:mm:ss a" in `locale` and the local time zone; "" for an
    // invalid date.
    static QString dateText(const QDateTime &date, const QLocale &locale);
    // "ddMMyyHHmmss.log" of `endTime` in the local time zone.
    static QString fileNameFor(const QDateTime &endTime);

private:
    static constexpr int kMaxLogCounter = 9999;
    // Reserves a free name in `folder` (see save); "" when none can be made.
    QString claimName(const QString &folder, const QString &fileName) const;
    static bool writeChecked(const QString &path, const QByteArray &xml);
    // The root element's opening with the times of this log.
    static QByteArray rootHead(const QDateTime &start, const QDateTime &end, const QLocale &locale);
    // save() for a log that keeps no records: the running log's records
    // between the finished log's opening and closing, read back as save() does.
    bool writeFromJournal(const QString &path, const QString &journalPath, qint64 journalHeadSize) const;
    void writeJournal(const QByteArray &bytes, bool sync); // with m_mutex held
    void closeJournal();                                   // with m_mutex held

    mutable std::mutex m_mutex;
    QDateTime m_startTime;
    QDateTime m_endTime;
    QList<LogFilesPtr> m_files;
    QString m_logFilePath;
    QString m_logsFolder;
    QLocale m_locale;
    int m_journalFd = -1;
    QString m_journalPath;
    qint64 m_lastSyncMs = 0;
    qint64 m_journalHeadSize = 0;
    qint64 m_journalRecords = 0; // records the running log holds
    bool m_keepsRecords = true;
};

// What a saved log says, finished or left unfinished by a killed run (then
// `finished` is false and the records are those whole before the cut). Null
// `error` when the file could be read.
struct LogContents {
    QList<LogFiles> records;
    bool finished = false;
    QString error;
};
LogContents readLogFile(const QString &path);
// The same, one record at a time, for logs too long to hold: each record goes
// to `take` as it is read. Returns the error, null when the file could be read.
QString readLogRecords(const QString &path, const std::function<void(const LogFiles &)> &take,
                       bool *finished);

} // namespace lockleaf
