#pragma once

#include <QString>

#include <string>

namespace lockleaf
{

// SASLprep (RFC 4013) as AES-256 handlers expect it of a typed password:
// non-ASCII spaces become a blank, "mapped to nothing" characters (soft
// hyphen, joiners, variation selectors) go, then NFKC. qpdf leaves this to its
// caller, and a password such as "S\u00aaSL\u00ADprep" only opens in its
// prepared form "SaSLprep". Prohibited characters are left for the handler.
QString saslPrep(const QString &password);

// Passwords as the security handler wants them: PDFDocEncoding bytes of the
// composed (NFC) form up to R4 (40 and 128-bit keys), SASLprepped UTF-8 from
// R5 on (256-bit). False when `password` has no such form or more bytes than
// the handler uses (see passwordProblem); *out is then unspecified.
bool encodePassword(const QString &password, int keyLength, std::string *out);

// Why `password` cannot protect a document with a `keyLength`-bit key, as a
// sentence for the user ("" when it can): a NUL, a character a 40- or 128-bit
// key cannot carry, or more bytes than the handler takes: 32 for a 40- or
// 128-bit key, 127 once prepared for a 256-bit key (the handler cuts it
// there, so passwords differing only after that would open alike).
QString passwordProblem(const QString &password, int keyLength);

// True when `password` can protect a document with a `keyLength`-bit key of
// 40 or 128 bits (no passwordProblem) through characters that PDFDocEncoding
// has and Latin-1 has not (\u20ac, \u2014, \u2022, \u2020): the file is
// correct, but readers built on pdf.js (Firefox) send such a password as
// Latin-1 and cannot open it. False for 256-bit keys, which take UTF-8.
bool hasNonLatin1PdfDocCharacters(const QString &password, int keyLength);

} // namespace lockleaf
