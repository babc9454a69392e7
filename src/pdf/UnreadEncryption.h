#pragma once

#include <QString>

class QPDF;

namespace lockleaf
{

// True when `qpdf`, opened from `path` and reading it as unencrypted, passed
// over an /Encrypt dictionary that a trailer or cross-reference stream of the
// file names. qpdf rebuilds a damaged file from one of its trailers, and the
// one it picks may lack the /Encrypt entry of a later revision; the content it
// then reads is ciphertext, and a copy written from it would be garbage
// presented as the document.
//
// Only files qpdf repaired or that have earlier revisions (/Prev) are looked
// at byte by byte; for the rest, qpdf's trailer is the whole story.
bool namesUnreadEncryption(QPDF &qpdf, const QString &path);

} // namespace lockleaf
