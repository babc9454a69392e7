#include "ui/WindowState.h"

#include "model/Settings.h"
#include "platform/SystemLog.h"
#include "ui/BusyIndicator.h"
#include "ui/FileTableModel.h"
#include "ui/RunTexts.h"

#include "ui_MainWindow.h"

#include <QCoreApplication>
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

void setTextColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    widget->setPalette(palette);
}

} // namespace

WindowState::WindowState(Ui::MainWindow &ui, FileTableModel *model, Settings *settings, QObject *parent)
    : QObject(parent), m_window(ui.centralWidget->window()), m_loadingIndicator(ui.loadingIndicator),
      m_labelTotalFiles(ui.labelTotalFiles), m_labelTotalPDFPages(ui.labelTotalPDFPages),
      m_labelTimeTaken(ui.labelTimeTaken), m_convertBtn(ui.convertBtn), m_cancelBtn(ui.cancelBtn),
      m_model(model), m_settings(settings)
{
    // The totals line is long; at the window's smallest it wraps rather than
    // lose its end. The other totals take the row's spare room beside the buttons.
    m_labelTotalFiles->setWordWrap(true);
    ui.statusRow->setStretchFactor(ui.labelsColumn, 1);
}

WindowState::~WindowState() = default;

void WindowState::setTotalsColor(const QColor &color)
{
    m_processingLabelColor = color;
    setTextColor(m_labelTotalFiles, color);
    setTextColor(m_labelTotalPDFPages, color);
}

void WindowState::startProcess()
{
    m_isProcessing = true;
    // Start would do nothing beside a gathering or a run; it says so by being disabled.
    m_convertBtn->setEnabled(false);
    m_loadingIndicator->startAnimation();
    setTotalsColor(m_window->palette().color(QPalette::Disabled, QPalette::WindowText));
}

void WindowState::stopBusyIndicator()
{
    m_loadingIndicator->stopAnimation();
}

void WindowState::stopProcess()
{
    m_isProcessing = false;
    m_convertBtn->setEnabled(true);
    m_loadingIndicator->stopAnimation();
    setTotalsColor(m_window->palette().color(QPalette::Active, QPalette::WindowText));
    Q_EMIT processStopped();
}

void WindowState::resetViewForProcess(bool enabled)
{
    m_convertBtn->setEnabled(enabled);
    m_cancelBtn->setEnabled(enabled);
    m_window->update();
}

void WindowState::resetView(bool enable)
{
    try {
        Q_EMIT viewReset(enable);
    } catch (const std::exception &e) {
        logError(QStringLiteral("resetView:"), reasonOf(e));
    }
    m_window->update();
}

void WindowState::updateTotalLabel()
{
    updateTotals();
    updateTimeTakenLabel(QString());
}

void WindowState::updateTotals()
{
    try {
        const FileTableModel::Totals totals = m_model->recount();
        m_labelTotalPDFPages->setText(tr("Total Pages PDF : %1").arg(totals.pages));
        m_convertBtn->setEnabled(!isProcessing());
        // One count per text, so each noun follows its own number.
        m_labelTotalFiles->setText(tr("%n Total file(s)", nullptr, totals.files) +
                                   tr("; ", "between the parts of the totals line") +
                                   tr("%n file(s) selected", nullptr, totals.checked) +
                                   tr("; ", "between the parts of the totals line") +
                                   tr("Total page count of selected PDF file(s): %1", nullptr, totals.checked)
                                       .arg(totals.checkedPages));
    } catch (const std::exception &e) {
        logError(QStringLiteral("updateTotalLabel:"), reasonOf(e));
    }
    m_labelTotalFiles->repaint();
}

void WindowState::updateTotalPagesLabel()
{
    m_labelTotalPDFPages->setText(tr("Total Pages PDF : %1").arg(m_model->runningPageTotal()));
}

void WindowState::updateTimeTakenLabel(const QString &text)
{
    // The run's and the gathering's lines come in English from the engine.
    // The engine's line with no time yet: "0 secs" in the user's language.
    m_labelTimeTaken->setText(shownRunText(text.isNull() ? QStringLiteral("Total Time Taken :  0/0") : text));
    m_labelTimeTaken->repaint();
}

void WindowState::addToPasswordsList(const QString &password)
{
    if (password.isEmpty())
        return;
    try {
        m_settings->appendPassword(password);
    } catch (const std::exception &e) {
        logError(QStringLiteral("addToPasswordsList:"), reasonOf(e));
    }
}

} // namespace lockleaf
