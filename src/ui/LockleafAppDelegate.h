#pragma once

#include "engine/FileGatherer.h"
#include "model/FileItem.h"
#include "ui/CustomTableView.h"
#include "ui/dialogs/ImportFilesWindowController.h"
#include "ui/dialogs/PDFReadPasswordWindowController.h"
#include "ui/dialogs/PasswordListWindowController.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QStringList>

#include <atomic>
#include <memory>
#include <optional>

class QAbstractButton;
class QDialog;
class QLineEdit;
class QMainWindow;
class QMenu;
class QMenuBar;
class QThread;

namespace Ui
{
class MainWindow;
class ProgressPanel;
} // namespace Ui

namespace lockleaf
{

class AlertPresenter;
class FileChooser;
class FileTableModel;
class Process;
class ProgressPanel;
class Settings;
class Workspace;

// Per-user store keys of the window (beside the settings record's "SETTINGS").
// "SHOWSETTINGS": absent means true, and true is written at the first start.
// "INCLUDESUBFOLDERS": absent means false.
inline constexpr char kShowSettingsKey[] = "SHOWSETTINGS";
inline constexpr char kIncludeSubfoldersKey[] = "INCLUDESUBFOLDERS";

// The main window's controller: it loads the window layout, owns the file list,
// the settings, the current run and the dialogs, and carries every action of
// the window. One instance lives for the life of the application.
//
// Everything here runs on the main thread. Background tasks reach the window
// only through the gathering delegate (see Gathering.cpp), whose calls are
// performed here on the main thread while the task waits; so `files` and the
// table model change on the main thread only.
//
// The implementation is split by concern: StartUp.cpp, OptionsPanel.cpp,
// FileTable.cpp, WindowState.cpp, Gathering.cpp, RunControl.cpp, FileActions.cpp
// and PasswordActions.cpp.
class LockleafAppDelegate final : public QObject,
                                  public CustomTableViewDelegate,
                                  public ImportFilesWindowControllerDelegate,
                                  public PasswordListWindowControllerDelegate,
                                  public PDFReadPasswordWindowControllerDelegate
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LockleafAppDelegate)

