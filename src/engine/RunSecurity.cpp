#include "engine/RunSecurity.h"

#include "model/PDFSettings.h"

namespace lockleaf
{

SecurityOptions runSecurityFrom(PDFSettings &settings, int keyLengthOverride)
{
    SecurityOptions security;
    security.keyLength = (keyLengthOverride == 40 || keyLengthOverride == 128 || keyLengthOverride == 256)
                             ? keyLengthOverride
                             : keyLengthForStrength(settings.encryptionStrength());

    // The shared record is normalised in place on purpose: it is saved later
    // with the settings, holding the passwords the outputs were written with.
    if (settings.pdfOpenPassword().isNull())
        settings.setPdfOpenPassword(QString(""));
    if (settings.pdfPermissionPassword().isNull())
        settings.setPdfPermissionPassword(QString(""));
    security.openPassword = settings.pdfOpenPassword();
    security.permissionPassword = settings.pdfPermissionPassword();
    if (security.permissionPassword.isEmpty() && !security.openPassword.isEmpty()) {
        settings.setPdfPermissionPassword(security.openPassword);
        security.permissionPassword = security.openPassword;
    }
    security.allowsCopying = settings.canCopy();
    security.allowsPrinting = settings.canPrint();
    security.allowsModifying = settings.canModify();
    security.allowsAnnotating = settings.canAnnotate();
    security.allowsFillingForms = settings.canFillForms();
    security.allowsAssembling = settings.canAssemble();
    security.allowsHighQualityPrinting = settings.canPrintHighQuality();
    return security;
}

} // namespace lockleaf
