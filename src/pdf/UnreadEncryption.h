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

// Why the key `qpdf` (opened, encrypted) decrypts with cannot be trusted, ""
// when it can: an AES-256 key entry (/O, /U, /OE, /UE, /Perms) shorter than
// its size, which qpdf pads with zeros, or a warning qpdf gave about the
// encryption dictionary (a /Perms that does not match the key the password
// recovered). qpdf reads on with such a key, and a copy written from it would
// be garbage presented as the document. Takes qpdf's warnings so far.
QString encryptionDamage(QPDF &qpdf);

} // namespace lockleaf
