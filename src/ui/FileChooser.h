#pragma once

#include <QQueue>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace lockleaf
{

// The window's file panels: choose a folder, choose files, choose a file to save.
// A null / empty result means the panel was cancelled.
//
// Tests queue results with setNextFolder / setNextFileNames / setNextFileName
// (a null QString or an empty list stands for Cancel); a queued result is used
// instead of showing a panel. Main thread only.
class FileChooser
{
public:
    FileChooser() = default;
    virtual ~FileChooser() = default;
    Q_DISABLE_COPY_MOVE(FileChooser)

    QString chooseFolder(QWidget *parent, const QString &message);
    // `extensions` without dots, e.g. {"pdf", "PDF"}. With `foldersInstead`
    // several folders can be chosen at once.
    QStringList chooseFiles(QWidget *parent, const QString &message, const QStringList &extensions,
                            bool foldersInstead = false);
    QString chooseSaveFileName(QWidget *parent, const QString &message, const QString &proposedName,
                               const QString &extension);
    // One existing file with one of `extensions`, the panel opening in
    // `directory` when given; queued results come from setNextFileName, like
    // the save panel's.
    QString chooseFile(QWidget *parent, const QString &message, const QStringList &extensions,
                       const QString &directory = {});

    void setNextFolder(const QString &path) { m_folders.enqueue(path); }
    void setNextFileNames(const QStringList &paths) { m_fileLists.enqueue(paths); }
    void setNextFileName(const QString &path) { m_fileNames.enqueue(path); }

protected:
    virtual QString showFolderPanel(QWidget *parent, const QString &message);
    virtual QStringList showFilesPanel(QWidget *parent, const QString &message, const QStringList &extensions,
                                       bool foldersInstead);
    virtual QString showSavePanel(QWidget *parent, const QString &message, const QString &proposedName,
                                  const QString &extension);
    virtual QString showFilePanel(QWidget *parent, const QString &message, const QStringList &extensions,
                                  const QString &directory);

private:
    QQueue<QString> m_folders;
    QQueue<QStringList> m_fileLists;
    QQueue<QString> m_fileNames;
};

} // namespace lockleaf
