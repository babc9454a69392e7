// Start-up, application events, menus, toolbar and the help command.

#include "ui/LockleafAppDelegate.h"

#include "engine/Process.h"
#include "model/Settings.h"
#include "platform/SystemLog.h"
#include "platform/Utilities.h"
#include "ui/AlertPresenter.h"
#include "ui/DesktopWorkspace.h"
#include "ui/FileChooser.h"
#include "ui/FileTableModel.h"
#include "ui/ProgressPanel.h"

#include "ui_MainWindow.h"

#include <QActionGroup>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QIcon>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSettings>
#include <QStyle>
#include <QThread>
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

LockleafAppDelegate::LockleafAppDelegate(QObject *parent)
    : QObject(parent), m_ui(std::make_unique<Ui::MainWindow>()), m_alerts(std::make_unique<AlertPresenter>()),
      m_fileChooser(std::make_unique<FileChooser>()), m_workspace(std::make_unique<DesktopWorkspace>())
{
    m_window = new QMainWindow;
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_ui->setupUi(m_window);
    m_processViewPanel = new ProgressPanel(m_window);
    m_model = new FileTableModel(m_files, this);
    awakeFromNib();
}

CustomTableView *LockleafAppDelegate::mainTableView() const
{
    return m_ui->mainTableView;
}

void LockleafAppDelegate::setWorkspace(std::unique_ptr<Workspace> workspace)
{
    if (workspace)
        m_workspace = std::move(workspace);
}

int LockleafAppDelegate::tagOf(const QObject *sender)
{
    const QVariant tag = sender ? sender->property("tag") : QVariant();
    return tag.isValid() ? tag.toInt() : -1;
}

void LockleafAppDelegate::awakeFromNib()
{
    m_window->setWindowTitle(getAppTitle());

    // A missing per-user folder only means no log can be saved later; start-up goes on.
    if (createApplicationUsersFolder(QString()))
        createApplicationUsersFolder(QStringLiteral("Logs"));

    m_files.clear();
    m_allowedFileTypes = QStringLiteral("pdf,PDF").split(QLatin1Char(','));
    m_settings = std::make_unique<Settings>(true);
    m_isProcessing = false;
    m_process = std::make_unique<Process>();

    setupTable();
    setupContextMenu();
    m_ui->mainTableView->setContextMenu(m_filesContextMenu);
    connectActions();
    connectFileActions();

    {
        std::unique_ptr<QSettings> store = Settings::openStore();
        if (store->contains(QLatin1String(kShowSettingsKey))) {
            m_showSettings = store->value(QLatin1String(kShowSettingsKey)).toBool();
        } else {
            m_showSettings = true;
            store->setValue(QLatin1String(kShowSettingsKey), true);
        }
    }
    showSettings(m_showSettings);

    const QColor controlText = m_window->palette().color(QPalette::Active, QPalette::ButtonText);
    setButtonKeyCharacter(m_ui->importBtn, QStringLiteral("i"), controlText);
    setButtonKeyCharacter(m_ui->addFilesBtn, QStringLiteral("f"), controlText);
    setButtonKeyCharacter(m_ui->addFolderBtn, QStringLiteral("o"), controlText);
    setButtonKeyCharacter(m_ui->inculdeSubfoldersBtn, QStringLiteral("u"), controlText);
    setButtonKeyCharacter(m_ui->convertBtn, QStringLiteral("s"), controlText);
    setButtonKeyCharacter(m_ui->setCurrentAsDefaultOutputFolderPathBtn, QStringLiteral("d"), controlText);
    setButtonKeyCharacter(m_ui->openFolderAfterConversionBtn, QStringLiteral("p"), controlText);
    setButtonKeyCharacter(m_processViewPanel->viewLogBtn(), QStringLiteral("l"), controlText);
    setButtonKeyCharacter(m_processViewPanel->cancelProcessBtn(), QStringLiteral("c"), controlText);

    m_ui->settingTabView->setCurrentIndex(0);
    resetView(true);

    bindOptionControls();
    observeSettings();

    setupVersion();

    // The toolbar is fixed: no moving, floating or hiding it from a context menu.
    m_ui->mainToolBar->setMovable(false);
    m_ui->mainToolBar->setFloatable(false);
    m_ui->mainToolBar->toggleViewAction()->setVisible(false);
    m_window->setContextMenuPolicy(Qt::NoContextMenu);

    m_ui->mainTableView->setAcceptDrops(true);
    m_ui->mainTableView->viewport()->setAcceptDrops(true);
    m_ui->mainTableView->setTableDelegate(this);

    m_window->show();
    m_window->raise();
    m_window->activateWindow();

    setSecurityOptions();
}

