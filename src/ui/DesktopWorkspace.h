#pragma once

#include "engine/Workspace.h"

#include <functional>

namespace lockleaf
{

// The desktop's own file manager and default applications.
// openURL goes through QDesktopServices. revealURLs uses `open -R` on macOS and
// the freedesktop FileManager1 ShowItems D-Bus call on Linux when a session bus
// offers it; without one, each distinct folder of the files is opened instead.
// Nothing here waits for the file manager. When the desktop has no application
// for a location, the failure handler is told (the window shows an alert).
// Main thread only.
class DesktopWorkspace final : public Workspace
{
public:
    using FailureHandler = std::function<void(const QUrl &url)>;

    explicit DesktopWorkspace(FailureHandler onFailure = {}) : m_onFailure(std::move(onFailure)) {}
    void openURL(const QUrl &url) override;
    void revealURLs(const QList<QUrl> &urls) override;

    // The folders to open when the file manager cannot select the files:
    // each file's folder once, in first-seen order.
    static QList<QUrl> enclosingFolders(const QList<QUrl> &urls);

private:
    void open(const QUrl &url);

    FailureHandler m_onFailure;
};

} // namespace lockleaf
