#include "model/Utilities.h"
#include "ui/LockleafAppDelegate.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Corvalen"));
    QCoreApplication::setApplicationName(QStringLiteral("Lockleaf"));
    QCoreApplication::setApplicationVersion(QStringLiteral(LOCKLEAF_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("lockleaf"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/lockleaf.png")));
#ifdef Q_OS_MACOS
    // On macOS the application outlives its window; the Dock icon brings it back.
    // Elsewhere nothing could bring a closed window back, so closing it quits.
    QApplication::setQuitOnLastWindowClosed(false);
#endif

    lockleaf::LockleafAppDelegate delegate;
    return app.exec();
}
