#include "pdf/PasswordEncoding.h"

#include <qpdf/QUtil.hh>

#include <algorithm>

namespace lockleaf
{

QString saslPrep(const QString &password)
{
    QString mapped;
    mapped.reserve(password.size());
    for (const QChar c : password) {
        const char16_t u = c.unicode();
        const bool mapsToNothing = u == 0x00AD || u == 0x034F || u == 0x1806 ||
                                   (u >= 0x180B && u <= 0x180D) || (u >= 0x200B && u <= 0x200D) ||
                                   u == 0x2060 || (u >= 0xFE00 && u <= 0xFE0F) || u == 0xFEFF;
        if (mapsToNothing)
            continue;
        const bool nonAsciiSpace = u == 0x00A0 || u == 0x1680 || (u >= 0x2000 && u <= 0x200A) ||
                                   u == 0x202F || u == 0x205F || u == 0x3000;
        mapped.append(nonAsciiSpace ? QChar(u' ') : c);
    }
    return mapped.normalized(QString::NormalizationForm_KC);
}

namespace
{

// The AES-256 handler hashes at most this many bytes of a prepared password.
constexpr size_t kMaxPreparedPasswordBytes = 127;
// The RC4 and AES-128 handlers pad a password to this many bytes, and cut it
// there without a word: two passwords that share these would open alike.
constexpr size_t kMaxLegacyPasswordBytes = 32;

// PDFDocEncoding has the composed letters only: a decomposed "e" and accent
// becomes the one byte a reader makes of the same typed password.
bool toPdfDoc(const QString &password, std::string *out)
{
    return QUtil::utf8_to_pdf_doc(password.normalized(QString::NormalizationForm_C).toStdString(), *out);
}

} // namespace

bool encodePassword(const QString &password, int keyLength, std::string *out)
{
    if (password.contains(QChar(0)))
        return false;
    if (keyLength == 256) {
        *out = saslPrep(password).toStdString();
        return out->size() <= kMaxPreparedPasswordBytes;
    }
    return toPdfDoc(password, out) && out->size() <= kMaxLegacyPasswordBytes;
}

QString passwordProblem(const QString &password, int keyLength)
{
    std::string encoded;
    if (encodePassword(password, keyLength, &encoded))
        return QString();
    if (password.contains(QChar(0)))
        return QStringLiteral("The password contains a NUL character, which no PDF reader can take.");
    if (keyLength == 256 || toPdfDoc(password, &encoded))
        return QStringLiteral("The password is longer than %1 bytes, the most a %2-bit key can use.")
            .arg(keyLength == 256 ? kMaxPreparedPasswordBytes : kMaxLegacyPasswordBytes)
            .arg(keyLength);
    return QStringLiteral("The password has characters that a %1-bit key cannot carry; "
                          "use a 256-bit key or only Latin letters, digits and symbols.")
        .arg(keyLength);
}

bool hasNonLatin1PdfDocCharacters(const QString &password, int keyLength)
{
    if (keyLength == 256 || !passwordProblem(password, keyLength).isEmpty())
        return false;
    // PDFDocEncoding agrees with Latin-1 from U+00A1 on; what it adds lies
    // above U+00FF and takes other byte values (the euro sign is 0xA0).
    return std::any_of(password.cbegin(), password.cend(), [](QChar c) { return c.unicode() > 0xFF; });
}

} // namespace lockleaf
