#pragma once

#include <QList>
#include <QUrl>

namespace lockleaf
{

// The desktop's file manager and default applications, as the engine and the
// window need them. The desktop app implements it with QDesktopServices (and
// the file manager's D-Bus reveal); lockleaf-cli and tests supply their own.
class Workspace
{
public:
    virtual ~Workspace() = default;
    // Opens a file or folder with the user's default application for it.
    virtual void openURL(const QUrl &url) = 0;
    // Shows the files selected in the file manager (one request for all).
    virtual void revealURLs(const QList<QUrl> &urls) = 0;
};

} // namespace lockleaf
