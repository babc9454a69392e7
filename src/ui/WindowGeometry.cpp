#include "ui/WindowGeometry.h"

#include "model/Settings.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QMainWindow>
#include <QScreen>
#include <QSettings>

namespace lockleaf::WindowGeometry
{

namespace
{

const QString kGeometryKey = QStringLiteral("WINDOWGEOMETRY");
const QString kStateKey = QStringLiteral("WINDOWSTATE");
const QString kHeaderKey = QStringLiteral("TABLEHEADERSTATE");

bool onSomeScreen(const QRect &frame)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    for (const QScreen *screen : screens)
        if (screen->availableGeometry().intersects(frame))
            return true;
    return false;
}

void centreOnPrimary(QMainWindow *window)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QSize size = window->size().boundedTo(available.size()).expandedTo(window->minimumSize());
    window->resize(size);
    window->move(available.center() - QPoint(size.width() / 2, size.height() / 2));
}

} // namespace

void restore(QMainWindow *window, QHeaderView *tableHeader)
{
    std::unique_ptr<QSettings> store = Settings::openStore();
    const QSize defaultSize = window->size();
    if (window->restoreGeometry(store->value(kGeometryKey).toByteArray()) &&
        !onSomeScreen(window->frameGeometry())) {
        window->resize(defaultSize);
        centreOnPrimary(window);
    }
    window->restoreState(store->value(kStateKey).toByteArray());

    if (tableHeader && tableHeader->restoreState(store->value(kHeaderKey).toByteArray())) {
        // The restored indicator is only drawn; set anew, it sorts the list as a click would.
        const int section = tableHeader->sortIndicatorSection();
        const Qt::SortOrder order = tableHeader->sortIndicatorOrder();
        tableHeader->setSortIndicator(-1, order);
        if (section >= 0 && section < tableHeader->count())
            tableHeader->setSortIndicator(section, order);
    }
}

void save(const QMainWindow *window, const QHeaderView *tableHeader)
{
    std::unique_ptr<QSettings> store = Settings::openStore();
    store->setValue(kGeometryKey, window->saveGeometry());
    store->setValue(kStateKey, window->saveState());
    if (tableHeader)
        store->setValue(kHeaderKey, tableHeader->saveState());
    store->sync();
}

} // namespace lockleaf::WindowGeometry
