// The file table's commands: checking, highlighting, removing, moving rows,
// keyboard reordering and file drops.

#include "ui/LockleafAppDelegate.h"

#include "platform/SystemLog.h"
#include "ui/AlertPresenter.h"
#include "ui/FileTableModel.h"

#include "ui_MainWindow.h"

#include <QItemSelection>
#include <QKeyEvent>
#include <QMainWindow>

#include <exception>

namespace lockleaf
{

namespace
{
QString reasonOf(const std::exception &e)
{
    return QString::fromLocal8Bit(e.what());
}
} // namespace

QList<int> LockleafAppDelegate::highlightedRows() const
{
    return m_ui->mainTableView->highlightedRows();
}

void LockleafAppDelegate::checkUncheckInvertSelection(int tag)
{
    try {
        m_model->changeChecks(highlightedRows(), tag);
    } catch (const std::exception &e) {
        logError(QStringLiteral("checkUncheckInvertSelection:"), reasonOf(e));
    }
    m_model->refreshAll();
    resetView(true);
    updateTotalLabel();
}

void LockleafAppDelegate::checkUncheckInvertAll(int tag)
{
    try {
        QList<int> all(m_files.size());
        for (int i = 0; i < all.size(); ++i)
            all[i] = i;
        m_model->changeChecks(all, tag);
    } catch (const std::exception &e) {
        logError(QStringLiteral("checkUncheckInvertAll:"), reasonOf(e));
    }
    m_model->refreshAll();
    resetView(true);
    updateTotalLabel();
}

void LockleafAppDelegate::selectDeselectRemoveAll(int tag)
{
    CustomTableView *table = m_ui->mainTableView;
    try {
        switch (tag) {
        case 1:
            table->selectAll();
            break;
        case 2:
            // Replaces the highlight by row 0 alone.
            if (!m_files.isEmpty()) {
                const QModelIndex first = m_model->index(0, 0);
                table->selectionModel()->select(first, QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
                table->selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
            }
            break;
        case 3:
            if (!m_alerts->confirm(m_window, QStringLiteral("Are you sure to remove all file(s)?")))
                break;
            m_model->removeAll();
            resetView(true);
            updateTotalLabel();
            break;
        case 4:
            m_model->removeRowsAt(highlightedRows());
            resetView(true);
            updateTotalLabel();
            break;
        default:
            break;
        }
    } catch (const std::exception &e) {
        logError(QStringLiteral("selectDeselectRemoveAll:"), reasonOf(e));
    }
}

void LockleafAppDelegate::removeAction()
{
    commitEditing();
    removeFiles();
}

void LockleafAppDelegate::removeFiles()
{
    const qsizetype before = m_files.size();
    try {
        m_model->removeRowsAt(highlightedRows());
    } catch (const std::exception &e) {
        logError(QStringLiteral("remove"), reasonOf(e));
    }
    if (m_files.size() == before)
        return;
    resetView(true);
    updateTotalLabel();
}

namespace
{

// Highlights exactly `rows` and shows the one given, or clears the highlight
// when nothing moved.
void highlightMoved(CustomTableView *table, const QList<int> &rows, int rowToShow)
{
    table->setFocus(Qt::OtherFocusReason);
    QItemSelectionModel *selection = table->selectionModel();
    if (rows.isEmpty()) {
        selection->clearSelection();
        return;
    }
    QItemSelection wanted;
    const int lastColumn = table->model()->columnCount() - 1;
    for (int row : rows)
        wanted.select(table->model()->index(row, 0), table->model()->index(row, lastColumn));
    selection->select(wanted, QItemSelectionModel::ClearAndSelect);
    const QModelIndex shown = table->model()->index(rowToShow, 0);
    selection->setCurrentIndex(shown, QItemSelectionModel::NoUpdate);
    table->scrollTo(shown);
}

} // namespace

void LockleafAppDelegate::moveDown()
{
    QList<FileItemPtr> items;
    for (int row : highlightedRows())
        items.append(m_files.at(row));
    QList<int> moved;
    // Bottom-up, so a block of adjacent rows moves down together.
    for (auto it = items.crbegin(); it != items.crend(); ++it) {
        const int row = int(m_files.indexOf(*it));
        if (row < 0 || row + 1 >= m_files.size())
            break;
        m_model->swapWithNext(row);
        moved.append(row + 1);
    }
    highlightMoved(m_ui->mainTableView, moved,
                   moved.isEmpty() ? -1 : *std::max_element(moved.begin(), moved.end()));
}

void LockleafAppDelegate::moveUp()
{
    QList<FileItemPtr> items;
    for (int row : highlightedRows())
        items.append(m_files.at(row));
    QList<int> moved;
    for (const FileItemPtr &item : std::as_const(items)) {
        const int row = int(m_files.indexOf(item));
        // Row 0 cannot go higher; like the bottom edge for moveDown, it ends the walk.
        if (row <= 0)
            break;
        m_model->swapWithNext(row - 1);
        moved.append(row - 1);
    }
    highlightMoved(m_ui->mainTableView, moved,
                   moved.isEmpty() ? -1 : *std::min_element(moved.begin(), moved.end()));
}

void LockleafAppDelegate::keyDownTableView(QKeyEvent *event)
{
    if (!event || event->type() != QEvent::KeyPress || !(event->modifiers() & Qt::ControlModifier))
        return;
    if (event->key() == Qt::Key_Up && m_ui->moveUpButton->isEnabled())
        moveUp();
    else if (event->key() == Qt::Key_Down && m_ui->moveDownButton->isEnabled())
        moveDown();
}

void LockleafAppDelegate::updateMoveButtons()
{
    const QList<int> rows = highlightedRows();
    m_ui->moveUpButton->setEnabled(!rows.isEmpty() && rows.first() != 0);
    m_ui->moveDownButton->setEnabled(!rows.isEmpty() && rows.last() != m_files.size() - 1);
}

bool LockleafAppDelegate::acceptDrop(const QList<QUrl> &urls)
{
    QList<QUrl> files;
    for (const QUrl &url : urls)
        if (url.isLocalFile())
            files.append(QUrl::fromLocalFile(url.toLocalFile()));
    if (files.isEmpty())
        return false;
    m_ui->lableDragAndDrop->hide();
    commitEditing();
    Arguments arguments;
    arguments.urls = files;
    // A drop may mix files and folders; the gathering tells them apart.
    arguments.isFolders = true;
    arguments.isIncludeSubdirectories = m_ui->inculdeSubfoldersBtn->isChecked();
    startGathering(arguments);
    // The files arrive through the gathering; nothing was done to the dragged ones.
    return false;
}

} // namespace lockleaf
