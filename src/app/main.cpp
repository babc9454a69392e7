#include "platform/ProcessSecrets.h"
#include "platform/Utilities.h"
#include "ui/FileList.h"
#include "ui/LockleafAppDelegate.h"
#include "ui/Translations.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>
#include <QLocale>
#include <QUrl>

#include <cstdio>

namespace
{

// `Lockleaf --add PATH...` puts files and folders on the list at start, exactly
// as dropping them on the list would (the desktop file's "Open With" and the
// screenshot script use it). Paths that do not exist are reported and skipped,
// since a drop could not carry them either. Gives false on a usage error.
bool takePathsToAdd(const QApplication &app, QList<QUrl> &urls)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Adds or removes password security on PDF documents in batches."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption addOption(
        QStringLiteral("add"),
        QStringLiteral("Add the PDF files and folders given as arguments to the list, as a drop would."));
    parser.addOption(addOption);
    parser.addPositionalArgument(QStringLiteral("paths"),
                                 QStringLiteral("PDF files or folders (with --add)."),
                                 QStringLiteral("[--add PATH...]"));
    parser.process(app); // exits on --help, --version and unknown options

    const QStringList paths = parser.positionalArguments();
    if (!paths.isEmpty() && !parser.isSet(addOption)) {
        std::fputs("Lockleaf: paths are taken with --add, e.g. Lockleaf --add ~/Documents/file.pdf\n",
                   stderr);
        return false;
    }
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (!info.exists()) {
            std::fprintf(stderr, "Lockleaf: %s does not exist; skipped\n", qUtf8Printable(path));
            continue;
        }
        urls.append(QUrl::fromLocalFile(info.absoluteFilePath()));
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    lockleaf::keepSecretsOutOfCoreDumps();
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

    QList<QUrl> pathsToAdd;
    if (!takePathsToAdd(app, pathsToAdd))
        return 1;

    // After the command line, whose help and messages stay English; before the
    // window, which is made in the user's language.
    lockleaf::Translations translations;
    translations.install(QLocale::system());
    lockleaf::LockleafAppDelegate delegate;
    if (!pathsToAdd.isEmpty()) {
        // Queued, so the gathering starts once the event loop runs and the
        // window can serve its main-thread calls.
        QMetaObject::invokeMethod(
            &delegate, [&delegate, pathsToAdd] { delegate.fileList()->acceptDrop(pathsToAdd); },
            Qt::QueuedConnection);
    }
    return app.exec();
}
