#include "ui/CommitEditing.h"

#include <QApplication>
#include <QLineEdit>

namespace lockleaf
{

void commitEditing(const QWidget *window)
{
    auto *field = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    if (!field || !window || field->window() != window)
        return;
    Q_EMIT field->editingFinished();
    field->clearFocus();
}

} // namespace lockleaf
