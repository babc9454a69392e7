#pragma once

#include <QString>

namespace lockleaf
{

// The texts the engine and the layers under it write in English (a file's
// status, a run's summary, the time-taken line, why an entry was skipped, why
// the passwords cannot protect a file) in the user's language, for the window
// only: the log and lockleaf-cli keep the English. A text carrying numbers, a
// file name or a reason keeps them, translated where they are themselves such
// a text; a text no translation knows (a library's error message) is shown as
// it came.
QString shownRunText(const QString &text);

} // namespace lockleaf
