#pragma once

#include <QStringList>

namespace lockleaf
{

// For each of `paths`, the first earlier path of the list that names the same
// file on disk (a symbolic link, a path through a linked folder, a hard link),
// or "" when none does or the file cannot be read. One file reached twice in a
// run would be worked on twice, at once with several jobs, and the outputs
// would race for the same file.
QStringList earlierPathsOfSameFiles(const QStringList &paths);

} // namespace lockleaf
