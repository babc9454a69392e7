#pragma once

#include <QString>

namespace lockleaf
{

// Counts the pages of the PDF at `path`, opened and unlocked with `password`.
// Returns 0 (and leaves *isSecured untouched) when the upper-cased extension is
// not "PDF" or the file cannot be opened as a PDF. Otherwise sets *isSecured to
// whether the document is encrypted (locked or not) and returns its page count
// when it can be read: not encrypted, opened without a password (an empty user
// password; a wrong `password` does not take that away), or unlocked by
// `password`; else 0. *unlocked (optional) tells whether `password` itself
// opened an encrypted document. *isSigned (optional) tells whether the readable
// document is digitally signed (false when it could not be read).
// The document is closed before returning. Never throws.
int getPDFPageCount(const QString &path, const QString &password, bool *isSecured, bool *unlocked = nullptr,
                    bool *isSigned = nullptr);

} // namespace lockleaf
