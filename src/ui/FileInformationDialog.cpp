#include "ui/FileInformationDialog.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QVBoxLayout>

namespace lockleaf
{

namespace
{

QString dateText(const QDateTime &date)
{
    return date.isValid() ? QLocale::system().toString(date.toLocalTime(), QLocale::LongFormat)
                          : QStringLiteral("--");
}

} // namespace

FileInformationDialog::FileInformationDialog(const FileItemPtr &item, QWidget *parent) : QDialog(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setObjectName(QStringLiteral("fileInformationDialog"));
    const QString path = item ? item->filePath().toLocalFile() : QString();
    const QFileInfo info(path);
    setWindowTitle(tr("%1 Info").arg(info.fileName()));

    // Each value is named after its English label, whatever language the label is shown in.
    const QList<std::pair<const char *, QString>> rows{
        {QT_TR_NOOP("Name"), info.fileName()},
        {QT_TR_NOOP("Folder"), item ? item->location() : QString()},
        {QT_TR_NOOP("Size"),
         item ? tr("%1 (%2 bytes)").arg(item->sizeInKB(), QLocale::system().toString(info.size()))
              : QString()},
        {QT_TR_NOOP("Pages"), item ? QString::number(item->pages()) : QString()},
        {QT_TR_NOOP("Secured"), item && item->isSecured() ? tr("Yes") : tr("No")},
        {QT_TR_NOOP("Created"), dateText(item ? item->dateCreated() : QDateTime())},
        {QT_TR_NOOP("Modified"), dateText(item ? item->dateModified() : QDateTime())},
        {QT_TR_NOOP("Accessed"), dateText(item ? item->dateAccessed() : QDateTime())},
    };

    auto *form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight);
    for (const auto &[label, value] : rows) {
        auto *valueLabel = new QLabel(value, this);
        valueLabel->setObjectName(QLatin1String(label));
        valueLabel->setTextFormat(Qt::PlainText);
        valueLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(tr("%1:", "a label of the information window").arg(tr(label)), valueLabel);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

QString FileInformationDialog::valueOf(const QString &label) const
{
    const auto *value = findChild<QLabel *>(label, Qt::FindDirectChildrenOnly);
    return value ? value->text() : QString();
}

} // namespace lockleaf
