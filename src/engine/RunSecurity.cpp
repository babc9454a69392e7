#include "engine/RunSecurity.h"

#include "model/FileItem.h"
#include "model/PDFSettings.h"
#include "pdf/PasswordEncoding.h"

namespace lockleaf
{

namespace
{

int keyLengthOf(const PDFSettings &settings, int keyLengthOverride)
{
    if (keyLengthOverride == 40 || keyLengthOverride == 128 || keyLengthOverride == 256)
        return keyLengthOverride;
    return keyLengthForStrength(settings.encryptionStrength());
}

QString orEmpty(const QString &text)
{
    return text.isNull() ? QString("") : text;
}

SecurityOptions securityWith(const PDFSettings &settings, int keyLengthOverride, const QString &openPassword,
                             const QString &permissionPassword)
{
    SecurityOptions security;
    security.keyLength = keyLengthOf(settings, keyLengthOverride);
    security.openPassword = orEmpty(openPassword);
    security.permissionPassword = orEmpty(permissionPassword);
    // Derived per run: the user's record keeps its empty permission password,
    // so a later open password is not paired with this one.
    if (security.permissionPassword.isEmpty())
        security.permissionPassword = security.openPassword;
    security.allowsCopying = settings.canCopy();
    security.allowsPrinting = settings.canPrint();
    security.allowsModifying = settings.canModify();
    security.allowsAnnotating = settings.canAnnotate();
    security.allowsFillingForms = settings.canFillForms();
    security.allowsAssembling = settings.canAssemble();
    security.allowsHighQualityPrinting = settings.canPrintHighQuality();
    return security;
}

QString problemWith(const PDFSettings &settings, int keyLengthOverride, const QString &openPassword,
                    const QString &permissionPassword)
{
    const int keyLength = keyLengthOf(settings, keyLengthOverride);
    const QString open = orEmpty(openPassword);
    const QString permission = orEmpty(permissionPassword);
    if (const QString problem = passwordProblem(open, keyLength); !open.isEmpty() && !problem.isEmpty())
        return QStringLiteral("Open password: %1").arg(problem);
    if (const QString problem = passwordProblem(permission, keyLength);
        !permission.isEmpty() && !problem.isEmpty())
        return QStringLiteral("Permission password: %1").arg(problem);
    // What the user forbade: modifying and the like are forbidden by default,
    // and an open password alone has always been written with them; a 40-bit
    // key prints in full or not at all.
    const bool restricted =
        !settings.canPrint() || !settings.canCopy() || (keyLength != 40 && !settings.canPrintHighQuality());
    if (!open.isEmpty() && permission.isEmpty() && restricted)
        return QStringLiteral("Printing or copying can only be forbidden with a permission password: "
                              "the open password alone would unlock every right. "
                              "Please enter a permission password.");
    // Passwords the handler takes alike ("\uFF21bc" and "Abc" at 256 bits)
    // make the open password the owner's.
    std::string openBytes;
    std::string permissionBytes;
    if (!open.isEmpty() && restricted && encodePassword(open, keyLength, &openBytes) &&
        encodePassword(permission, keyLength, &permissionBytes) && openBytes == permissionBytes)
        return QStringLiteral("The open and permission passwords are the same password for the key: "
                              "the open password would unlock every right. "
                              "Please enter a different permission password.");
    return QString("");
}

// A file of a password map with an open password only takes the typed
// permission password, so the run's restrictions bind it as they bind the
// other files; without a typed one its open password stands in as before.
QString ownPermissionPassword(const PDFSettings &settings, const FileItem &item)
{
    const QString own = item.ownPermissionPassword();
    return own.isEmpty() ? settings.pdfPermissionPassword() : own;
}

} // namespace

SecurityOptions runSecurityFrom(const PDFSettings &settings, int keyLengthOverride)
{
    return securityWith(settings, keyLengthOverride, settings.pdfOpenPassword(),
                        settings.pdfPermissionPassword());
}

QString securityProblem(const PDFSettings &settings, int keyLengthOverride)
{
    return problemWith(settings, keyLengthOverride, settings.pdfOpenPassword(),
                       settings.pdfPermissionPassword());
}

SecurityOptions runSecurityFor(const PDFSettings &settings, int keyLengthOverride, const FileItem &item)
{
    if (!item.hasOwnPasswords())
        return runSecurityFrom(settings, keyLengthOverride);
    return securityWith(settings, keyLengthOverride, item.ownOpenPassword(),
                        ownPermissionPassword(settings, item));
}

QString securityProblemFor(const PDFSettings &settings, int keyLengthOverride, const FileItem &item)
{
    if (!item.hasOwnPasswords())
        return securityProblem(settings, keyLengthOverride);
    return problemWith(settings, keyLengthOverride, item.ownOpenPassword(),
                       ownPermissionPassword(settings, item));
}

bool hasReaderUnsafePassword(const PDFSettings &settings, int keyLengthOverride, const FileItem *item)
{
    const SecurityOptions security = item ? runSecurityFor(settings, keyLengthOverride, *item)
                                          : runSecurityFrom(settings, keyLengthOverride);
    return hasNonLatin1PdfDocCharacters(security.openPassword, security.keyLength) ||
           hasNonLatin1PdfDocCharacters(security.permissionPassword, security.keyLength);
}

} // namespace lockleaf
