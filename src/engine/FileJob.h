#pragma once

#include "engine/Log.h"
#include "model/FileItem.h"

#include <QDateTime>
#include <QString>

#include <functional>

namespace lockleaf
{

class OutputNames;
class Settings;

// Where a test hook is called (see FileJob::Context::hook).
enum class FileHookPoint {
    BeforeOpen,  // before a source is opened: outside the per-file guard
    BeforeWrite, // before an output is written: inside the per-file guard
};

// The work on one source file of a run: optional backup copy, open, unlock,
// the copy-permission and signature checks, the output's name, and the write
// with or without security, told in the file's log record. The window's runs
// and lockleaf-cli's both reach it through Process, from a worker thread or
// from start()'s own; a job holds no state between files, so one serves a
// whole run on every thread.
//
// Files: every output goes through PDFDocument's atomic write, so a failed or
// interrupted file leaves the target as it was; a backup copy that was made
// stays on disk whatever happens next; a source that changed since it was
// read, or that other hard links share in place, is never replaced.
class FileJob final
{
public:
    struct Context {
        Settings *settings = nullptr;       // live; each value read when needed; null: nothing is written
        int keyLengthOverride = 0;          // 40, 128 or 256; 0 takes it from the settings
        OutputNames *outputNames = nullptr; // the run's, shared by its workers; must be set
        std::function<QDateTime()> now;     // the backup stamps' clock; null: the system's
        // Test seam: an exception it throws is handled like one from qpdf there.
        std::function<void(FileHookPoint, const QString &)> hook;
    };
    struct Result {
        int written = 0;         // outputs written (0 or 1)
        bool unexpected = false; // an exception was caught: the run reports an error
    };

    explicit FileJob(Context context) : m_context(std::move(context)) {}

    // Works on `item`, writing into `outputFolder`, and fills `record` (status,
    // reason, a renamed target). Throws only what the BeforeOpen hook throws.
    Result run(const FileItem &item, LogFiles &record, const QString &outputFolder) const;

private:
    QDateTime now() const { return m_context.now ? m_context.now() : QDateTime::currentDateTime(); }

    Context m_context;
};

} // namespace lockleaf
