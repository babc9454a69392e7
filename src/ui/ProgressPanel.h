#pragma once

#include "engine/Process.h"

#include <QDialog>
#include <QPointer>

#include <memory>

class QLabel;
class QVBoxLayout;
class QProgressBar;
class QPushButton;

namespace Ui
{
class ProgressPanel;
} // namespace Ui

namespace lockleaf
{

class RunRecordsTable;

// The progress panel of a run: a window-modal sheet over the main window that
// presents the run's file in hand, its counts as text and as a bar, its summary
// message and its time taken, the files it did not write with their statuses,
// and the buttons View Log, Cancel and Close.
//
// The panel only presents; RunControl connects the buttons to its actions.
// Cancel is enabled while the run works and has not been asked to stop; Close,
// and View Log when a log file was saved, once the run is completed.
//
// Threads: main thread only. The run announces its properties on its own
// thread; the panel hears them through queued connections and then reads the
// run's thread-safe getters, so it always shows the latest values.
class ProgressPanel final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProgressPanel)

public:
    explicit ProgressPanel(QWidget *parent = nullptr);
    ~ProgressPanel() override;

    // Presents `process` from now on (not owned; null presents nothing). The
    // panel forgets a run that is destroyed, so a notification still queued
    // for it is harmless.
    void setProcess(Process *process);
    Process *process() const { return m_process; }

    // Reads the run again and updates every text, the bar and the buttons.
    void refresh();

    QPushButton *viewLogBtn() const;
    QPushButton *cancelProcessBtn() const;
    QPushButton *closeProcessBtn() const;
    QProgressBar *progressBar() const;
    QLabel *fileInProcessLabel() const;
    QLabel *countsLabel() const;
    QLabel *timeTakenLabel() const;
    QLabel *messageLabel() const;
    // The files a completed run did not write, with their statuses; hidden
    // when there are none.
    RunRecordsTable *failureList() const { return m_failureList; }

Q_SIGNALS:
    // Escape or the window's close button: the panel stays up; RunControl
    // decides (cancel while the run works, close once it has ended).
    void closeRequested();

protected:
    void reject() override;

private:
    void showFailures(bool completed);

    std::unique_ptr<Ui::ProgressPanel> m_ui;
    QPointer<Process> m_process;
    RunRecordsTable *m_failureList;
    bool m_failuresShown = false;
    QList<QMetaObject::Connection> m_connections;
};

} // namespace lockleaf
