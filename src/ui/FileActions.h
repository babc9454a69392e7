#pragma once

#include "engine/FileGatherer.h"
#include "model/PasswordMap.h"
#include "ui/dialogs/ImportFilesWindowController.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

class QAction;
class QCheckBox;
class QPushButton;
class QWidget;

namespace Ui
{
class MainWindow;
} // namespace Ui

namespace lockleaf
{

class AlertPresenter;
class FileChooser;
class FileList;
class Gathering;
class WindowState;
class Workspace;

// Per-user store key of the include-subfolders box: absent means false.
inline constexpr char kIncludeSubfoldersKey[] = "INCLUDESUBFOLDERS";

// The file actions: what puts files on the list (the add-files and add-folder
// pickers, the import dialog, drops handed on by the file list; each starts a
// gathering with the include-subfolders box's state at that moment), what acts
// on the highlighted files (open, reveal, information windows) and the
// tab-delimited export of the whole list.
//
// Owns the add and import buttons and menu items, the include-subfolders box,
// the open / reveal / info buttons, the export toolbar item and the import
// dialog (created on first use as a child of the window, kept hidden between
// uses). Reads the list through FileList's public calls only. Nothing passed
// in is owned; all must outlive this. Main thread only.
class FileActions final : public QObject, public ImportFilesWindowControllerDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FileActions)

public:
    FileActions(Ui::MainWindow &ui, FileList *list, Gathering *gathering, WindowState *state,
                AlertPresenter *alerts, FileChooser *chooser, Workspace *workspace,
                QStringList allowedFileTypes, QObject *parent = nullptr);
    ~FileActions() override;

    // The pickers and the import start nothing while a run or a gathering
    // works: one gathering at a time, however it is asked for.
    void addFiles();
    void addFolder();
    // Completion of both pickers: on OK (1) the chosen URLs are gathered, as
    // folders when the panel chose folders. Any other code does nothing.
    void openPanelDidEnd(int returnCode, const QList<QUrl> &urls, bool choseFolders);
    // Dropped locations: gathered as folders (a drop may mix both).
    void gatherDropped(const QList<QUrl> &urls);
    void importAction();
    // The import dialog, created on first use; opens empty in its last mode.
    void openImportFilesPanel();
    // Gathers the dialog's URLs as files (no extension filter). Once the
    // gathering has ended, each listed file a map line names gets that line's
    // passwords (a secured one is unlocked with them when they open it); the
    // lines not taken are reported.
    void ImportFilesWindowControllerDidFinish(ImportFilesWindowController *controller) override;
    ImportFilesWindowController *importFilesPanel() const { return m_importFilesPanel; }

    void openFileWithFinder() { openFiles(); }
    // Each highlighted file, in row order, with its default application.
    void openFiles();
    void openFileEnclosingFolder() { openEnclodingFolder(); }
    // One request to show every highlighted file in the file manager.
    void openEnclodingFolder();
    void getInfoFile() { getInfo(); }
    // An information window per highlighted file: the Finder's on macOS, a
    // FileInformationDialog elsewhere.
    void getInfo();

    // Asks where to save the export, proposing a dated name.
    void exportAction();
    // Completion of the save panel: on OK (1) exports to `path`.
    void savePanelDidEnd(int returnCode, const QString &path);
    // Writes the whole list (see model/ExportList.h) atomically. A failure is
    // logged, leaves any file at `path` as it was and gives false.
    bool exportList(const QString &path);

    // The saved state of the include-subfolders box ("INCLUDESUBFOLDERS").
    bool inculdeSubfolders() const;
    // Saves it at once (the box's clicks do this).
    void setInculdeSubfolders(bool include);

    // This part's share of the enabling rule: adding follows `enable`, the
    // commands on files need a non-empty list too.
    void resetView(bool enable);

    // Tells the user which dropped, picked or imported entries a gathering
    // left out and why, in one alert.
    void reportSkipped(const QList<SkippedEntry> &entries);

private:
    bool isBusy() const;
    bool gather(const QList<QUrl> &urls, bool isFolders);
    void giveImportedPasswords();

    FileList *m_list;
    Gathering *m_gathering;
    WindowState *m_state;
    AlertPresenter *m_alerts;
    FileChooser *m_chooser;
    Workspace *m_workspace;
    QStringList m_allowedFileTypes;
    QWidget *m_window;
    QCheckBox *m_inculdeSubfoldersBtn;
    QAction *m_exportToolbarItem;
    QList<QWidget *> m_addControls;
    QList<QAction *> m_addActions;
    QList<QPushButton *> m_fileButtons;
    ImportFilesWindowController *m_importFilesPanel = nullptr;
    // An import's passwords, by normalisedMapPath, until its gathering ends.
    QHash<QString, PasswordMapEntry> m_importedPasswords;
};

} // namespace lockleaf
