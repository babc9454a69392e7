#pragma once

#include "model/FileItem.h"

#include <QAbstractTableModel>
#include <QList>

namespace lockleaf
{

// The file table's model over the window's file list.
//
// The list itself belongs to FileList; the model keeps a reference to it and
// is the only code that changes it, so every change is announced to the
// view. Main thread only: the gathering task hands its items to the main thread,
// which appends them here.
//
// Column 0 is the check box ("isselected"); the others show FileItem::displayField
// for their identifier. Sorting (header click or sortFiles) reorders the list in
// place by the FileItem key the column names; selections follow their items.
class FileTableModel final : public QAbstractTableModel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileTableModel)

public:
    enum Column {
        CheckColumn = 0,
        NameColumn,
        PagesColumn,
        SizeColumn,
        TypeColumn,
        ModifiedColumn,
        CreatedColumn,
        AccessedColumn,
        LocationColumn,
        StatusColumn, // the last run's outcome (RunOutcome), in the user's language
        ColumnCount
    };
    // headerData() under this role gives the column identifier.
    static constexpr int IdentifierRole = Qt::UserRole + 1;

    struct Totals {
        int files = 0;
        int checked = 0;
        qint64 checkedPages = 0;
        qint64 pages = 0;
    };

    // `files` must outlive the model.
    explicit FileTableModel(QList<FileItemPtr> &files, QObject *parent = nullptr);
    ~FileTableModel() override;

    static QString columnIdentifier(int column);
    // The FileItem key a column sorts by ("" for none). The size column sorts by
    // the byte count, not by its text, so 900 KB comes before 2 MB.
    static QString sortKeyForColumn(int column);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Remembers the column and order as the current sort, then sorts the list.
    // A column of -1 clears the sort (the list keeps its order).
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    // Sorts the list again by the current sort; stable, so equal keys keep their order.
    void sortFiles();

    // The list, in row order (read-only).
    const QList<FileItemPtr> &files() const { return m_files; }
    FileItemPtr itemAt(int row) const;
    void appendItem(const FileItemPtr &item);
    // Appends the items as one block of rows.
    void appendItems(const QList<FileItemPtr> &items);
    // listed[i] takes counted[i]'s count (FileItem::takeCount); the running
    // total follows and the rows are announced once.
    void applyCounts(const QList<FileItemPtr> &listed, const QList<FileItemPtr> &counted);
    // Removes the items at these rows (any order, duplicates ignored).
    // Returns how many were removed.
    int removeRowsAt(const QList<int> &rows);
    void removeAll();
    // Swaps the items at rows `row` and `row + 1`.
    void swapWithNext(int row);
    // Sets (tag 1), clears (2) or inverts (3) the check of the items at `rows`;
    // other tags change nothing. Announces the check cells that changed.
    void changeChecks(const QList<int> &rows, int tag);
    // Announces that every cell may have changed (the items are shared and may
    // change outside the model), keeping the view's selection.
    void refreshAll();

    // Page total of the whole list, kept up to date as items come and go.
    qint64 runningPageTotal() const { return m_runningPages; }
    // Counts everything again and resynchronises the running total.
    Totals recount();

Q_SIGNALS:
    // The user changed a check box in the table.
    void checkEdited();

private:
    QList<FileItemPtr> &m_files;
    qint64 m_runningPages = 0;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

} // namespace lockleaf
