#pragma once

// The window's layout without its controller, for tests that build one part of
// the window: the form's widgets in a QMainWindow, a settings record loaded
// from the (test) store and a table model over an empty list.

#include "model/FileItem.h"
#include "model/Settings.h"
#include "ui/AlertPresenter.h"
#include "ui/FileList.h"
#include "ui/FileTableModel.h"
#include "ui/Gathering.h"
#include "ui/WindowState.h"

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

// The file list alone on the form, filled by a real gathering, with the window
// state the gathering reports to. No other part is made and nothing is wired
// between them: a test sees what the list itself does and announces.
class ListForm : public Form
{
public:
    ListForm() { m_window.show(); }

    lockleaf::AlertPresenter *alerts() { return &m_alerts; }
    lockleaf::FileList *fileList() { return &m_list; }
    lockleaf::WindowState *windowState() { return &m_state; }
    lockleaf::Gathering *gathering() { return &m_gathering; }

private:
    lockleaf::AlertPresenter m_alerts;
    lockleaf::FileList m_list{ui, &m_alerts};
    lockleaf::WindowState m_state{ui, m_list.tableModel(), settings()};
    lockleaf::Gathering m_gathering{m_list.tableModel(),
                                    m_list.mainTableView(),
                                    &m_state,
                                    settings(),
                                    {QStringLiteral("pdf"), QStringLiteral("PDF")}};
};

} // namespace uitest
