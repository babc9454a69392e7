#include "ui/LogView.h"

#include "platform/Utilities.h"
#include "ui/RunRecordsTable.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace lockleaf
{

LogView::LogView(QWidget *parent)
    : QDialog(parent), m_records(new RunRecordsTable(true, this)), m_path(new QLabel(this)),
      m_unfinished(new QLabel(tr("This log was left unfinished: its run ended before it could close it. It "
                                 "lists the files finished before that."),
                              this)),
      m_openExternally(new QPushButton(tr("Open in another application"), this))
{
    setWindowTitle(tr("%1 - Log").arg(getAppTitle()));
    setWindowModality(Qt::WindowModal);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setObjectName(QStringLiteral("logView"));
    m_records->setObjectName(QStringLiteral("logRecords"));
    m_records->setAccessibleName(tr("Log records"));
    m_path->setTextFormat(Qt::PlainText);
    m_path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_path->setWordWrap(true);
    m_openExternally->setAutoDefault(false);
    m_unfinished->setObjectName(QStringLiteral("logUnfinished"));
    m_unfinished->setWordWrap(true);
    m_unfinished->hide();

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(m_openExternally, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_openExternally, &QPushButton::clicked, this,
            [this] { Q_EMIT openExternallyRequested(m_logPath); });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_unfinished);
    layout->addWidget(m_records, 1);
    layout->addWidget(m_path);
    layout->addWidget(buttons);
    resize(720, 360);
}

void LogView::present(const QList<LogFilesPtr> &records, const QList<int> &pages, const QString &logPath,
                      bool unfinished)
{
    m_unfinished->setVisible(unfinished);
    m_logPath = logPath;
    m_records->setRecords(records, pages);
    const bool saved = !logPath.isEmpty() && QFileInfo::exists(logPath);
    m_path->setText(saved ? QDir::toNativeSeparators(logPath) : tr("The log file was not saved."));
    m_openExternally->setEnabled(saved);
    open();
}

} // namespace lockleaf
