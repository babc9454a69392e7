// GUI benchmark of the main window's file table, run offscreen by bench/run:
//   lockleaf-gui-bench [CORPUS_DIR]
// - sorting 100,000 rows by every column, and a full totals refresh;
// - gathering 10,000 PDF files, with the longest time the main thread was kept
//   from its event loop (a 2 ms timer measures the gaps) and the busy
//   indicator's frames drawn meanwhile.
// - the shown window gathering 10,000 one-page files and 1,000 files of 300
//   pages (made under CORPUS_DIR when missing): when the first row shows, when
//   all are listed and counted, and the main thread's worst gap. Printed as
//   "gather-10k-first-row-s: X" lines for bench/run.
// Uses CORPUS_DIR/tree10000 when it exists, else makes 10,000 small PDFs.
// Prints medians; asserts nothing.

#include "model/FileItem.h"
#include "model/Settings.h"
#include "ui/BusyIndicator.h"
#include "ui/FileList.h"
#include "ui/FileTableModel.h"
#include "ui/Gathering.h"
#include "ui/LockleafAppDelegate.h"
#include "ui/WindowState.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMainWindow>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{

void makePdf(const QString &path, int pages)
{
    QPDF pdf;
    pdf.emptyPDF();
    QPDFPageDocumentHelper helper(pdf);
    for (int i = 0; i < pages; ++i) {
        QPDFObjectHandle page = pdf.makeIndirectObject(
            QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 612 792] /Resources << >> >>"));
        page.replaceKey("/Contents", pdf.newStream("q Q"));
        helper.addPage(page, false);
    }
    QPDFWriter writer(pdf, path.toLocal8Bit().constData());
    writer.setStaticID(true);
    writer.write();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

QStringList pdfsUnder(const QString &dir)
{
    QStringList paths;
    QDirIterator it(dir, {QStringLiteral("*.pdf")}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        paths.append(it.next());
    paths.sort();
    return paths;
}

// `count` copies of one PDF of `pages` pages in DIR/NAME (made when missing).
QString copiesOf(const QString &dir, const QString &name, int count, int pages)
{
    const QString folder = QDir(dir).filePath(name);
    const QString done = QDir(folder).filePath(QStringLiteral(".complete"));
    if (QFile::exists(done))
        return folder;
    std::printf("making %d PDFs of %d page(s) in %s ...\n", count, pages, qPrintable(folder));
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QString first = QDir(folder).filePath(QStringLiteral("f00000.pdf"));
    makePdf(first, pages);
    for (int i = 1; i < count; ++i)
        QFile::copy(first, QDir(folder).filePath(QStringLiteral("f%1.pdf").arg(i, 5, 10, QLatin1Char('0'))));
    QFile(done).open(QIODevice::WriteOnly);
    return folder;
}

struct GatherTimes {
    double firstRow = -1;
    double listed = -1;
    double counted = -1;
    double worstGapMs = 0;
    double cancelToEnd = -1;
    int rows = 0;
};

// Gathers `folder` in a shown window; with `stopAtFirstRow` it cancels as soon
// as the first row is in.
GatherTimes gatherInWindow(const QString &folder, int expected, bool stopAtFirstRow)
{
    GatherTimes times;
    lockleaf::LockleafAppDelegate window;
    window.window()->show();
    QCoreApplication::processEvents();
    lockleaf::FileTableModel *model = window.fileList()->tableModel();
    QElapsedTimer clock;
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setInterval(2);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        times.worstGapMs = std::max(times.worstGapMs, sinceTick.nsecsElapsed() / 1e6);
        sinceTick.restart();
    });
    QObject::connect(model, &QAbstractItemModel::rowsInserted, [&] {
        const double now = clock.nsecsElapsed() / 1e9;
        if (times.firstRow < 0) {
            times.firstRow = now;
            if (stopAtFirstRow)
                window.window()->findChild<QPushButton *>(QStringLiteral("cancelBtn"))->click();
        }
        if (times.listed < 0 && model->rowCount() >= expected)
            times.listed = now;
    });
    QEventLoop loop;
    QObject::connect(window.gathering(), &lockleaf::Gathering::gatheringFinished, &loop, &QEventLoop::quit);
    lockleaf::Arguments arguments;
    arguments.urls = {QUrl::fromLocalFile(folder)};
    arguments.isFolders = true;
    arguments.isIncludeSubdirectories = true;
    clock.start();
    sinceTick.start();
    ticker.start();
    if (window.gathering()->startGathering(arguments))
        loop.exec();
    ticker.stop();
    times.counted = clock.nsecsElapsed() / 1e9;
    if (stopAtFirstRow)
        times.cancelToEnd = times.counted - times.firstRow;
    times.rows = model->rowCount();
    for (const lockleaf::FileItemPtr &item : model->files())
        if (!item->isCounted())
            times.counted = -1; // not all counted: no time to report
    return times;
}

} // namespace

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true); // never touch the user's settings
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Corvalen"));
    QCoreApplication::setApplicationName(QStringLiteral("Lockleaf"));
    lockleaf::Settings::openStore()->clear();

    QTemporaryDir scratch;
    QString tree =
        argc > 1 ? QDir(QString::fromLocal8Bit(argv[1])).filePath(QStringLiteral("tree10000")) : QString();
    QStringList paths = tree.isEmpty() ? QStringList() : pdfsUnder(tree);
    if (paths.size() < 10000) {
        std::printf("making 10,000 PDFs ...\n");
        tree = scratch.filePath(QStringLiteral("tree"));
        for (int folder = 0; folder < 100; ++folder) {
            const QString sub =
                QDir(tree).filePath(QStringLiteral("d%1").arg(folder, 3, 10, QLatin1Char('0')));
            QDir().mkpath(sub);
            for (int i = 0; i < 100; ++i)
                makePdf(QDir(sub).filePath(QStringLiteral("f%1.pdf").arg(i, 3, 10, QLatin1Char('0'))),
                        1 + (i * 7 + folder) % 12);
        }
        paths = pdfsUnder(tree);
    }
    paths = paths.mid(0, 10000);

    // --- rows as the window meets them ---------------------------------------
    {
        const QString base = argc > 1 ? QString::fromLocal8Bit(argv[1]) : scratch.path();
        const QString flat = copiesOf(base, QStringLiteral("gather-10k-1p"), 10000, 1);
        const QString thick = copiesOf(base, QStringLiteral("gather-1k-300p"), 1000, 300);
        const GatherTimes many = gatherInWindow(flat, 10000, false);
        const GatherTimes big = gatherInWindow(thick, 1000, false);
        const GatherTimes cancelled = gatherInWindow(thick, 1000, true);
        std::printf("gather-10k-first-row-s: %.3f\n", many.firstRow);
        std::printf("gather-10k-listed-s: %.3f\n", many.listed);
        std::printf("gather-10k-counted-s: %.3f\n", many.counted);
        std::printf("gather-1k-300p-first-row-s: %.3f\n", big.firstRow);
        std::printf("main-thread-worst-ms: %.1f\n",
                    std::max({many.worstGapMs, big.worstGapMs, cancelled.worstGapMs}));
        std::printf("(1,000 files of 300 pages: all counted in %.3f s; a cancel at the first row ended "
                    "the gathering in %.3f s with %d rows listed)\n",
                    big.counted, cancelled.cancelToEnd, cancelled.rows);
        std::fflush(stdout);
    }

    // --- 10,000 files gathered by the window ---------------------------------
    double gatherSeconds = 0;
    double worstStallMs = 0;
    int frames = 0;
    {
        lockleaf::LockleafAppDelegate window;
        auto *spinner =
            window.window()->findChild<lockleaf::BusyIndicator *>(QStringLiteral("loadingIndicator"));
        const int framesBefore = spinner->frameCount();
        QElapsedTimer sinceTick;
        QTimer ticker;
        ticker.setInterval(2);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            worstStallMs = std::max(worstStallMs, sinceTick.nsecsElapsed() / 1e6);
            sinceTick.restart();
        });
        QEventLoop loop;
        QObject::connect(window.gathering(), &lockleaf::Gathering::gatheringFinished, &loop,
                         &QEventLoop::quit);
        lockleaf::Arguments arguments;
        arguments.urls = {QUrl::fromLocalFile(tree)};
        arguments.isFolders = true;
        arguments.isIncludeSubdirectories = true;
        QElapsedTimer total;
        total.start();
        sinceTick.start();
        ticker.start();
        if (window.gathering()->startGathering(arguments))
            loop.exec();
        ticker.stop();
        gatherSeconds = total.nsecsElapsed() / 1e9;
        frames = spinner->frameCount() - framesBefore;
        std::printf("gathered %lld files\n", static_cast<long long>(window.fileList()->files().size()));
    }

    // --- 100,000 rows: 10 rows for each of the 10,000 files -------------------
    lockleaf::LockleafAppDelegate window;
    std::vector<lockleaf::FileItemPtr> items;
    items.reserve(size_t(paths.size()));
    for (const QString &p : std::as_const(paths))
        items.push_back(lockleaf::FileItem::initWithURL(QUrl::fromLocalFile(p)));
    lockleaf::FileTableModel *model = window.fileList()->tableModel();
    for (int copy = 0; copy < 10; ++copy)
        for (const auto &item : items)
            model->appendItem(item);
    QCoreApplication::processEvents();

    std::printf("\n| %-44s | %12s |\n", "GUI case (100,000 rows)", "median (ms)");
    std::printf("|%s|%s|\n", std::string(46, '-').c_str(), std::string(14, '-').c_str());
    for (int column = 1; column < lockleaf::FileTableModel::ColumnCount; ++column) {
        std::vector<double> ms;
        for (int run = 0; run < 3; ++run) {
            QElapsedTimer t;
            t.start();
            window.fileList()->mainTableView()->sortByColumn(column, run % 2 ? Qt::DescendingOrder
                                                                             : Qt::AscendingOrder);
            ms.push_back(t.nsecsElapsed() / 1e6);
        }
        const QString label =
            QStringLiteral("sort by %1").arg(lockleaf::FileTableModel::columnIdentifier(column));
        std::printf("| %-44s | %12.1f |\n", qPrintable(label), median(ms));
    }
    std::vector<double> totals;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer t;
        t.start();
        window.windowState()->updateTotalLabel();
        totals.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("| %-44s | %12.1f |\n", "updateTotalLabel (full recount)", median(totals));

    std::printf("\n| %-44s | %12s |\n", "GUI case (gathering 10,000 files)", "value");
    std::printf("|%s|%s|\n", std::string(46, '-').c_str(), std::string(14, '-').c_str());
    std::printf("| %-44s | %12.2f |\n", "total time (s)", gatherSeconds);
    std::printf("| %-44s | %12.1f |\n", "longest main-thread stall (ms)", worstStallMs);
    std::printf("| %-44s | %12d |\n", "busy indicator frames drawn", frames);
    return 0;
}