public:
    // Loads the layout and runs awakeFromNib(): the window is shown at the end.
    explicit LockleafAppDelegate(QObject *parent = nullptr);
    // Stops a gathering task and waits for it before the window goes away.
    ~LockleafAppDelegate() override;

    // --- Fields --------------------------------------------------------------
    QMainWindow *window() const { return m_window; }
    const QList<FileItemPtr> &files() const { return m_files; }
    Settings *settings() const { return m_settings.get(); }
    Process *process() const { return m_process.get(); }
    FileTableModel *tableModel() const { return m_model; }
    CustomTableView *mainTableView() const;
    QMenu *filesContextMenu() const { return m_filesContextMenu; }
    ProgressPanel *processViewPanel() const { return m_processViewPanel; }
    const QStringList &allowedFileTypes() const { return m_allowedFileTypes; }
    bool isShowSettings() const { return m_showSettings; }
    bool isProcessing() const { return m_isProcessing.load(); }
    QColor processingLabelColor() const { return m_processingLabelColor; }

    // Seams: alerts and file panels answer from queued test answers when given.
    AlertPresenter *alerts() const { return m_alerts.get(); }
    FileChooser *fileChooser() const { return m_fileChooser.get(); }
    Workspace *workspace() const { return m_workspace.get(); }
    void setWorkspace(std::unique_ptr<Workspace> workspace);

    // --- Start-up and application (StartUp.cpp) ------------------------------
    void awakeFromNib();
    // Menu entries that name the application follow the display title.
    void setupVersion();
    // Replaces `from` with `to` in the menu titles that name the application:
    // items ending with it in the first menu, items beginning with it in the
    // "Window" menu and in the last menu.
    static void retitleMenus(QMenuBar *menuBar, const QString &from, const QString &to);
    // While a run works, asks whether to stop it and quit: "No" gives false and
    // changes nothing; "Yes" stops the run and waits for it (the file in hand is
    // finished). A gathering is stopped and waited for. Then commits a value
    // still being typed, saves the settings and gives true.
    bool applicationShouldTerminate();
    // False (and nothing done) when the main window is visible; otherwise it is
    // brought to the front and true is returned.
    bool applicationShouldHandleReopen(bool hasVisibleWindows);
    void openAppAction();
    // Opens "MACLockleaf1.pdf" with the default application.
    void helpAction();
    // Where the help document is: next to the executable, in ../Resources
    // (macOS bundle) or ../share/lockleaf (installed). "" when none exists.
    static QString helpDocumentPath();
    // Test seam: folders searched before the usual ones.
    static void setExtraHelpDirectories(const QStringList &dirs);
    // Ends editing in the window: the focused editor gives up focus, so a value
    // being typed reaches its settings field.
    void commitEditing();

    // --- Options panel (OptionsPanel.cpp) ------------------------------------
    void securityAction(int tag);
    void chooseOutputFolder();
    void showSettings(bool show);
    void toggleSettings();
    bool inculdeSubfolders() const;
    void setInculdeSubfolders(bool include);
    // Marks the first case-insensitive occurrence of `keyChar` in the button's
    // title as its keyboard mnemonic. Nothing happens for a null button, an
    // empty character, an invalid colour or a character not in the title.
    void setButtonKeyCharacter(QAbstractButton *button, const QString &keyChar, const QColor &color);
    // The title with its mnemonic at the first case-insensitive `keyChar`
    // (existing mnemonics removed); nullopt when the character is not there.
    static std::optional<QString> markKeyCharacter(const QString &title, const QString &keyChar);
    // The rule of the numeric fields (dynamic property "tag" 30001 or 30002).
    void controlTextDidChange(QLineEdit *field);
    // What such a field's text becomes; nullopt for other tags.
    static std::optional<QString> numericFieldText(const QString &text, int tag);

    // --- File table (FileTable.cpp) ------------------------------------------
    void checkUncheckInvertSelection(int tag);
    void checkUncheckInvertAll(int tag);
    void selectDeselectRemoveAll(int tag);
    void removeAction() override;
    void removeFiles();
    void moveUp();
    void moveDown();
    void keyDownTableView(QKeyEvent *event) override;
    bool acceptDrop(const QList<QUrl> &urls) override;
    void updateMoveButtons();
    QList<int> highlightedRows() const;

    // --- Window state (WindowState.cpp) --------------------------------------
    void startProcess();
    void stopProcess();
    void resetViewForProcess(bool enabled);
    void resetView(bool enable);
    void resetViewObject(bool enable) { resetView(enable); }
    void setSecurityOptions();
    void updateTotalLabel() override;
    void updateTotalPagesLabel();
    // A null text shows the zero line.
    void updateTimeTakenLabel(const QString &text);
    void addToPasswordsList(const QString &password);

    // --- Gathering (Gathering.cpp) -------------------------------------------
    // Starts loadURLs on a new thread; false (nothing started) while another
    // gathering is still working.
    bool startGathering(const Arguments &arguments);
    bool isGathering() const;
    // Asks a gathering task to stop before its next file.
    void cancelAction();

    // --- Run control (RunControl.cpp) ----------------------------------------
    void convertAction() { convert(); }
    // Checks the output folder, then (adding security) the passwords; a failed
    // check shows one alert, brings the settings pane up on the tab to fix and
    // starts nothing (the unstarted run stays as `process`). Otherwise a new run
    // over the checked rows, in list order, starts on a thread of its own and
    // the progress panel is shown as a window-modal sheet. Ignored while a run
    // or a gathering still works.
    void convert();
    // Asks the run to stop after the file in hand.
    void cancelProcessAction();
    // Opens the run's log once the run has ended; nothing otherwise.
    void viewLogAction();
    // Hides the panel, removes the checked rows when the settings ask for it,
    // goes back to idle and releases the run. A run still working is stopped
    // and waited for first.
    void closeProcessAction();
    // True from a run's start until its thread has ended.
    bool isRunWorking() const;
    // Returns when the run's thread has ended, serving its main-thread calls
    // meanwhile. Does not stop the run.
    void waitForRun();

    // --- File actions (FileActions.cpp) --------------------------------------
    // The pickers and the import start nothing while a run or a gathering
    // works: one gathering at a time, however it is asked for.
    void addFiles();
    void addFolder();
    // Completion of both pickers: on OK (1) the chosen URLs are gathered, as
    // folders when the panel chose folders, with the include-subfolders box's
    // state now. Any other code does nothing.
    void openPanelDidEnd(int returnCode, const QList<QUrl> &urls, bool choseFolders);
    void importAction();
    // The import dialog, created on first use; opens empty in its last mode.
    void openImportFilesPanel();
    // Gathers the dialog's URLs as files (no extension filter).
    void ImportFilesWindowControllerDidFinish(ImportFilesWindowController *controller) override;
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
    // Asks where to save the tab-delimited export, proposing a dated name.
    void exportAction();
    // Completion of the save panel: on OK (1) exports to `path`.
    void savePanelDidEnd(int returnCode, const QString &path);
    // Writes the whole list (see model/ExportList.h) atomically. A failure is
    // logged, leaves any file at `path` as it was and gives false.
    bool exportList(const QString &path);
    ImportFilesWindowController *importFilesPanel() const { return m_importFilesPanel; }

    // --- Password dialogs (PasswordActions.cpp) ------------------------------
    void passwordsListAction() { openPasswordsListPanel(); }
    // The list editor, created on first use, given a copy of the saved list.
    void openPasswordsListPanel();
    // The editor's list replaces `settings.passwords`.
    void PasswordListWindowControllerDelegateDidFinish(PasswordListWindowController *controller) override;
    void pdfReadPassword() { openPDFReadPasswordPanel(); }
    // The open-password dialog, created on first use; it keeps the last password.
    void openPDFReadPasswordPanel();
    void PDFReadPasswordWindowControllerDidFinish(PDFReadPasswordWindowController *controller) override;
    // Gives the password to every highlighted PDF (other rows untouched), lists
    // it when it opens one and auto-add is on, then refreshes the table and the
    // totals. A null password only refreshes.
    void updatePDFReadPassword(const QString &password);
    PasswordListWindowController *passwordsListPanel() const { return m_passwordsListPanel; }
    PDFReadPasswordWindowController *pdfReadPasswordPanel() const { return m_pdfReadPasswordPanel; }

