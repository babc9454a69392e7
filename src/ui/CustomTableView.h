#pragma once

#include <QList>
#include <QTableView>
#include <QUrl>

class QMenu;
class QMimeData;

namespace lockleaf
{

// What the file table asks of the file list (FileList). Called on the main thread.
class CustomTableViewDelegate
{
public:
    virtual ~CustomTableViewDelegate() = default;
    virtual void updateTotalLabel() = 0;
    // Removes the highlighted rows (Delete / Backspace).
    virtual void removeAction() = 0;
    // Ctrl+Up / Ctrl+Down (Command on macOS).
    virtual void keyDownTableView(QKeyEvent *event) = 0;
    // Files or folders dropped from outside the table. The result tells the drag
    // source whether the drop was performed.
    virtual bool acceptDrop(const QList<QUrl> &urls) = 0;
};

// The file table: a QTableView with the window's context-menu rule, keyboard
// commands and file drops. Rows are never dragged out of it.
//
// Neither the context menu nor the delegate is owned; both must outlive the view
// or be reset to nullptr first.
class CustomTableView final : public QTableView
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CustomTableView)

public:
    explicit CustomTableView(QWidget *parent = nullptr);
    ~CustomTableView() override;

    QMenu *contextMenu() const { return m_contextMenu; }
    void setContextMenu(QMenu *menu) { m_contextMenu = menu; }
    CustomTableViewDelegate *tableDelegate() const { return m_delegate; }
    void setTableDelegate(CustomTableViewDelegate *delegate) { m_delegate = delegate; }

    // Highlighted rows, ascending.
    QList<int> highlightedRows() const;
    // The menu a context-menu event gets: the context menu for a right mouse
    // button with at least one row highlighted, otherwise none.
    QMenu *menuForEvent(const QContextMenuEvent *event) const;
    // The drop rule: a drag that comes from this table, or that carries no
    // local file, is refused.
    bool canAcceptDrag(const QObject *source, const QMimeData *mimeData) const;

Q_SIGNALS:
    void highlightChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;

private:
    void toggleHighlightedChecks();
    bool offerToContextMenu(QKeyEvent *event);

    QMenu *m_contextMenu = nullptr;
    CustomTableViewDelegate *m_delegate = nullptr;
};

} // namespace lockleaf
