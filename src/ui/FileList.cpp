#include "ui/FileList.h"

#include "platform/SystemLog.h"
#include "ui/AlertPresenter.h"
#include "ui/CommitEditing.h"
#include "ui/FileTableModel.h"

#include "ui_MainWindow.h"

#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>

#include <algorithm>
#include <exception>

namespace lockleaf
{

namespace
{

QString reasonOf(const std::exception &e)
{
    return QString::fromLocal8Bit(e.what());
}

int tagOf(const QObject *sender)
{
    const QVariant tag = sender ? sender->property("tag") : QVariant();
    return tag.isValid() ? tag.toInt() : -1;
}

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

FileList::FileList(Ui::MainWindow &ui, AlertPresenter *alerts, QObject *parent)
    : QObject(parent), m_model(new FileTableModel(m_files, this)), m_alerts(alerts),
      m_table(ui.mainTableView), m_lableDragAndDrop(ui.lableDragAndDrop), m_moveUpButton(ui.moveUpButton),
      m_moveDownButton(ui.moveDownButton), m_listButtons{ui.selectAllButton, ui.deselectAllButton,
                                                         ui.removeSelectedFilesButton,
                                                         ui.removeAllFilesButton},
      m_listActions{ui.checkHighlightedAction,  ui.uncheckHighlightedAction, ui.invertHighlightedAction,
                    ui.checkAllAction,          ui.uncheckAllAction,         ui.invertAllAction,
                    ui.checkFailedAction,       ui.highlightAllAction,       ui.highlightFirstAction,
                    ui.removeHighlightedAction, ui.removeAllAction}
{
    setupTable();
    setupContextMenu(ui);
    connectCommands(ui);
    m_table->setAcceptDrops(true);
    m_table->viewport()->setAcceptDrops(true);
    m_table->setTableDelegate(this);
}

FileList::~FileList()
{
    m_table->setTableDelegate(nullptr);
    m_table->setContextMenu(nullptr);
    m_table->setModel(nullptr);
}

void FileList::setupTable()
{
    // The hint lies over the table's centre, the very spot it invites drops on:
    // drags and clicks go through it to the table.
    m_lableDragAndDrop->setAttribute(Qt::WA_TransparentForMouseEvents);
    CustomTableView *table = m_table;
    table->setModel(m_model);
    QHeaderView *header = table->horizontalHeader();
    // No sort until the user clicks a header; then the list keeps that order,
    // also after files are added. A third click clears it.
    header->setSortIndicator(-1, Qt::AscendingOrder);
    header->setSortIndicatorClearable(true);
    table->setSortingEnabled(true);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setStretchLastSection(true);
    header->setSectionsMovable(false);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 8);
    table->setTextElideMode(Qt::ElideMiddle);

    const QFontMetrics fm(table->font());
    // Room for a typical value and for the column's title, whatever the language.
    const auto fit = [&fm, table, this](int column, const QString &sample) {
        const QString title = m_model->headerData(column, Qt::Horizontal).toString();
        table->setColumnWidth(column,
                              std::max(fm.horizontalAdvance(sample), fm.horizontalAdvance(title)) + 24);
    };
    table->setColumnWidth(FileTableModel::CheckColumn, 28);
    header->setSectionResizeMode(FileTableModel::CheckColumn, QHeaderView::Fixed);
    fit(FileTableModel::NameColumn,
        QStringLiteral("a-rather-long-document-name.pdf ") + FileTableModel::tr(" (SECURED) ").trimmed());
    fit(FileTableModel::PagesColumn, QStringLiteral("Pages00"));
    fit(FileTableModel::SizeColumn, QStringLiteral("1000 KB0"));
    fit(FileTableModel::TypeColumn, QStringLiteral("Type0"));
    // The dates are written in the user's language (its month names), as the table shows them.
    const QString dateSample = QLocale::system().toString(QDateTime(QDate(2026, 9, 28), QTime(12, 59)),
                                                          QStringLiteral("dd-MMM-yyyy h:mm Ap"));
    for (int c :
         {FileTableModel::ModifiedColumn, FileTableModel::CreatedColumn, FileTableModel::AccessedColumn})
        fit(c, fm.horizontalAdvance(dateSample) > fm.horizontalAdvance(QStringLiteral("28-Sep-2026 12:59 PM"))
                   ? dateSample
                   : QStringLiteral("28-Sep-2026 12:59 PM"));