Q_SIGNALS:
    // A gathering task has ended (emitted on the main thread).
    void gatheringFinished();
    // A run's thread has ended (emitted on the main thread).
    void runFinished();

private:
    class GatheringBridge;
    friend class GatheringBridge;
    class RunBridge;
    friend class RunBridge;
    class QuitGuard;

    void setupTable();
    void setupContextMenu();
    void connectActions();
    void bindOptionControls();
    void observeSettings();
    void onOutputFolderPathChanged();
    void onPermissionPasswordChanged();
    void shutdownGathering();
    void connectRunControl();
    void shutdownRun();
    bool stopWorkBeforeQuitting();
    void showSettingsTab(int index);
    static int tagOf(const QObject *sender);
    void connectFileActions();

    std::unique_ptr<Ui::MainWindow> m_ui;
    QMainWindow *m_window = nullptr;
    ProgressPanel *m_processViewPanel = nullptr;
    QMenu *m_filesContextMenu = nullptr;

    QList<FileItemPtr> m_files;
    FileTableModel *m_model = nullptr;
    QStringList m_allowedFileTypes;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<Process> m_process;

    std::unique_ptr<AlertPresenter> m_alerts;
    std::unique_ptr<FileChooser> m_fileChooser;
    std::unique_ptr<Workspace> m_workspace;

    // The dialogs: created on first use as children of the window, which
    // deletes them; hidden, never destroyed, between uses.
    ImportFilesWindowController *m_importFilesPanel = nullptr;
    PasswordListWindowController *m_passwordsListPanel = nullptr;
    PDFReadPasswordWindowController *m_pdfReadPasswordPanel = nullptr;

    bool m_showSettings = true;
    std::atomic<bool> m_isProcessing{false};
    QColor m_processingLabelColor;

    // shared_ptr: its deleter is bound where the bridge's type is complete.
    std::shared_ptr<GatheringBridge> m_gatheringBridge;
    std::unique_ptr<QThread> m_gatherThread;
    std::atomic<bool> m_shuttingDown{false};

    // shared_ptr for the same reason as the gathering bridge.
    std::shared_ptr<RunBridge> m_runBridge;
    std::unique_ptr<QThread> m_runThread;
};

} // namespace lockleaf
