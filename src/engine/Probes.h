#pragma once

#include <QDateTime>
#include <QString>

namespace lockleaf {

// Counts the pages of the PDF at `path`, opened and unlocked with `password`.
// Returns 0 (and leaves *isSecured untouched) when the upper-cased extension is
// not "PDF" or the file cannot be opened as a PDF. Otherwise sets *isSecured to
// whether the document is encrypted (locked or not) and returns its page count
// when it is not encrypted or `password` unlocks it, else 0.
// The document is closed before returning. Never throws.
int getPDFPageCount(const QString &path, const QString &password, bool *isSecured);

// "1 hr(s) 5 min(s) 3 sec(s) ": whole hours/minutes/seconds between two instants,
// truncated; units that are 0 are left out and each unit ends with a blank.
// "" when either date is invalid (absent), or the interval is under one second
// or negative.
QString timeTakenString(const QDateTime &start, const QDateTime &end);

// macOS: 10.7 or later. Elsewhere always true (an output folder is then required).
bool isLionOrLater();

// The version test of isLionOrLater for a given major.minor version:
// 10.7 and later, or any major version above 10.
bool isLionOrLaterVersion(int major, int minor);

} // namespace lockleaf
