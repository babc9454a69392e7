#pragma once

#include <QIcon>

namespace lockleaf
{

// The mark of a file with passwords of its own: a key, drawn rather than taken
// from an icon theme, which a desktop may not have. Made once; main thread.
QIcon keyMarkIcon();

} // namespace lockleaf
