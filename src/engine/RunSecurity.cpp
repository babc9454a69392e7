#include "engine/RunSecurity.h"

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

} // namespace

SecurityOptions runSecurityFrom(const PDFSettings &settings, int keyLengthOverride)
{
    SecurityOptions security;
    security.keyLength = keyLengthOf(settings, keyLengthOverride);
    security.openPassword = orEmpty(settings.pdfOpenPassword());
    security.permissionPassword = orEmpty(settings.pdfPermissionPassword());
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

QString securityProblem(const PDFSettings &settings, int keyLengthOverride)
{
    const int keyLength = keyLengthOf(settings, keyLengthOverride);
    const QString open = orEmpty(settings.pdfOpenPassword());
    const QString permission = orEmpty(settings.pdfPermissionPassword());
    if (const QString problem = passwordProblem(open, keyLength); !open.isEmpty() && !problem.isEmpty())
        return QStringLiteral("Open password: %1").arg(problem);
    if (const QString problem = passwordProblem(permission, keyLength);
        !permission.isEmpty() && !problem.isEmpty())
        return QStringLiteral("Permission password: %1").arg(problem);
    if (!open.isEmpty() && permission.isEmpty() && (!settings.canPrint() || !settings.canCopy()))
        return QStringLiteral("Printing or copying can only be forbidden with a permission password: "
                              "the open password alone would unlock every right. "
                              "Please enter a permission password.");
    return QString("");
}

} // namespace lockleaf
