#include "ui/ProgressPanel.h"

#include "engine/Process.h"
#include "platform/Utilities.h"
#include "ui/RunRecordsTable.h"
#include "ui/RunTexts.h"

#include "ui_ProgressPanel.h"

#include <QFileInfo>
#include <QHeaderView>
#include <QVBoxLayout>

#include <algorithm>

namespace lockleaf
{

namespace
{

// A label's text is its accessible name; an empty summary still needs one.
void nameSummary(QLabel *label)
{
    label->setAccessibleName(label->text().isEmpty() ? ProgressPanel::tr("Summary") : QString());
}

} // namespace

ProgressPanel::ProgressPanel(QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::ProgressPanel>()),
      m_failureList(new RunRecordsTable(false, this))
{
    m_ui->setupUi(this);
    // Below the summary, so the reasons are read right after the counts.
    m_failureList->setObjectName(QStringLiteral("failureList"));
    m_failureList->setAccessibleName(tr("Files not written"));
    m_failureList->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Maximum);
    m_failureList->hide();
    m_ui->panelLayout->insertWidget(m_ui->panelLayout->indexOf(m_ui->messageLabel) + 1, m_failureList);
    setWindowTitle(getAppTitle());
    setWindowModality(Qt::WindowModal);
    // A sheet has no place in the window list and no resize handle of its own.
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setSizeGripEnabled(false);
    m_ui->fileInProcessLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    QFont bold = m_ui->messageLabel->font();
    bold.setBold(true);
    m_ui->messageLabel->setFont(bold);
    refresh();
}

ProgressPanel::~ProgressPanel() = default;

void ProgressPanel::setProcess(Process *process)
{
    for (const QMetaObject::Connection &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_process = process;
    if (process) {
        // Announced on the run's thread: queued, so the widgets change here only.
        const auto watch = [this, process](void (Process::*signal)()) {
            m_connections.append(
                connect(process, signal, this, &ProgressPanel::refresh, Qt::QueuedConnection));
        };
        watch(&Process::fileInProcessChanged);
        watch(&Process::totalFileProcessedChanged);
        watch(&Process::totalFileCreatedChanged);
        watch(&Process::totalFileSelectedChanged);
        watch(&Process::messageChanged);
        watch(&Process::timeTakenChanged);
        watch(&Process::isCombiningChanged);
        watch(&Process::isCompletedChanged);
    }
    refresh();
}

void ProgressPanel::refresh()
{
    Ui::ProgressPanel &ui = *m_ui;
    Process *process = m_process.data();
    if (!process) {
        ui.fileInProcessLabel->setText(QString());
        ui.countsLabel->setText(QString());
        ui.timeTakenLabel->setText(QString());
        ui.messageLabel->setText(QString());
        nameSummary(ui.messageLabel);
        ui.progressBar->setRange(0, 1);
        ui.progressBar->setValue(0);
        ui.progressBar->setFormat(QString());
        ui.viewLogBtn->setEnabled(false);
        ui.cancelProcessBtn->setEnabled(false);
        ui.closeProcessBtn->setEnabled(true);
        showFailures(false);
        return;
    }

    const bool completed = process->isCompleted();
    const bool stopping = !completed && !process->isCombining();
    const int total = static_cast<int>(std::as_const(*process).outputFiles().size());
    const int processed = process->totalFileProcessed();
    const int created = process->totalFileCreated();
    const QString file = process->fileInProcess();

    if (completed)
        ui.fileInProcessLabel->setText(tr("Finished."));
    else if (!process->message().isEmpty())
        // The summary is set: the run is ending (saving its log, opening its folder), not cancelling.
        ui.fileInProcessLabel->setText(tr("Finishing..."));
    else if (stopping)
        ui.fileInProcessLabel->setText(tr("Cancelling after the file in hand..."));
    else if (!file.isEmpty()) {
        // A long name is shortened in its middle rather than widening the sheet.
        const int width = ui.fileInProcessLabel->width() > 40 ? ui.fileInProcessLabel->width() : 380;
        ui.fileInProcessLabel->setText(ui.fileInProcessLabel->fontMetrics().elidedText(
            tr("Processing: %1").arg(file), Qt::ElideMiddle, width));
    } else
        ui.fileInProcessLabel->setText(tr("Starting..."));

    // An empty run is full once it has ended, never a busy bar (a 0..0 range).
    ui.progressBar->setRange(0, std::max(total, 1));
    ui.progressBar->setValue(total == 0 ? (completed ? 1 : 0) : std::min(processed, total));
    ui.progressBar->setFormat(QStringLiteral("%1 / %2").arg(processed).arg(total));

    ui.countsLabel->setText(tr("%1 of %2 processed, %3 written").arg(processed).arg(total).arg(created));
    // The duration text of a run under one second is empty; the panel says so.
    const QString taken = process->timeTaken();
    ui.timeTakenLabel->setText(completed || !taken.isEmpty() ? shownDuration(taken) : QString());
    // The summary may carry "\r\n"; a label breaks on the line feed alone.
    ui.messageLabel->setText(
        shownRunText(process->message()).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    nameSummary(ui.messageLabel);
    // Focus lands on Close at the end: a screen reader then reads the summary with it.
    ui.closeProcessBtn->setAccessibleDescription(ui.messageLabel->text());

    showFailures(completed);

    ui.cancelProcessBtn->setEnabled(!completed && !stopping);
    ui.closeProcessBtn->setEnabled(completed);
    ui.viewLogBtn->setEnabled(completed && QFileInfo::exists(process->log().logFilePath()));
    if (completed && !ui.closeProcessBtn->hasFocus()) {
        ui.closeProcessBtn->setDefault(true);
        ui.closeProcessBtn->setFocus();
    }
}

void ProgressPanel::showFailures(bool completed)
{
    // The records are the run thread's until it has completed.
    const QList<LogFilesPtr> failed =
        completed && m_process ? RunRecordsTable::failures(m_process->log().files()) : QList<LogFilesPtr>();
    const bool show = !failed.isEmpty();
    if (show)
        m_failureList->setRecords(failed);
    if (show == m_failuresShown)
        return;
    m_failuresShown = show;
    m_failureList->setVisible(show);
    adjustSize();
    // Grown from its left edge the sheet would slide over the options pane;
    // it stays centred on the window.
    if (isVisible() && parentWidget()) {
        const QRect owner = parentWidget()->window()->frameGeometry();
        move(owner.center().x() - frameGeometry().width() / 2, pos().y());
    }
}

void ProgressPanel::reject()
{
    Q_EMIT closeRequested();
}

QPushButton *ProgressPanel::viewLogBtn() const
{
    return m_ui->viewLogBtn;
}

QPushButton *ProgressPanel::cancelProcessBtn() const
{
    return m_ui->cancelProcessBtn;
}

QPushButton *ProgressPanel::closeProcessBtn() const
{
    return m_ui->closeProcessBtn;
}

QProgressBar *ProgressPanel::progressBar() const
{
    return m_ui->progressBar;
}

QLabel *ProgressPanel::fileInProcessLabel() const
{
    return m_ui->fileInProcessLabel;
}

QLabel *ProgressPanel::countsLabel() const
{
    return m_ui->countsLabel;
}

QLabel *ProgressPanel::timeTakenLabel() const
{
    return m_ui->timeTakenLabel;
}

QLabel *ProgressPanel::messageLabel() const
{
    return m_ui->messageLabel;
}

} // namespace lockleaf
