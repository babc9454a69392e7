#pragma once

#include <QColor>
#include <QObject>
#include <QString>

#include <atomic>

class QLabel;
class QPushButton;
class QWidget;

namespace Ui
{
class MainWindow;
} // namespace Ui

namespace lockleaf
{

class BusyIndicator;
class FileTableModel;
class Settings;

// The window state shared by every part: the busy flag and its looks (the busy
// indicator, the dimmed totals), the totals and time-taken lines, the enabled
// state of the start and stop buttons, and the window-wide enabling rule.
//
// It owns the status row of the window (the three labels, the busy indicator)
// and the enabled state of convertBtn and cancelBtn; their clicks belong to the
// run and the gathering. resetView() does not know the other parts' controls:
// it announces viewReset() and each part enables its own.
//
// Main thread only, except isProcessing(), which a gathering thread polls.
// Neither the model nor the settings is owned; both must outlive this.
class WindowState final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WindowState)

public:
    WindowState(Ui::MainWindow &ui, FileTableModel *model, Settings *settings, QObject *parent = nullptr);
    ~WindowState() override;

    // True while a gathering or a run keeps the window busy. Thread-safe.
    bool isProcessing() const { return m_isProcessing.load(); }
    // Clears the busy flag only: a gathering polls it and stops before its next file.
    void clearProcessing() { m_isProcessing = false; }
    QColor processingLabelColor() const { return m_processingLabelColor; }

    // Busy: flag set, indicator turning, totals dimmed.
    void startProcess();
    // The indicator stands still while the flag stays set (a run shows its own progress).
    void stopBusyIndicator();
    // Idle: flag cleared, indicator still, totals in the normal colour; then
    // processStopped() lets the options panel show its mode again.
    void stopProcess();
    // Enables or disables the start and stop buttons.
    void resetViewForProcess(bool enabled);
    // The enabling rule: announces viewReset(enable), then redraws the window.
    void resetView(bool enable);
    void resetViewObject(bool enable) { resetView(enable); }

    // Counts the list again: both totals lines, start enabled, time line at zero.
    void updateTotalLabel();
    // The same without the time line, while a gathering's rows come in.
    void updateTotals();
    // The running page total, after each item a gathering appends.
    void updateTotalPagesLabel();
    // A null text shows the zero line.
    void updateTimeTakenLabel(const QString &text);
    // Appends a non-empty password to the saved list (duplicates are skipped there).
    void addToPasswordsList(const QString &password);

Q_SIGNALS:
    // Each part enables or disables its own controls; `enable` false means busy.
    void viewReset(bool enable);
    // stopProcess() has put the window back to idle.
    void processStopped();

private:
    void setTotalsColor(const QColor &color);

    QWidget *m_window;
    BusyIndicator *m_loadingIndicator;
    QLabel *m_labelTotalFiles;
    QLabel *m_labelTotalPDFPages;
    QLabel *m_labelTimeTaken;
    QPushButton *m_convertBtn;
    QPushButton *m_cancelBtn;
    FileTableModel *m_model;
    Settings *m_settings;

    std::atomic<bool> m_isProcessing{false};
    QColor m_processingLabelColor;
};

} // namespace lockleaf
