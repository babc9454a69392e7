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
    setWindowTitle(QStringLiteral("%1 Info").arg(info.fileName()));

    const QList<std::pair<QString, QString>> rows{
        {QStringLiteral("Name"), info.fileName()},
        {QStringLiteral("Folder"), item ? item->location() : QString()},
        {QStringLiteral("Size"),
         item ? QStringLiteral("%1 (%2 bytes)").arg(item->sizeInKB(), QLocale::system().toString(info.size()))
              : QString()},
        {QStringLiteral("Pages"), item ? QString::number(item->pages()) : QString()},
        {QStringLiteral("Secured"), item && item->isSecured() ? QStringLiteral("Yes") : QStringLiteral("No")},
        {QStringLiteral("Created"), dateText(item ? item->dateCreated() : QDateTime())},
        {QStringLiteral("Modified"), dateText(item ? item->dateModified() : QDateTime())},
        {QStringLiteral("Accessed"), dateText(item ? item->dateAccessed() : QDateTime())},
    };

    auto *form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight);
    for (const auto &[label, value] : rows) {
        auto *valueLabel = new QLabel(value, this);
        valueLabel->setObjectName(label);
        valueLabel->setTextFormat(Qt::PlainText);
        valueLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
        form->addRow(label + QLatin1Char(':'), valueLabel);
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
