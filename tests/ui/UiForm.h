#pragma once

// The window's layout without its controller, for tests that build one part of
// the window: the form's widgets in a QMainWindow, a settings record loaded
// from the (test) store and a table model over an empty list.

#include "model/FileItem.h"
#include "model/Settings.h"
#include "ui/FileTableModel.h"

#include "ui_MainWindow.h"

#include <QMainWindow>

namespace uitest
{

class Form
{
public:
    Form() { ui.setupUi(&m_window); }
    Q_DISABLE_COPY_MOVE(Form)

    QMainWindow *window() { return &m_window; }
    const QMainWindow *window() const { return &m_window; }
    lockleaf::Settings *settings() { return &m_settings; }

    // Declared first, so the parts built from it can be members of a fixture
    // declared after it.
    QMainWindow m_window;
    Ui::MainWindow ui;
    lockleaf::Settings m_settings{true};
    QList<lockleaf::FileItemPtr> files;
    lockleaf::FileTableModel model{files};
};

} // namespace uitest
