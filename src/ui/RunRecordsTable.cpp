#include "ui/RunRecordsTable.h"

#include "ui/RunTexts.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>

#include <algorithm>

namespace lockleaf
{

RunRecordsTable::RunRecordsTable(bool detailed, QWidget *parent) : QTableWidget(parent), m_detailed(detailed)
{
    QStringList headers{tr("File"), tr("Status")};
    if (detailed)
        headers << tr("Pages") << tr("Target");
    setColumnCount(int(headers.size()));
    setHorizontalHeaderLabels(headers);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setWordWrap(false);
    // A long name or path loses its middle, not the end the user reads it by;
    // the tooltip holds it whole.
    setTextElideMode(Qt::ElideMiddle);
    setAlternatingRowColors(true);
    verticalHeader()->setVisible(false);
    // Compact rows: a few failures should not need a scroll bar.
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    // The name (and the target) take the room the status and pages leave, so
    // a long name never pushes the status out of sight.
    QHeaderView *header = horizontalHeader();
    header->setStretchLastSection(false);
    header->setMinimumSectionSize(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 4);
    for (int column = 0; column < columnCount(); ++column)
        header->setSectionResizeMode(column, column == FileColumn || column == TargetColumn
                                                 ? QHeaderView::Stretch
                                                 : QHeaderView::ResizeToContents);

    auto *copy = new QAction(tr("Copy"), this);
    connect(copy, &QAction::triggered, this, &RunRecordsTable::copySelection);
    addAction(copy);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

bool RunRecordsTable::isSuccess(const QString &status)
{
    return status == QLatin1String("Secured Completed") || status == QLatin1String("Un-Secured Completed");
}

QList<LogFilesPtr> RunRecordsTable::failures(const QList<LogFilesPtr> &records)
{
    QList<LogFilesPtr> failed;
    for (const LogFilesPtr &record : records)
        if (record && !isSuccess(record->status()))
            failed.append(record);
    return failed;
}

void RunRecordsTable::setRecords(const QList<LogFilesPtr> &records, const QList<int> &pages)
{
    clearContents();
    setRowCount(int(records.size()));
    for (int row = 0; row < records.size(); ++row) {
        const LogFiles &record = *records.at(row);
        // The status is English in the log; here it is in the user's language.
        const QString status = record.status().isEmpty() ? tr("Not written.") : shownRunText(record.status());
        QStringList cells{record.filename(), status};
        if (m_detailed)
            cells << QString::number(row < pages.size() ? pages.at(row) : record.pages())
                  << QDir::toNativeSeparators(record.targetPath());
        for (int column = 0; column < cells.size(); ++column) {
            auto *item = new QTableWidgetItem(cells.at(column));
            // The source folder travels with the name, for the user who has to find the file.
            if (column == 0)
                item->setToolTip(
                    QDir::toNativeSeparators(QDir(record.sourcePath()).filePath(record.filename())));
            else
                item->setToolTip(cells.at(column));
            setItem(row, column, item);
        }
    }
    updateGeometry();
}

QSize RunRecordsTable::sizeHint() const
{
    // Tall enough for the rows (up to eight), so a short list leaves no empty box.
    const int rows = std::clamp(rowCount(), 1, 8);
    const int height = horizontalHeader()->sizeHint().height() +
                       rows * verticalHeader()->defaultSectionSize() + 2 * frameWidth() +
                       (horizontalScrollBar()->isVisible() ? horizontalScrollBar()->height() : 0);
    // Wide enough for its columns (a long name or status, in any language), up
    // to a width that still leaves the window around the panel in sight; a
    // longer name is shortened.
    int width = 2 * frameWidth() + (rowCount() > rows ? verticalScrollBar()->sizeHint().width() : 0);
    for (int column = 0; column < columnCount(); ++column)
        width += std::max(sizeHintForColumn(column), horizontalHeader()->sectionSizeHint(column));
    return {std::clamp(width, QTableWidget::sizeHint().width(), 640), height};
}

QString RunRecordsTable::selectedText() const
{
    QList<int> rows;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    if (rows.isEmpty())
        for (int row = 0; row < rowCount(); ++row)
            rows.append(row);
    QStringList lines;
    for (int row : std::as_const(rows)) {
        QStringList cells;
        for (int column = 0; column < columnCount(); ++column)
            cells.append(item(row, column) ? item(row, column)->text() : QString());
        lines.append(cells.join(QLatin1Char('\t')));
    }
    return lines.join(QLatin1Char('\n'));
}

void RunRecordsTable::copySelection() const
{
    QApplication::clipboard()->setText(selectedText());
}

void RunRecordsTable::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        event->accept();
        return;
    }
    QTableWidget::keyPressEvent(event);
}

} // namespace lockleaf