    connect(m_model, &FileTableModel::checkEdited, this, &FileList::checksChanged);
    // The move buttons follow the highlight and every change of the row count.
    connect(table, &CustomTableView::highlightChanged, this, &FileList::updateMoveButtons);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &FileList::updateMoveButtons);
    // Gone with the first row, also while the rest of a gathering comes in.
    connect(m_model, &QAbstractItemModel::rowsInserted, m_lableDragAndDrop, &QWidget::hide);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &FileList::updateMoveButtons);
    connect(m_model, &QAbstractItemModel::rowsMoved, this, &FileList::updateMoveButtons);
    connect(m_model, &QAbstractItemModel::modelReset, this, &FileList::updateMoveButtons);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, &FileList::updateMoveButtons);
    updateMoveButtons();
}

void FileList::setupContextMenu(Ui::MainWindow &ui)
{
    m_filesContextMenu = new QMenu(m_table->window());
    m_filesContextMenu->setObjectName(QStringLiteral("filesContextMenu"));
    m_filesContextMenu->addAction(ui.checkHighlightedAction);
    m_filesContextMenu->addAction(ui.uncheckHighlightedAction);
    m_filesContextMenu->addAction(ui.invertHighlightedAction);
    m_filesContextMenu->addAction(ui.checkFailedAction);
    m_filesContextMenu->addSeparator();
    m_filesContextMenu->addAction(ui.removeHighlightedAction);
    m_table->setContextMenu(m_filesContextMenu);
}

void FileList::connectCommands(Ui::MainWindow &ui)
{
    // The tag of the sender picks the variant.
    const auto byTag = [this](QObject *sender, void (FileList::*command)(int)) {
        return [this, sender, command] { (this->*command)(tagOf(sender)); };
    };
    for (QPushButton *b : {ui.selectAllButton, ui.deselectAllButton})
        connect(b, &QPushButton::clicked, this, byTag(b, &FileList::checkUncheckInvertAll));
    for (QPushButton *b : {ui.removeSelectedFilesButton, ui.removeAllFilesButton})
        connect(b, &QPushButton::clicked, this, byTag(b, &FileList::selectDeselectRemoveAll));
    // F8 reaches this item through the table's context menu only, not as a
    // window-wide shortcut.
    ui.checkHighlightedAction->setShortcutContext(Qt::WidgetShortcut);
    for (QAction *a : {ui.checkHighlightedAction, ui.uncheckHighlightedAction, ui.invertHighlightedAction})
        connect(a, &QAction::triggered, this, byTag(a, &FileList::checkUncheckInvertSelection));
    for (QAction *a : {ui.checkAllAction, ui.uncheckAllAction, ui.invertAllAction})
        connect(a, &QAction::triggered, this, byTag(a, &FileList::checkUncheckInvertAll));
    connect(ui.checkFailedAction, &QAction::triggered, this, &FileList::checkFailedOnly);
    for (QAction *a :
         {ui.highlightAllAction, ui.highlightFirstAction, ui.removeHighlightedAction, ui.removeAllAction})
        connect(a, &QAction::triggered, this, byTag(a, &FileList::selectDeselectRemoveAll));
    connect(ui.moveUpButton, &QToolButton::clicked, this, [this] { moveUp(); });
    connect(ui.moveDownButton, &QToolButton::clicked, this, [this] { moveDown(); });
}

QList<int> FileList::highlightedRows() const
{
    return m_table->highlightedRows();
}

QList<FileItemPtr> FileList::highlightedItems() const
{
    QList<FileItemPtr> items;
    for (int row : highlightedRows())
        if (const FileItemPtr item = m_model->itemAt(row))
            items.append(item);
    return items;
}

QList<FileItemPtr> FileList::checkedItems() const
{
    QList<FileItemPtr> items;
    for (const FileItemPtr &item : m_files)
        if (item->isSelected())
            items.append(item);
    return items;
}

void FileList::removeItems(const QList<FileItemPtr> &items)
{
    QList<int> rows;
    for (int row = 0; row < m_files.size(); ++row)
        if (items.contains(m_files.at(row)))
            rows.append(row);
    m_model->removeRowsAt(rows);
    m_table->clearSelection();
    m_model->refreshAll();
}

