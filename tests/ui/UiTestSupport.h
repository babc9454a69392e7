#pragma once

// Shared by the window tests: one QApplication per test executable (offscreen,
// settings in the test location), a workspace that records instead of opening,
// and small helpers to load real files into the window.

#include "engine/FileGatherer.h"
#include "engine/Workspace.h"
#include "model/Settings.h"
#include "support/TestSupport.h"
#include "ui/AlertPresenter.h"
#include "ui/FileActions.h"
#include "ui/FileList.h"
#include "ui/FileTableModel.h"
#include "ui/Gathering.h"
#include "ui/LockleafAppDelegate.h"
#include "ui/OptionsPanel.h"
#include "ui/PasswordActions.h"
#include "ui/RunControl.h"
#include "ui/WindowState.h"

#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace uitest
{

inline QApplication *app()
{
    static int argc = 1;
    static char name[] = "lockleaf-ui-test";
    static char *argv[] = {name, nullptr};
    static QApplication *instance = [] {
        // A home of its own: ctest runs the window suites side by side, and one
        // suite clearing the per-user store must not pull it from under another.
        static QTemporaryDir home;
        qputenv("HOME", home.path().toLocal8Bit());
        QStandardPaths::setTestModeEnabled(true);
        auto *a = new QApplication(argc, argv);
        QCoreApplication::setOrganizationName(QStringLiteral("Corvalen"));
        QCoreApplication::setApplicationName(QStringLiteral("Lockleaf"));
        // An alert nobody queued an answer for is a fault, never a box to wait on.
        lockleaf::AlertPresenter::setUnansweredHandler([](const QString &message) {
            ADD_FAILURE() << "unexpected alert: " << message.toStdString();
            return lockleaf::AlertPresenter::Answer::No;
        });
        return a;
    }();
    return instance;
}

class RecordingWorkspace final : public lockleaf::Workspace
{
public:
    explicit RecordingWorkspace(QList<QUrl> *opened) : m_opened(opened) {}
    void openURL(const QUrl &url) override { m_opened->append(url); }
    void revealURLs(const QList<QUrl> &urls) override { m_opened->append(urls); }

private:
    QList<QUrl> *m_opened;
};

// Every test starts from an empty per-user store.
class UiTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app();
        std::unique_ptr<QSettings> store = lockleaf::Settings::openStore();
        ASSERT_TRUE(store->fileName().contains(QStringLiteral("qttest")))
            << "the store must be the test one: " << store->fileName().toStdString();
        store->clear();
        store->sync();
    }
};

// A named widget of the window of `d` (the whole window, or a part's form).
template <typename T, typename Holder> T *child(const Holder &d, const char *name)
{
    T *w = d.window()->template findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << "no child named " << name;
    return w;
}

// Runs a real gathering and returns when it has ended.
template <typename Holder>
void gather(Holder &d, const QList<QUrl> &urls, bool isFolders = false, bool includeSubfolders = false)
{
    QSignalSpy finished(d.gathering(), &lockleaf::Gathering::gatheringFinished);
    lockleaf::Arguments arguments;
    arguments.urls = urls;
    arguments.isFolders = isFolders;
    arguments.isIncludeSubdirectories = includeSubfolders;
    ASSERT_TRUE(d.gathering()->startGathering(arguments));
    ASSERT_TRUE(finished.wait(60000)) << "gathering did not end";
}

inline QList<QUrl> urlsOf(const QStringList &paths)
{
    QList<QUrl> urls;
    for (const QString &p : paths)
        urls.append(QUrl::fromLocalFile(p));
    return urls;
}

template <typename Holder> QStringList fileNames(Holder &d)
{
    QStringList names;
    for (const lockleaf::FileItemPtr &item : d.fileList()->files())
        names.append(item->filePath().fileName());
    return names;
}

// Makes PDFs named f00.pdf, f01.pdf, ... in `dir` with the given page counts;
// each page's text names its file ("docN").
inline QStringList makeNumberedPdfs(const testsupport::TempDir &dir, const QList<int> &pages)
{
    QStringList paths;
    for (int i = 0; i < pages.size(); ++i) {
        const QString path = dir.file(QStringLiteral("f%1.pdf").arg(i, 2, 10, QLatin1Char('0')));
        testsupport::makePdf(path, pages[i], {}, QStringLiteral("doc%1").arg(i));
        paths.append(path);
    }
    return paths;
}

// Window tests that make real runs: a window whose workspace records instead
// of opening (the run may open its output folder), with real files gathered
// into it and the output folder set, and a wait for the run to end.
class RunWindowTest : public UiTest
{
protected:
    static void waitForRun(lockleaf::LockleafAppDelegate &d)
    {
        QSignalSpy finished(d.run(), &lockleaf::RunControl::runFinished);
        if (d.run()->isRunWorking()) {
            ASSERT_TRUE(finished.wait(120000)) << "the run did not end";
        }
        // The panel's queued notifications come before the thread's end; deliver any left.
        QCoreApplication::processEvents();
    }

    std::unique_ptr<lockleaf::LockleafAppDelegate> window(const QList<int> &pages)
    {
        auto d = std::make_unique<lockleaf::LockleafAppDelegate>();
        d->setWorkspace(std::make_unique<RecordingWorkspace>(&m_opened));
        if (!pages.isEmpty())
            gather(*d, urlsOf(makeNumberedPdfs(m_sources, pages)));
        d->settings()->setOutputFolderPath(m_out.path());
        return d;
    }

    static QStringList entriesOf(const QString &dir)
    {
        return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    QList<QUrl> m_opened;
    testsupport::TempDir m_sources;
    testsupport::TempDir m_out;
};

// Highlights exactly `rows` of the window's table.
template <typename Holder> void highlight(Holder &d, const QList<int> &rows)
{
    QItemSelectionModel *selection = d.fileList()->mainTableView()->selectionModel();
    selection->clearSelection();
    for (int row : rows)
        selection->select(d.fileList()->tableModel()->index(row, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

} // namespace uitest
