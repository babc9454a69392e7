#include "ui/LockleafAppDelegate.h"

#include "UiTestSupport.h"
#include "platform/Utilities.h"
#include "support/TestSupport.h"
#include "ui/ProgressPanel.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <QHeaderView>
#include <QScreen>

#include <gtest/gtest.h>

using lockleaf::LockleafAppDelegate;
using uitest::child;

namespace
{

class StartUpTest : public uitest::UiTest
{
};

TEST_F(StartUpTest, firstLaunch_showsThePaneInRemoveModeWithEmptyListControls)
{
    LockleafAppDelegate d;
    EXPECT_EQ(d.window()->windowTitle(), lockleaf::getAppTitle());
    EXPECT_TRUE(d.window()->isVisible());
    EXPECT_TRUE(d.options()->isShowSettings());
    EXPECT_TRUE(child<QFrame>(d, "rightBox")->isVisible());
    EXPECT_TRUE(lockleaf::Settings::openStore()->value("SHOWSETTINGS").toBool()) << "written at first start";
    EXPECT_EQ(child<QTabWidget>(d, "settingTabView")->currentIndex(), 0);

    EXPECT_EQ(d.settings()->securityType(), 0);
    EXPECT_TRUE(child<QRadioButton>(d, "unsecureOptionButton")->isChecked());
    EXPECT_TRUE(child<QLineEdit>(d, "unsecurePermissionPasswordText")->isEnabled());
    EXPECT_FALSE(child<QLineEdit>(d, "openPasswordText")->isEnabled());
    EXPECT_FALSE(child<QLabel>(d, "openPasswordLabel")->isEnabled());

    EXPECT_TRUE(child<QLabel>(d, "lableDragAndDrop")->isVisible());
    for (const char *name :
         {"openFileButton", "getInfoButton", "openEnclosedFolderButton", "selectAllButton",
          "deselectAllButton", "removeSelectedFilesButton", "removeAllFilesButton", "pdfPasswordButton"})
        EXPECT_FALSE(child<QPushButton>(d, name)->isEnabled()) << name;
    EXPECT_FALSE(child<QAction>(d, "exportToolbarItem")->isEnabled());
    for (const char *name : {"importBtn", "addFilesBtn", "addFolderBtn", "convertBtn"})
        EXPECT_TRUE(child<QPushButton>(d, name)->isEnabled()) << name;
    EXPECT_TRUE(child<QAction>(d, "preferencesToolbarItem")->isEnabled());
    // The access letters are marked at start-up.
    EXPECT_EQ(child<QPushButton>(d, "convertBtn")->text(), QStringLiteral("&Start"));
    EXPECT_EQ(child<QCheckBox>(d, "inculdeSubfoldersBtn")->text(), QStringLiteral("Incl&ude subfolders"));
    EXPECT_EQ(d.run()->processViewPanel()->viewLogBtn()->text(), QStringLiteral("View &Log"));
    EXPECT_EQ(d.run()->processViewPanel()->cancelProcessBtn()->text(), QStringLiteral("&Cancel"));

    EXPECT_FALSE(d.windowState()->isProcessing());
    EXPECT_TRUE(QFileInfo(QDir(lockleaf::getAppPath()).filePath("Logs")).isDir());
    EXPECT_EQ(child<QLabel>(d, "labelTimeTaken")->text(), QStringLiteral("Total Time Taken : 0 sec(s) 0/0"));
}

TEST_F(StartUpTest, quitting_savesTheSettingsAndTheValueBeingTyped)
{
    {
        LockleafAppDelegate d;
        EXPECT_FALSE(lockleaf::Settings::openStore()->contains("SETTINGS"));
        auto *field = child<QLineEdit>(d, "unsecurePermissionPasswordText");
        QApplication::setActiveWindow(d.window());
        field->setFocus();
        ASSERT_TRUE(field->hasFocus());
        QTest::keyClicks(field, "typed");
        EXPECT_TRUE(d.applicationShouldTerminate());
        EXPECT_FALSE(field->hasFocus()) << "editing was ended";
        EXPECT_TRUE(lockleaf::Settings::openStore()->contains("SETTINGS"))
            << "saved even without other changes";
    }
    LockleafAppDelegate again;
    EXPECT_EQ(again.settings()->pdfOpenPassword(), QStringLiteral("typed"));
    EXPECT_EQ(child<QLineEdit>(again, "unsecurePermissionPasswordText")->text(), QStringLiteral("typed"));
}

TEST_F(StartUpTest, reopen_bringsBackAHiddenWindowOnly)
{
    LockleafAppDelegate d;
    EXPECT_FALSE(d.applicationShouldHandleReopen(true));
    d.window()->hide();
    EXPECT_TRUE(d.applicationShouldHandleReopen(false));
    EXPECT_TRUE(d.window()->isVisible());
}

TEST_F(StartUpTest, help_opensTheBuiltHelpDocument)
{
    LockleafAppDelegate d;
    QList<QUrl> opened;
    d.setWorkspace(std::make_unique<uitest::RecordingWorkspace>(&opened));
    LockleafAppDelegate::setExtraHelpDirectories({testsupport::binDir()});
    d.helpAction();
    LockleafAppDelegate::setExtraHelpDirectories({});

    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].fileName(), QStringLiteral("MACLockleaf1.pdf"));
    const QString text = testsupport::pdfText(opened[0].toLocalFile()).simplified();
    for (const char *topic : {"Remove security", "Add security", "Open password", "Permission password",
                              "Saved passwords", "Output folder", "Backups", "processing log"})
        EXPECT_TRUE(text.contains(QLatin1String(topic), Qt::CaseInsensitive)) << topic;
}

