// The composition root: start-up, the wiring between the parts, application
// events, menus, toolbar and the help command.

#include "ui/LockleafAppDelegate.h"

#include "model/KeyringSettings.h"
#include "model/Settings.h"
#include "platform/SystemLog.h"
#include "platform/Utilities.h"
#include "ui/AlertPresenter.h"
#include "ui/CommitEditing.h"
#include "ui/DesktopWorkspace.h"
#include "ui/FileActions.h"
#include "ui/FileChooser.h"
#include "ui/FileList.h"
#include "ui/Gathering.h"
#include "ui/OptionsPanel.h"
#include "ui/PasswordActions.h"
#include "ui/RunControl.h"
#include "ui/WindowGeometry.h"
#include "ui/WindowState.h"

#include "ui_MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QStyle>
#include <QUrl>

#include <exception>

namespace lockleaf
{

namespace
{

QStringList &extraHelpDirectories()
{
    static QStringList dirs;
    return dirs;
}

QString plainTitle(const QAction *action)
{
    return action ? QString(action->text()).remove(QLatin1Char('&')) : QString();
}

} // namespace

// The parts keep this one for the window's life; tests swap what it forwards to.
class LockleafAppDelegate::SwappableWorkspace final : public Workspace
{
public:
    void openURL(const QUrl &url) override { current->openURL(url); }
    void revealURLs(const QList<QUrl> &urls) override { current->revealURLs(urls); }

    std::unique_ptr<Workspace> current;
};

// Every quit request (the Quit menu item, the platform's quit, the last window
// closing) arrives as a Quit event to the application; refusing it keeps the
// application running.
class LockleafAppDelegate::QuitGuard final : public QObject
{
public:
    explicit QuitGuard(LockleafAppDelegate *root) : QObject(root), m_root(root) {}
    Q_DISABLE_COPY_MOVE(QuitGuard)

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Quit && watched == QCoreApplication::instance() &&
            !m_root->applicationShouldTerminate()) {
            event->ignore();
            return true;
        }
        return false;
    }

private:
    LockleafAppDelegate *m_root;
};

LockleafAppDelegate::LockleafAppDelegate(QObject *parent)
    : QObject(parent), m_ui(std::make_unique<Ui::MainWindow>()), m_alerts(std::make_unique<AlertPresenter>()),
      m_fileChooser(std::make_unique<FileChooser>()), m_workspace(std::make_unique<SwappableWorkspace>())
{
    m_window = new QMainWindow;
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_workspace->current = std::make_unique<DesktopWorkspace>([this](const QUrl &url) {
        const QString where =
            url.isLocalFile() ? QDir::toNativeSeparators(url.toLocalFile()) : url.toString();
        m_alerts->inform(
            m_window,
            tr("Unable to open:\n%1\n\nNo application on this system is set up to open it.").arg(where),
            QMessageBox::Warning);
    });
    m_ui->setupUi(m_window);
    awakeFromNib();
}

LockleafAppDelegate::~LockleafAppDelegate()
{
    // The threads first, while every part they call back is still there.
    m_run->shutdown();
    m_gathering->shutdown();
    m_passwords.reset();
    m_run.reset();
    m_fileActions.reset();
    m_options.reset();
    m_gathering.reset();
    m_windowState.reset();
    m_fileList.reset();
    delete m_window;
    m_window = nullptr;
}

Workspace *LockleafAppDelegate::workspace() const
{
    return m_workspace->current.get();
}

void LockleafAppDelegate::setWorkspace(std::unique_ptr<Workspace> workspace)
{
    if (workspace)
        m_workspace->current = std::move(workspace);
}

void LockleafAppDelegate::awakeFromNib()
{
    m_window->setWindowTitle(getAppTitle());

    // A missing per-user folder only means no log can be saved later; start-up goes on.
    if (createApplicationUsersFolder(QString()))
        createApplicationUsersFolder(QStringLiteral("Logs"));

    m_allowedFileTypes = QStringLiteral("pdf,PDF").split(QLatin1Char(','));
    m_settings = std::make_unique<Settings>(true);
    // The passwords come from the system keyring a moment later; the window does not wait for it.
    m_keyring = std::make_unique<KeyringSettings>(m_settings.get());

    makeParts();
    m_passwords->setKeyring(m_keyring.get());
    m_keyring->load();
    setupToolbarAndMenus();
    connectParts();
    markKeyCharacters();
    m_windowState->resetView(true);
    setupVersion();
    connectApplication();

    WindowGeometry::restore(m_window, m_fileList->mainTableView()->horizontalHeader());
    m_window->show();
    m_options->fitWindowMinimum();
    m_window->raise();
    m_window->activateWindow();

    m_options->setSecurityOptions();
}

