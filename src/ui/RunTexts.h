#pragma once

#include "model/FileItem.h"

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

// A duration as the engine writes it ("1 hr(s) 5 min(s) 3 sec(s) ") in the
// user's language with its plurals and no trailing blank; "" (under one
// second) is "0 secs"; any other text goes through shownRunText.
QString shownDuration(const QString &text);

// A file's last outcome as the file table and the export show it: its status,
// then ": " and the reason when there is one, both through shownRunText; a
// failure without status is "Not written."; "" before any run.
QString shownOutcome(const RunOutcome &outcome);

} // namespace lockleaf