void LockleafAppDelegate::setupTable()
{
    CustomTableView *table = m_ui->mainTableView;
    table->setModel(m_model);
    QHeaderView *header = table->horizontalHeader();
    // No sort until the user clicks a header; then the list keeps that order,
    // also after files are added. A third click clears it.
    header->setSortIndicator(-1, Qt::AscendingOrder);
    header->setSortIndicatorClearable(true);
    table->setSortingEnabled(true);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setStretchLastSection(true);
    header->setSectionsMovable(false);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 8);
    table->setTextElideMode(Qt::ElideMiddle);

    const QFontMetrics fm(table->font());
    const auto width = [&fm](const char *sample) { return fm.horizontalAdvance(QLatin1String(sample)) + 24; };
    table->setColumnWidth(FileTableModel::CheckColumn, 28);
    header->setSectionResizeMode(FileTableModel::CheckColumn, QHeaderView::Fixed);
    table->setColumnWidth(FileTableModel::NameColumn, width("a-rather-long-document-name.pdf (SECURED)"));
    table->setColumnWidth(FileTableModel::PagesColumn, width("Pages00"));
    table->setColumnWidth(FileTableModel::SizeColumn, width("1000 KB0"));
    table->setColumnWidth(FileTableModel::TypeColumn, width("Type0"));
    for (int c :
         {FileTableModel::ModifiedColumn, FileTableModel::CreatedColumn, FileTableModel::AccessedColumn})
        table->setColumnWidth(c, width("28-Sep-2026 12:59 PM"));

    connect(m_model, &FileTableModel::checkEdited, this, [this] { updateTotalLabel(); });
    // The move buttons follow the highlight and every change of the row count.
    connect(table, &CustomTableView::highlightChanged, this, &LockleafAppDelegate::updateMoveButtons);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &LockleafAppDelegate::updateMoveButtons);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &LockleafAppDelegate::updateMoveButtons);
    connect(m_model, &QAbstractItemModel::rowsMoved, this, &LockleafAppDelegate::updateMoveButtons);
    connect(m_model, &QAbstractItemModel::modelReset, this, &LockleafAppDelegate::updateMoveButtons);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, &LockleafAppDelegate::updateMoveButtons);
    updateMoveButtons();
}

void LockleafAppDelegate::setupContextMenu()
{
    m_filesContextMenu = new QMenu(m_window);
    m_filesContextMenu->setObjectName(QStringLiteral("filesContextMenu"));
    m_filesContextMenu->addAction(m_ui->checkHighlightedAction);
    m_filesContextMenu->addAction(m_ui->uncheckHighlightedAction);
    m_filesContextMenu->addAction(m_ui->invertHighlightedAction);
    m_filesContextMenu->addSeparator();
    m_filesContextMenu->addAction(m_ui->removeHighlightedAction);
}

