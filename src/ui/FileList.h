#pragma once

#include "model/FileItem.h"
#include "ui/CustomTableView.h"

#include <QList>
#include <QObject>
#include <QUrl>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QToolButton;

namespace Ui
{
class MainWindow;
} // namespace Ui

namespace lockleaf
{

class AlertPresenter;
class FileTableModel;

// The file list: the list of file items, the table model and view over it, the
// context menu, and the commands on rows: check, highlight, remove, move, and
// the drops on the table.
//
// Owns the list (`files`) and the model; of the window it owns the table, the
// context menu, the check / highlight / remove buttons and menu items, the move
// buttons and the drag-and-drop hint. The list is changed only through the
// model, on the main thread (a gathering's items are appended there too).
//
// It tells the rest of the window by signals: listChanged() after the rows or
// their checks changed through a command, checksChanged() when only checks or
// page counts did, filesDropped() with the locations dropped on the table.
class FileList final : public QObject, public CustomTableViewDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileList)

public:
    // The alert presenter is not owned and must outlive this.
    FileList(Ui::MainWindow &ui, AlertPresenter *alerts, QObject *parent = nullptr);
    // Detaches the model and the delegate from the table first.
    ~FileList() override;

    const QList<FileItemPtr> &files() const { return m_files; }
    FileTableModel *tableModel() const { return m_model; }
    CustomTableView *mainTableView() const { return m_table; }
    QMenu *filesContextMenu() const { return m_filesContextMenu; }
    // Highlighted rows, ascending, and their items in that order.
    QList<int> highlightedRows() const;
    QList<FileItemPtr> highlightedItems() const;
    // Checked items in list order: what a run works on.
    QList<FileItemPtr> checkedItems() const;
    // Removes the rows of `items` (a run's processed files) and the highlight.
    void removeItems(const QList<FileItemPtr> &items);
    // The items changed outside the model (a password, a page count): redraws
    // every cell and announces checksChanged().
    void refreshItems();

    // Tag 1 checks, 2 unchecks, 3 inverts: the highlighted rows, or every row.
    void checkUncheckInvertSelection(int tag);
    void checkUncheckInvertAll(int tag);
    // Checks the rows whose last run failed or skipped them and unchecks the
    // others, so a retry is Start; changes nothing when no row failed.
    void checkFailedOnly();
    // Tag 1 highlights all, 2 highlights the first row alone, 3 removes all
    // after a "Yes", 4 removes the highlighted rows.
    void selectDeselectRemoveAll(int tag);
    void removeAction() override;
    void removeFiles();
    void moveUp();
    void moveDown();
    void keyDownTableView(QKeyEvent *event) override;
    // Local files and folders become filesDropped(); the drag source is told
    // nothing was done to its files (false).
    bool acceptDrop(const QList<QUrl> &urls) override;
    void updateTotalLabel() override { Q_EMIT checksChanged(); }
    void updateMoveButtons();

    // This part's share of the enabling rule: the table follows `enable`,
    // the row commands need a non-empty list too.
    void resetView(bool enable);

Q_SIGNALS:
    void listChanged();
    void checksChanged();
    void filesDropped(const QList<QUrl> &urls);

private:
    void setupTable();
    void setupContextMenu(Ui::MainWindow &ui);
    void connectCommands(Ui::MainWindow &ui);

    QList<FileItemPtr> m_files;
    FileTableModel *m_model;
    AlertPresenter *m_alerts;
    CustomTableView *m_table;
    QMenu *m_filesContextMenu = nullptr;
    QLabel *m_lableDragAndDrop;
    QToolButton *m_moveUpButton;
    QToolButton *m_moveDownButton;
    QList<QPushButton *> m_listButtons;
    QList<QAction *> m_listActions;
};

} // namespace lockleaf
