#pragma once

class QHeaderView;
class QMainWindow;

namespace lockleaf
{

// The window as the user left it: its size and position, its toolbar state,
// and the file table's column widths and sort, each under a key of its own
// beside "SETTINGS" in the per-user store ("WINDOWGEOMETRY", "WINDOWSTATE",
// "TABLEHEADERSTATE"). Main thread only.
namespace WindowGeometry
{

// Before the window is shown. A position on no screen present now (a display
// unplugged since) gives the default size centred on the primary screen.
void restore(QMainWindow *window, QHeaderView *tableHeader);
// When the application quits.
void save(const QMainWindow *window, const QHeaderView *tableHeader);

} // namespace WindowGeometry
} // namespace lockleaf