TEST_F(StartUpTest, help_withoutTheDocument_saysSoAndOpensNothing)
{
    LockleafAppDelegate d;
    QList<QUrl> opened;
    d.setWorkspace(std::make_unique<uitest::RecordingWorkspace>(&opened));
    testsupport::TempDir empty;
    LockleafAppDelegate::setExtraHelpDirectories({empty.path()});
    if (!LockleafAppDelegate::helpDocumentPath().isEmpty())
        GTEST_SKIP() << "a help document lies next to the test executable";
    testsupport::LogCapture log;
    d.alerts()->setNextAnswer(lockleaf::AlertPresenter::Answer::Ok);
    d.helpAction();
    LockleafAppDelegate::setExtraHelpDirectories({});
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(d.alerts()->messages(),
              QStringList{QStringLiteral("The help document MACLockleaf1.pdf could not be found.")});
    EXPECT_TRUE(log.contains(QStringLiteral("Error in [helpAction:] : ")));
}

TEST_F(StartUpTest, windowColumnsAndSort_comeBackAsLeft_onAScreenThatExists)
{
    const auto headerOf = [](const LockleafAppDelegate &d) {
        return d.fileList()->mainTableView()->horizontalHeader();
    };
    QSize leftSize;
    QPoint leftPos;
    {
        LockleafAppDelegate d;
        d.window()->resize(d.window()->minimumSize() + QSize(37, 23));
        d.window()->move(60, 50);
        leftSize = d.window()->size();
        leftPos = d.window()->geometry().topLeft();
        headerOf(d)->resizeSection(lockleaf::FileTableModel::NameColumn, 321);
        headerOf(d)->setSortIndicator(lockleaf::FileTableModel::PagesColumn, Qt::DescendingOrder);
        ASSERT_TRUE(d.applicationShouldTerminate());
    }
    {
        LockleafAppDelegate d;
        EXPECT_EQ(d.window()->size(), leftSize);
        EXPECT_EQ(d.window()->geometry().topLeft(), leftPos);
        EXPECT_EQ(headerOf(d)->sectionSize(lockleaf::FileTableModel::NameColumn), 321);
        EXPECT_EQ(headerOf(d)->sortIndicatorSection(), lockleaf::FileTableModel::PagesColumn);
        EXPECT_EQ(headerOf(d)->sortIndicatorOrder(), Qt::DescendingOrder);
        // Moved to where no screen is now (a display unplugged since).
        d.window()->move(40000, 30000);
        ASSERT_TRUE(d.applicationShouldTerminate());
    }
    LockleafAppDelegate d;
    bool visible = false;
    for (const QScreen *screen : QGuiApplication::screens())
        visible = visible || screen->availableGeometry().intersects(d.window()->frameGeometry());
    EXPECT_TRUE(visible) << "left at " << d.window()->x() << "," << d.window()->y();
}

TEST_F(StartUpTest, menuTitles_followTheDisplayTitle)
{
    QMenuBar bar;
    QMenu *appMenu = bar.addMenu("Lockleaf");
    QAction *about = appMenu->addAction("About Lockleaf");
    QAction *prefs = appMenu->addAction("Lockleaf Settings");
    QMenu *window = bar.addMenu("&Window");
    QAction *main = window->addAction("Lockleaf Main Window");
    QAction *other = window->addAction("Bring Lockleaf");
    QMenu *help = bar.addMenu("Help");
    QAction *helpItem = help->addAction("Lockleaf Help");

    LockleafAppDelegate::retitleMenus(&bar, "Lockleaf", "Leafy");
    EXPECT_EQ(about->text(), QStringLiteral("About Leafy"));
    EXPECT_EQ(prefs->text(), QStringLiteral("Lockleaf Settings")) << "first menu: only titles ending with it";
    EXPECT_EQ(main->text(), QStringLiteral("Leafy Main Window"));
    EXPECT_EQ(other->text(), QStringLiteral("Bring Lockleaf"))
        << "Window menu: only titles beginning with it";
    EXPECT_EQ(helpItem->text(), QStringLiteral("Leafy Help"));
}

} // namespace