void LockleafAppDelegate::connectActions()
{
    Ui::MainWindow &ui = *m_ui;

    // Toolbar: the settings item is shown selected while the pane is shown, the
    // invisible dummy item while it is hidden.
    auto *paneGroup = new QActionGroup(m_window);
    paneGroup->addAction(ui.preferencesToolbarItem);
    paneGroup->addAction(ui.dummyToolbarItem);
    // The desktop's icon theme where there is one, the style's own icons otherwise.
    QStyle *style = m_window->style();
    const auto icon = [style](const char *themeName, QStyle::StandardPixmap fallback) {
        return QIcon::fromTheme(QLatin1String(themeName), style->standardIcon(fallback));
    };
    ui.preferencesToolbarItem->setIcon(icon("preferences-system", QStyle::SP_FileDialogDetailedView));
    ui.exportToolbarItem->setIcon(icon("document-save-as", QStyle::SP_DialogSaveButton));
    ui.helpToolbarItem->setIcon(icon("help-contents", QStyle::SP_MessageBoxQuestion));
    ui.helpAction->setIcon(ui.helpToolbarItem->icon());
    connect(ui.preferencesToolbarItem, &QAction::triggered, this, [this] { toggleSettings(); });
    connect(ui.helpToolbarItem, &QAction::triggered, this, [this] { helpAction(); });
    connect(ui.helpAction, &QAction::triggered, this, [this] { helpAction(); });
    connect(ui.mainWindowAction, &QAction::triggered, this, [this] { openAppAction(); });
    connect(ui.quitAction, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    connect(ui.aboutAction, &QAction::triggered, this, [this] {
        QMessageBox::about(
            m_window, QStringLiteral("About ") + getAppTitle(),
            QStringLiteral("<b>%1</b> %2<br>Adds or removes password security on PDF documents.")
                .arg(getAppTitle(), QStringLiteral(LOCKLEAF_VERSION)));
    });

    // Options panel.
    for (QAbstractButton *radio : {static_cast<QAbstractButton *>(ui.unsecureOptionButton),
                                   static_cast<QAbstractButton *>(ui.secureOptionButton)})
        connect(radio, &QAbstractButton::clicked, this, [this, radio] { securityAction(tagOf(radio)); });
    connect(ui.chooseOutputFolderButton, &QPushButton::clicked, this, [this] { chooseOutputFolder(); });
    connect(ui.inculdeSubfoldersBtn, &QCheckBox::clicked, this,
            [this](bool on) { setInculdeSubfolders(on); });

    // File table commands; the tag of the sender picks the variant.
    const auto byTag = [this](QObject *sender, void (LockleafAppDelegate::*command)(int)) {
        return [this, sender, command] { (this->*command)(tagOf(sender)); };
    };
    connect(ui.selectAllButton, &QPushButton::clicked, this,
            byTag(ui.selectAllButton, &LockleafAppDelegate::checkUncheckInvertAll));
    connect(ui.deselectAllButton, &QPushButton::clicked, this,
            byTag(ui.deselectAllButton, &LockleafAppDelegate::checkUncheckInvertAll));
    connect(ui.removeSelectedFilesButton, &QPushButton::clicked, this,
            byTag(ui.removeSelectedFilesButton, &LockleafAppDelegate::selectDeselectRemoveAll));
    connect(ui.removeAllFilesButton, &QPushButton::clicked, this,
            byTag(ui.removeAllFilesButton, &LockleafAppDelegate::selectDeselectRemoveAll));
    // F8 reaches this item through the table's context menu only, not as a
    // window-wide shortcut.
    ui.checkHighlightedAction->setShortcutContext(Qt::WidgetShortcut);
    for (QAction *a : {ui.checkHighlightedAction, ui.uncheckHighlightedAction, ui.invertHighlightedAction})
        connect(a, &QAction::triggered, this, byTag(a, &LockleafAppDelegate::checkUncheckInvertSelection));
    for (QAction *a : {ui.checkAllAction, ui.uncheckAllAction, ui.invertAllAction})
        connect(a, &QAction::triggered, this, byTag(a, &LockleafAppDelegate::checkUncheckInvertAll));
    for (QAction *a :
         {ui.highlightAllAction, ui.highlightFirstAction, ui.removeHighlightedAction, ui.removeAllAction})
        connect(a, &QAction::triggered, this, byTag(a, &LockleafAppDelegate::selectDeselectRemoveAll));
    connect(ui.moveUpButton, &QToolButton::clicked, this, [this] { moveUp(); });
    connect(ui.moveDownButton, &QToolButton::clicked, this, [this] { moveDown(); });
    connect(ui.cancelBtn, &QPushButton::clicked, this, [this] { cancelAction(); });
    connectRunControl();

    // Any text field may carry a numeric tag; only those are touched.
    const QList<QLineEdit *> fields = m_window->findChildren<QLineEdit *>();
    for (QLineEdit *field : fields)
        connect(field, &QLineEdit::textEdited, this, [this, field] { controlTextDidChange(field); });

    // Past the point of asking (a quit that was not refused, or forced): the run
    // and the gathering are stopped and waited for before the window goes.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        shutdownRun();
        applicationShouldTerminate();
        shutdownGathering();
    });
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            applicationShouldHandleReopen(m_window->isVisible());
    });
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
        if (menu->menu() && plainTitle(menu) == QLatin1String("Window"))
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
    // Only a text field is "editing"; the table keeps its focus.
    auto *field = qobject_cast<QLineEdit *>(QApplication::focusWidget());
    if (!field || field->window() != m_window)
        return;
    Q_EMIT field->editingFinished();
    field->clearFocus();
}

bool LockleafAppDelegate::applicationShouldTerminate()
{
    if (!stopWorkBeforeQuitting())
        return false;
    commitEditing();
    if (m_settings)
        m_settings->synchronize();
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
        if (path.isEmpty())
            throw std::runtime_error("the help document MACLockleaf1.pdf is missing");
        m_workspace->openURL(QUrl::fromLocalFile(path));
    } catch (const std::exception &e) {
        systemLog(QStringLiteral("Error in [helpAction:] : %1").arg(QString::fromLocal8Bit(e.what())));
    }
}

} // namespace lockleaf