void LockleafAppDelegate::makeParts()
{
    Ui::MainWindow &ui = *m_ui;
    Settings *settings = m_settings.get();
    m_fileList = std::make_unique<FileList>(ui, m_alerts.get());
    m_windowState = std::make_unique<WindowState>(ui, m_fileList->tableModel(), settings);
    m_gathering = std::make_unique<Gathering>(m_fileList->tableModel(), m_fileList->mainTableView(),
                                              m_windowState.get(), settings, m_allowedFileTypes);
    m_options = std::make_unique<OptionsPanel>(ui, settings, m_windowState.get(), m_fileChooser.get());
    m_fileActions = std::make_unique<FileActions>(ui, m_fileList.get(), m_gathering.get(),
                                                  m_windowState.get(), m_alerts.get(), m_fileChooser.get(),
                                                  m_workspace.get(), m_allowedFileTypes);
    m_run = std::make_unique<RunControl>(ui, settings, m_fileList.get(), m_options.get(), m_windowState.get(),
                                         m_gathering.get(), m_alerts.get(), m_workspace.get());
    m_passwords = std::make_unique<PasswordActions>(ui, settings, m_fileList.get(), m_windowState.get(),
                                                    m_alerts.get());
}

void LockleafAppDelegate::connectParts()
{
    WindowState *state = m_windowState.get();
    // The enabling rule, in this order: the toolbar as a whole first, so the
    // export item's own rule (in FileActions) has the last word.
    connect(state, &WindowState::viewReset, this, [this](bool enable) {
        for (QAction *item : m_ui->mainToolBar->actions())
            item->setEnabled(enable);
    });
    connect(state, &WindowState::viewReset, m_fileList.get(), &FileList::resetView);
    connect(state, &WindowState::viewReset, m_fileActions.get(), &FileActions::resetView);
    connect(state, &WindowState::viewReset, m_passwords.get(), &PasswordActions::resetView);
    connect(state, &WindowState::viewReset, m_options.get(), &OptionsPanel::resetView);
    connect(state, &WindowState::processStopped, m_options.get(), &OptionsPanel::setSecurityOptions);

    connect(m_fileList.get(), &FileList::listChanged, state, [state] {
        state->resetView(true);
        state->updateTotalLabel();
    });
    connect(m_fileList.get(), &FileList::checksChanged, state, &WindowState::updateTotalLabel);
    connect(m_fileList.get(), &FileList::filesDropped, m_fileActions.get(), &FileActions::gatherDropped);
    connect(m_ui->cancelBtn, &QPushButton::clicked, m_gathering.get(), &Gathering::cancelAction);
    connect(m_gathering.get(), &Gathering::entriesSkipped, m_fileActions.get(), &FileActions::reportSkipped);
    // Files listed before a password was typed or saved still get it.
    connect(m_run.get(), &RunControl::aboutToRun, m_passwords.get(), &PasswordActions::unlockLockedItems);
    connect(m_ui->unsecurePermissionPasswordText, &QLineEdit::editingFinished, m_passwords.get(),
            [this] { m_passwords->unlockLockedItems(m_fileList->files()); });
}

void LockleafAppDelegate::setupToolbarAndMenus()
{
    Ui::MainWindow &ui = *m_ui;
    // The desktop's icon theme where there is one, the style's own icons otherwise.
    QStyle *style = m_window->style();
    const auto icon = [style](const char *themeName, QStyle::StandardPixmap fallback) {
        return QIcon::fromTheme(QLatin1String(themeName), style->standardIcon(fallback));
    };
    ui.preferencesToolbarItem->setIcon(icon("preferences-system", QStyle::SP_FileDialogDetailedView));
    ui.exportToolbarItem->setIcon(icon("document-save-as", QStyle::SP_DialogSaveButton));
    ui.helpToolbarItem->setIcon(icon("help-contents", QStyle::SP_MessageBoxQuestion));
    ui.helpAction->setIcon(ui.helpToolbarItem->icon());
    connect(ui.helpToolbarItem, &QAction::triggered, this, [this] { helpAction(); });
    connect(ui.helpAction, &QAction::triggered, this, [this] { helpAction(); });
    connect(ui.mainWindowAction, &QAction::triggered, this, [this] { openAppAction(); });
    // Any saved log, a killed run's unfinished one too, read in the window.
    auto *openLog = new QAction(tr("Open Log..."), m_window);
    openLog->setObjectName(QStringLiteral("openLogAction"));
    ui.menuFile->addSeparator();
    ui.menuFile->addAction(openLog);
    connect(openLog, &QAction::triggered, this, [this] { m_run->openLogAction(m_fileChooser.get()); });
    connect(ui.quitAction, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    connect(ui.aboutAction, &QAction::triggered, this, [this] {
        QMessageBox::about(m_window, tr("About %1").arg(getAppTitle()),
                           tr("<b>%1</b> %2<br>Adds or removes password security on PDF documents.")
                               .arg(getAppTitle(), QStringLiteral(LOCKLEAF_VERSION)));
    });

    // The toolbar is fixed: no moving, floating or hiding it from a context menu.
    ui.mainToolBar->setMovable(false);
    ui.mainToolBar->setFloatable(false);
    ui.mainToolBar->toggleViewAction()->setVisible(false);
    m_window->setContextMenuPolicy(Qt::NoContextMenu);
}

void LockleafAppDelegate::markKeyCharacters()
{
    Ui::MainWindow &ui = *m_ui;
    const QColor controlText = m_window->palette().color(QPalette::Active, QPalette::ButtonText);
    const auto mark = [&controlText](QAbstractButton *button, const QString &key) {
        OptionsPanel::setButtonKeyCharacter(button, key, controlText);
    };
    // Each language picks letters of its own titles, none used twice in the window.
    mark(ui.importBtn, tr("i", "access key of Import List..."));
    mark(ui.addFilesBtn, tr("f", "access key of Add Files..."));
    mark(ui.addFolderBtn, tr("o", "access key of Add Folder..."));
    mark(ui.inculdeSubfoldersBtn, tr("u", "access key of Include subfolders"));
    mark(ui.convertBtn, tr("s", "access key of Start"));
    mark(ui.setCurrentAsDefaultOutputFolderPathBtn, tr("d", "access key of Keep as default output folder"));
    mark(ui.openFolderAfterConversionBtn, tr("p", "access key of Open folder after processing"));
}

void LockleafAppDelegate::connectApplication()
{
    // Past the point of asking (a quit that was not refused, or forced): the run
    // and the gathering are stopped and waited for before the window goes.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        m_run->shutdown();
        applicationShouldTerminate();
        m_gathering->shutdown();
    });
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            applicationShouldHandleReopen(m_window->isVisible());
    });
    QCoreApplication::instance()->installEventFilter(new QuitGuard(this));
}

