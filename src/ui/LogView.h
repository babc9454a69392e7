#pragma once

#include "engine/Log.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace lockleaf
{

class RunRecordsTable;

// A run's log read inside the application: one row per record (file, status,
// pages, target), the saved log's path, and "Open in another application",
// which emits openExternallyRequested() with that path. Read-only; a child of
// the window, made on first use and kept between uses. Main thread only.
class LogView final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LogView)

public:
    explicit LogView(QWidget *parent = nullptr);

    // Shows `records` and `logPath` (the other application's button needs a saved log).
    void present(const QList<LogFilesPtr> &records, const QList<int> &pages, const QString &logPath);

    RunRecordsTable *records() const { return m_records; }
    QPushButton *openExternallyBtn() const { return m_openExternally; }
    QLabel *pathLabel() const { return m_path; }

Q_SIGNALS:
    void openExternallyRequested(const QString &logPath);

private:
    RunRecordsTable *m_records;
    QLabel *m_path;
    QPushButton *m_openExternally;
    QString m_logPath;
};

} // namespace lockleaf
