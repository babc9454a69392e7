#pragma once

#include <QObject>
#include <QStringList>

#include <memory>

class QMainWindow;
class QMenuBar;

namespace Ui
{
class MainWindow;
} // namespace Ui

namespace lockleaf
{

class AlertPresenter;
class FileActions;
class FileChooser;
class FileList;
class Gathering;
class OptionsPanel;
class PasswordActions;
class RunControl;
class KeyringSettings;
class Settings;
class WindowState;
class Workspace;

// The main window's composition root: it loads the window layout, makes the
// one settings record, the seams (alerts, file panels, workspace) and the
// window's parts, and connects them; it carries the application-level actions
// (quit, reopen, help, about, menus and toolbar). One instance lives for the
// life of the application.
//
// The parts, each owning its widgets, state and actions:
//   FileList        the list, its table and the commands on rows;
//   FileActions     adding (pickers, import, drops), open / reveal / info, export;
//   Gathering       the gathering thread that fills the list;
//   OptionsPanel    the settings pane, tied both ways to the settings;
//   RunControl      the checks before a run, the run's thread, the progress panel;
//   PasswordActions the two password dialogs' glue;
//   WindowState     the busy flag, totals and time lines, the enabling rule.
// They meet through their public calls and the signals wired in connectParts();
// none reaches into another's members.
//
// Everything here runs on the main thread; see Gathering and RunControl for the
// background threads and how their calls reach the main thread.
class LockleafAppDelegate final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LockleafAppDelegate)

public:
    // Loads the layout and runs awakeFromNib(): the window is shown at the end.
    explicit LockleafAppDelegate(QObject *parent = nullptr);
    // Stops a run and a gathering and waits for them before the window goes away.
    ~LockleafAppDelegate() override;

    QMainWindow *window() const { return m_window; }
    Settings *settings() const { return m_settings.get(); }
    KeyringSettings *keyring() const { return m_keyring.get(); }
    const QStringList &allowedFileTypes() const { return m_allowedFileTypes; }

    FileList *fileList() const { return m_fileList.get(); }
    FileActions *fileActions() const { return m_fileActions.get(); }
    Gathering *gathering() const { return m_gathering.get(); }
    OptionsPanel *options() const { return m_options.get(); }
    RunControl *run() const { return m_run.get(); }
    PasswordActions *passwords() const { return m_passwords.get(); }
    WindowState *windowState() const { return m_windowState.get(); }

    // Seams: alerts and file panels answer from queued test answers when given.
    AlertPresenter *alerts() const { return m_alerts.get(); }
    FileChooser *fileChooser() const { return m_fileChooser.get(); }
    // The workspace every part uses; a null one is ignored.
    Workspace *workspace() const;
    void setWorkspace(std::unique_ptr<Workspace> workspace);

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
    // Ends editing in the window, so a value being typed reaches its settings field.
    void commitEditing();

private:
    class QuitGuard;
    class SwappableWorkspace;

    void makeParts();
    void connectParts();
    void setupToolbarAndMenus();
    void markKeyCharacters();
    void connectApplication();

    std::unique_ptr<Ui::MainWindow> m_ui;
    QMainWindow *m_window = nullptr;
    QStringList m_allowedFileTypes;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<KeyringSettings> m_keyring; // the settings' passwords in the system keyring

    std::unique_ptr<AlertPresenter> m_alerts;
    std::unique_ptr<FileChooser> m_fileChooser;
    std::unique_ptr<SwappableWorkspace> m_workspace;

    // Made in this order and destroyed in the reverse one (see the destructor).
    std::unique_ptr<FileList> m_fileList;
    std::unique_ptr<WindowState> m_windowState;
    std::unique_ptr<Gathering> m_gathering;
    std::unique_ptr<OptionsPanel> m_options;
    std::unique_ptr<FileActions> m_fileActions;
    std::unique_ptr<RunControl> m_run;
    std::unique_ptr<PasswordActions> m_passwords;
};

} // namespace lockleaf
