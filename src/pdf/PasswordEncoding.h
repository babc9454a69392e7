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

// Passwords as the security handler wants them: PDFDocEncoding bytes up to R4
// (40 and 128-bit keys), SASLprepped UTF-8 from R5 on (256-bit). False when
// `password` has no such form (a character PDFDocEncoding lacks, or a NUL that
// qpdf's C-string interface would cut); *out is then unspecified.
bool encodePassword(const QString &password, int keyLength, std::string *out);

} // namespace lockleaf