void LockleafAppDelegate::retitleMenus(QMenuBar *menuBar, const QString &from, const QString &to)
{
    if (!menuBar || from.isEmpty())
        return;
    const QList<QAction *> top = menuBar->actions();
    const auto retitle = [&](QAction *item, bool atEnd) {
        const QString title = plainTitle(item);
        if (atEnd ? title.endsWith(from) : title.startsWith(from))
            item->setText(QString(item->text()).replace(from, to));
    };
    if (!top.isEmpty() && top.first()->menu())
        for (QAction *item : top.first()->menu()->actions())
            retitle(item, true);
    for (QAction *menu : top)
        if (menu->menu() && plainTitle(menu) == QCoreApplication::translate("MainWindow", "Window"))
            for (QAction *item : menu->menu()->actions())
                retitle(item, false);
    if (top.size() > 1 && top.last()->menu())
        for (QAction *item : top.last()->menu()->actions())
            retitle(item, false);
}

void LockleafAppDelegate::setupVersion()
{
    retitleMenus(m_window->menuBar(), QStringLiteral("Lockleaf"), getAppTitle());
}

void LockleafAppDelegate::commitEditing()
{
    lockleaf::commitEditing(m_window);
}

bool LockleafAppDelegate::applicationShouldTerminate()
{
    if (!m_run->stopBeforeQuitting())
        return false;
    m_gathering->stopAndWait();
    commitEditing();
    m_keyring->flush();
    m_settings->synchronize();
    WindowGeometry::save(m_window, m_fileList->mainTableView()->horizontalHeader());
    return true;
}

bool LockleafAppDelegate::applicationShouldHandleReopen(bool hasVisibleWindows)
{
    if (hasVisibleWindows && m_window->isVisible())
        return false;
    openAppAction();
    return true;
}

void LockleafAppDelegate::openAppAction()
{
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}

void LockleafAppDelegate::setExtraHelpDirectories(const QStringList &dirs)
{
    extraHelpDirectories() = dirs;
}

QString LockleafAppDelegate::helpDocumentPath()
{
    static const QString name = QStringLiteral("MACLockleaf1.pdf");
    const QString appDir = QCoreApplication::applicationDirPath();
    QStringList dirs = extraHelpDirectories();
    dirs << appDir << appDir + QStringLiteral("/../Resources")
         << appDir + QStringLiteral("/../share/lockleaf");
    for (const QString &dir : std::as_const(dirs)) {
        const QFileInfo candidate(QDir(dir).filePath(name));
        if (candidate.isFile())
            return candidate.canonicalFilePath();
    }
    return {};
}

void LockleafAppDelegate::helpAction()
{
    try {
        const QString path = helpDocumentPath();
        if (path.isEmpty()) {
            m_alerts->inform(m_window, tr("The help document MACLockleaf1.pdf could not be found."),
                             QMessageBox::Warning);
            throw std::runtime_error("the help document MACLockleaf1.pdf is missing");
        }
        m_workspace->openURL(QUrl::fromLocalFile(path));
    } catch (const std::exception &e) {
        systemLog(QStringLiteral("Error in [helpAction:] : %1").arg(QString::fromLocal8Bit(e.what())));
    }
}

} // namespace lockleaf
