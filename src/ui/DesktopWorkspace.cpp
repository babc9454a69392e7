#include "ui/DesktopWorkspace.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QSet>
#include <QStringList>

#ifdef LOCKLEAF_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#endif

namespace lockleaf
{

namespace
{

#ifdef LOCKLEAF_HAVE_DBUS
bool showItemsOverDBus(const QList<QUrl> &urls)
{
    static const QString service = QStringLiteral("org.freedesktop.FileManager1");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    const bool available = bus.interface()->isServiceRegistered(service).value() ||
                           bus.interface()->activatableServiceNames().value().contains(service);
    if (!available)
        return false;
    QStringList uris;
    for (const QUrl &url : urls)
        uris.append(url.toString(QUrl::FullyEncoded));
    QDBusMessage call = QDBusMessage::createMethodCall(
        service, QStringLiteral("/org/freedesktop/FileManager1"), service, QStringLiteral("ShowItems"));
    call << uris << QString();
    // Fire and forget: the file manager may take its time to start.
    return bus.send(call);
}
#endif

} // namespace

void DesktopWorkspace::openURL(const QUrl &url)
{
    if (url.isValid())
        open(url);
}

void DesktopWorkspace::open(const QUrl &url)
{
    // Without a handler Qt only writes a warning to stderr, which no user reads.
    if (!QDesktopServices::openUrl(url) && m_onFailure)
        m_onFailure(url);
}

QList<QUrl> DesktopWorkspace::enclosingFolders(const QList<QUrl> &urls)
{
    QList<QUrl> folders;
    QSet<QString> seen;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        const QString folder = QFileInfo(url.toLocalFile()).absolutePath();
        if (seen.contains(folder))
            continue;
        seen.insert(folder);
        folders.append(QUrl::fromLocalFile(folder));
    }
    return folders;
}

void DesktopWorkspace::revealURLs(const QList<QUrl> &urls)
{
    if (urls.isEmpty())
        return;
#if defined(Q_OS_MACOS)
    QStringList args{QStringLiteral("-R")};
    for (const QUrl &url : urls)
        if (url.isLocalFile())
            args.append(url.toLocalFile());
    if (QProcess::startDetached(QStringLiteral("/usr/bin/open"), args))
        return;
#elif defined(LOCKLEAF_HAVE_DBUS)
    if (showItemsOverDBus(urls))
        return;
#endif
    for (const QUrl &folder : enclosingFolders(urls))
        open(folder);
}

} // namespace lockleaf
