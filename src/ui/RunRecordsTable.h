#pragma once

#include "engine/Log.h"

#include <QTableWidget>

namespace lockleaf
{

// A read-only table of a run's log records: the progress panel lists the files
// that failed with it, the log view every record. Rows can be selected and
// copied (Ctrl+C or the context menu) as tab-separated lines.
class RunRecordsTable final : public QTableWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RunRecordsTable)

public:
    enum Column { FileColumn, StatusColumn, PagesColumn, TargetColumn };

    // `detailed` adds the pages and target columns to file and status.
    explicit RunRecordsTable(bool detailed, QWidget *parent = nullptr);

    // `pages`, by row, stands in for the records' page counts, which a batch
    // run leaves at 0; rows past its end show the record's own.
    void setRecords(const QList<LogFilesPtr> &records, const QList<int> &pages = {});
    // The selected rows (every row when none is selected), one line each.
    QString selectedText() const;
    void copySelection() const;

    // True for the statuses of a file written.
    static bool isSuccess(const QString &status);
    // The records of files not written; a record without status counts as not written.
    static QList<LogFilesPtr> failures(const QList<LogFilesPtr> &records);

    QSize sizeHint() const override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool m_detailed;
};

} // namespace lockleaf
