#pragma once

#include "engine/Log.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace lockleaf
{

class RunRecordsTable;

// A run's log read inside the application: one row per record (file, status,
// pages, target), the saved log's path, a line when the log was left
// unfinished, and "Open in another application",
// which emits openExternallyRequested() with that path. Read-only; a child of
// the window, made on first use and kept between uses. Main thread only.
class LogView final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LogView)

public:
    explicit LogView(QWidget *parent = nullptr);

    // Shows `records` and `logPath` (the other application's button needs a
    // saved log); `unfinished` says the log lacks its end (its run was killed).
    void present(const QList<LogFilesPtr> &records, const QList<int> &pages, const QString &logPath,
                 bool unfinished = false);

    RunRecordsTable *records() const { return m_records; }
    QPushButton *openExternallyBtn() const { return m_openExternally; }
    QLabel *pathLabel() const { return m_path; }
    QLabel *unfinishedLabel() const { return m_unfinished; }

Q_SIGNALS:
    void openExternallyRequested(const QString &logPath);

private:
    RunRecordsTable *m_records;
    QLabel *m_path;
    QLabel *m_unfinished;
    QPushButton *m_openExternally;
    QString m_logPath;
};

} // namespace lockleaf
