#include "ui/FileChooser.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QFileDialog>

namespace lockleaf
{

QString FileChooser::chooseFolder(QWidget *parent, const QString &message)
{
    if (!m_folders.isEmpty())
        return m_folders.dequeue();
    return showFolderPanel(parent, message);
}

QStringList FileChooser::chooseFiles(QWidget *parent, const QString &message, const QStringList &extensions,
                                     bool foldersInstead)
{
    if (!m_fileLists.isEmpty())
        return m_fileLists.dequeue();
    return showFilesPanel(parent, message, extensions, foldersInstead);
}

QString FileChooser::chooseSaveFileName(QWidget *parent, const QString &message, const QString &proposedName,
                                        const QString &extension)
{
    if (!m_fileNames.isEmpty())
        return m_fileNames.dequeue();
    return showSavePanel(parent, message, proposedName, extension);
}

QString FileChooser::chooseFile(QWidget *parent, const QString &message, const QStringList &extensions,
                                const QString &directory)
{
    if (!m_fileNames.isEmpty())
        return m_fileNames.dequeue();
    return showFilePanel(parent, message, extensions, directory);
}

QString FileChooser::showFolderPanel(QWidget *parent, const QString &message)
{
    QFileDialog dialog(parent, message);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    // Several may come back from some native panels; the last one counts.
    return dialog.selectedFiles().constLast();
}

QStringList FileChooser::showFilesPanel(QWidget *parent, const QString &message,
                                        const QStringList &extensions, bool foldersInstead)
{
    QFileDialog dialog(parent, message);
    dialog.setWindowModality(Qt::WindowModal);
    if (foldersInstead) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
        // Native folder panels pick one folder; Qt's own lets its views pick several.
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        for (auto *view : dialog.findChildren<QAbstractItemView *>())
            if (view->objectName() == QLatin1String("listView") ||
                view->objectName() == QLatin1String("treeView"))
                view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    } else {
        dialog.setFileMode(QFileDialog::ExistingFiles);
        QStringList patterns;
        for (const QString &ext : extensions)
            patterns.append(QStringLiteral("*.") + ext);
        if (!patterns.isEmpty())
            dialog.setNameFilter(QCoreApplication::translate("lockleaf::FileChooser", "PDF files (%1)")
                                     .arg(patterns.join(QLatin1Char(' '))));
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.selectedFiles();
}

QString FileChooser::showSavePanel(QWidget *parent, const QString &message, const QString &proposedName,
                                   const QString &extension)
{
    QFileDialog dialog(parent, message);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(extension);
    if (!extension.isEmpty())
        dialog.setNameFilter(QStringLiteral("*.") + extension);
    dialog.selectFile(proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString FileChooser::showFilePanel(QWidget *parent, const QString &message, const QStringList &extensions,
                                   const QString &directory)
{
    QFileDialog dialog(parent, message, directory);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setFileMode(QFileDialog::ExistingFile);
    QStringList patterns;
    for (const QString &ext : extensions)
        patterns.append(QStringLiteral("*.") + ext);
    if (!patterns.isEmpty())
        dialog.setNameFilter(QCoreApplication::translate("lockleaf::FileChooser", "Text files (%1)")
                                 .arg(patterns.join(QLatin1Char(' '))));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace lockleaf
