#include "ui/CustomTableView.h"

#include "ui/FileTableModel.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

#include <algorithm>

namespace lockleaf
{

CustomTableView::CustomTableView(QWidget *parent) : QTableView(parent)
{
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    // Rows are reordered by the move commands only; the table never starts a drag.
    setDragEnabled(false);
    setDragDropMode(QAbstractItemView::DropOnly);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    setContextMenuPolicy(Qt::DefaultContextMenu);
}

CustomTableView::~CustomTableView() = default;

QList<int> CustomTableView::highlightedRows() const
{
    QList<int> rows;
    if (!selectionModel())
        return rows;
    const QModelIndexList selected = selectionModel()->selectedRows();
    rows.reserve(selected.size());
    for (const QModelIndex &idx : selected)
        rows.append(idx.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

QMenu *CustomTableView::menuForEvent(const QContextMenuEvent *event) const
{
    if (!event || event->reason() != QContextMenuEvent::Mouse || !m_contextMenu)
        return nullptr;
    if (!selectionModel() || !selectionModel()->hasSelection())
        return nullptr;
    return m_contextMenu;
}

void CustomTableView::contextMenuEvent(QContextMenuEvent *event)
{
    if (QMenu *menu = menuForEvent(event)) {
        menu->popup(event->globalPos());
        event->accept();
        return;
    }
    event->ignore();
}

void CustomTableView::mousePressEvent(QMouseEvent *event)
{
    // A right click leaves the highlight alone: the context menu acts on what
    // was highlighted before the click.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void CustomTableView::toggleHighlightedChecks()
{
    auto *files = qobject_cast<FileTableModel *>(model());
    if (!files)
        return;
    files->changeChecks(highlightedRows(), 3);
    if (m_delegate)
        m_delegate->updateTotalLabel();
}

bool CustomTableView::offerToContextMenu(QKeyEvent *event)
{
    const QKeySequence pressed(event->keyCombination());
    QList<QMenu *> menus{m_contextMenu};
    while (!menus.isEmpty()) {
        QMenu *menu = menus.takeFirst();
        for (QAction *action : menu->actions()) {
            if (action->menu())
                menus.append(action->menu());
            else if (action->isEnabled() && action->shortcuts().contains(pressed)) {
                action->trigger();
                return true;
            }
        }
    }
    return false;
}

void CustomTableView::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Space) {
        toggleHighlightedChecks();
        event->accept();
        return;
    }
    if (key == Qt::Key_F8 && m_contextMenu) {
        if (selectionModel() && selectionModel()->hasSelection())
            offerToContextMenu(event);
        event->accept();
        return;
    }
    if (key == Qt::Key_Delete || key == Qt::Key_Backspace) {
        if (m_delegate)
            m_delegate->removeAction();
        event->accept();
        return;
    }
    // Qt maps the Command key to ControlModifier on macOS.
    if ((event->modifiers() & Qt::ControlModifier) && (key == Qt::Key_Up || key == Qt::Key_Down)) {
        if (m_delegate)
            m_delegate->keyDownTableView(event);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

bool CustomTableView::canAcceptDrag(const QObject *source, const QMimeData *mimeData) const
{
    if (source && (source == this || source == viewport()))
        return false;
    if (!mimeData || !mimeData->hasUrls())
        return false;
    const QList<QUrl> urls = mimeData->urls();
    return std::any_of(urls.cbegin(), urls.cend(), [](const QUrl &url) { return url.isLocalFile(); });
}

void CustomTableView::dragEnterEvent(QDragEnterEvent *event)
{
    if (!canAcceptDrag(event->source(), event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
}

void CustomTableView::dragMoveEvent(QDragMoveEvent *event)
{
    // The whole table is the target, never a place between rows.
    if (!canAcceptDrag(event->source(), event->mimeData())) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept(viewport()->rect());
}

void CustomTableView::dropEvent(QDropEvent *event)
{
    if (!canAcceptDrag(event->source(), event->mimeData()) || !m_delegate) {
        event->ignore();
        return;
    }
    const QList<QUrl> urls = event->mimeData()->urls();
    if (m_delegate->acceptDrop(urls)) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        // The files arrive through the gathering; the drag source is told that
        // nothing was done to them.
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
    }
}

void CustomTableView::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QTableView::selectionChanged(selected, deselected);
    Q_EMIT highlightChanged();
}

} // namespace lockleaf