void FileList::refreshItems()
{
    m_model->refreshAll();
    Q_EMIT checksChanged();
}

void FileList::resetView(bool enable)
{
    m_table->setEnabled(enable);
    const bool listUsable = enable && !m_files.isEmpty();
    for (QPushButton *b : std::as_const(m_listButtons))
        b->setEnabled(listUsable);
    for (QAction *a : std::as_const(m_listActions))
        a->setEnabled(listUsable);
    m_lableDragAndDrop->setVisible(m_files.isEmpty());
}

void FileList::checkUncheckInvertSelection(int tag)
{
    try {
        m_model->changeChecks(highlightedRows(), tag);
    } catch (const std::exception &e) {
        logError(QStringLiteral("checkUncheckInvertSelection:"), reasonOf(e));
    }
    m_model->refreshAll();
    Q_EMIT listChanged();
}

void FileList::checkUncheckInvertAll(int tag)
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
    Q_EMIT listChanged();
}

void FileList::checkFailedOnly()
{
    QList<int> failed;
    QList<int> others;
    for (int row = 0; row < m_files.size(); ++row)
        (m_files.at(row)->lastOutcome().failed ? failed : others).append(row);
    // Nothing to retry: the checks stay as the user left them.
    if (failed.isEmpty())
        return;
    m_model->changeChecks(failed, 1);
    m_model->changeChecks(others, 2);
    m_model->refreshAll();
    Q_EMIT listChanged();
}

void FileList::selectDeselectRemoveAll(int tag)
{
    try {
        switch (tag) {
        case 1:
            m_table->selectAll();
            break;
        case 2:
            // Replaces the highlight by row 0 alone.
            if (!m_files.isEmpty()) {
                const QModelIndex first = m_model->index(0, 0);
                m_table->selectionModel()->select(first, QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
                m_table->selectionModel()->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
            }
            break;
        case 3:
            if (!m_alerts->confirm(m_table->window(), tr("Are you sure to remove all file(s)?")))
                break;
            m_model->removeAll();
            Q_EMIT listChanged();
            break;
        case 4:
            m_model->removeRowsAt(highlightedRows());
            Q_EMIT listChanged();
            break;
        default:
            break;
        }
    } catch (const std::exception &e) {
        logError(QStringLiteral("selectDeselectRemoveAll:"), reasonOf(e));
    }
}

void FileList::removeAction()
{
    commitEditing(m_table->window());
    removeFiles();
}

void FileList::removeFiles()
{
    const qsizetype before = m_files.size();
    try {
        m_model->removeRowsAt(highlightedRows());
    } catch (const std::exception &e) {
        logError(QStringLiteral("remove"), reasonOf(e));
    }
    if (m_files.size() != before)
        Q_EMIT listChanged();
}

void FileList::moveDown()
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
    highlightMoved(m_table, moved, moved.isEmpty() ? -1 : *std::max_element(moved.begin(), moved.end()));
}

void FileList::moveUp()
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
    highlightMoved(m_table, moved, moved.isEmpty() ? -1 : *std::min_element(moved.begin(), moved.end()));
}

void FileList::keyDownTableView(QKeyEvent *event)
{
    if (!event || event->type() != QEvent::KeyPress || !(event->modifiers() & Qt::ControlModifier))
        return;
    if (event->key() == Qt::Key_Up && m_moveUpButton->isEnabled())
        moveUp();
    else if (event->key() == Qt::Key_Down && m_moveDownButton->isEnabled())
        moveDown();
}

void FileList::updateMoveButtons()
{
    const QList<int> rows = highlightedRows();
    m_moveUpButton->setEnabled(!rows.isEmpty() && rows.first() != 0);
    m_moveDownButton->setEnabled(!rows.isEmpty() && rows.last() != m_files.size() - 1);
}

bool FileList::acceptDrop(const QList<QUrl> &urls)
{
    QList<QUrl> files;
    for (const QUrl &url : urls)
        if (url.isLocalFile())
            files.append(QUrl::fromLocalFile(url.toLocalFile()));
    if (files.isEmpty())
        return false;
    m_lableDragAndDrop->hide();
    commitEditing(m_table->window());
    Q_EMIT filesDropped(files);
    // The files arrive through a gathering; nothing was done to the dragged ones.
    return false;
}

} // namespace lockleaf
