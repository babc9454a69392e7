#include "engine/WriteOut.h"

#include "engine/PDFDocument.h"
#include "model/PDFSettings.h"
#include "model/Utilities.h"

#include <QDir>
#include <QFileInfo>

namespace lockleaf
{

QString outputPathFor(const QString &outputFolder, const QString &sourcePath)
{
    return QDir(outputFolder).filePath(QFileInfo(sourcePath).fileName());
}

bool writeUnsecured(PDFDocument &doc, const QString &outputPath)
{
    return doc.writeToFile(outputPath);
}

SecuredWriteResult writeSecured(PDFDocument &doc, const QString &outputPath, PDFSettings *settings,
                                int keyLengthOverride)
{
    if (!settings)
        return SecuredWriteResult::NotAttempted;

    QVariantMap options = doc.documentAttributes();
    const int keyLength = (keyLengthOverride == 40 || keyLengthOverride == 128 || keyLengthOverride == 256)
                              ? keyLengthOverride
                              : (settings->encryptionStrength() != 0 ? 128 : 40);

    // The shared record is normalised in place on purpose: it is saved later
    // with the settings, holding the passwords the outputs were written with.
    if (settings->pdfOpenPassword().isNull())
        settings->setPdfOpenPassword(QString(""));
    if (settings->pdfPermissionPassword().isNull())
        settings->setPdfPermissionPassword(QString(""));
    const QString openPassword = settings->pdfOpenPassword();
    QString permissionPassword = settings->pdfPermissionPassword();
    if (openPassword.isEmpty() && permissionPassword.isEmpty())
        return SecuredWriteResult::NotAttempted;
    if (permissionPassword.isEmpty()) {
        settings->setPdfPermissionPassword(openPassword);
        permissionPassword = openPassword;
    }

    options.insert(kCGPDFContextUserPassword, openPassword);
    options.insert(kCGPDFContextOwnerPassword, permissionPassword);
    options.insert(kCGPDFContextAllowsCopying, settings->canCopy());
    options.insert(kCGPDFContextAllowsPrinting, settings->canPrint());
    options.insert(kCGPDFContextEncryptionKeyLength, keyLength);
    options.insert(kCGPDFContextCreator, QStringLiteral("%1").arg(getAppTitle()));

    return doc.writeToFile(outputPath, options) ? SecuredWriteResult::Written : SecuredWriteResult::Failed;
}

} // namespace lockleaf
