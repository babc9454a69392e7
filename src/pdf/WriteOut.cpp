#include "pdf/WriteOut.h"

#include "pdf/PDFDocument.h"
#include "platform/Utilities.h"

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

SecuredWriteResult writeSecured(PDFDocument &doc, const QString &outputPath, const SecurityOptions &security)
{
    if (security.openPassword.isEmpty() && security.permissionPassword.isEmpty())
        return SecuredWriteResult::NotAttempted;
    const QString permissionPassword =
        security.permissionPassword.isEmpty() ? security.openPassword : security.permissionPassword;

    QVariantMap options = doc.documentAttributes();
    options.insert(kCGPDFContextUserPassword, security.openPassword);
    options.insert(kCGPDFContextOwnerPassword, permissionPassword);
    options.insert(kCGPDFContextAllowsCopying, security.allowsCopying);
    options.insert(kCGPDFContextAllowsPrinting, security.allowsPrinting);
    options.insert(kCGPDFContextAllowsModifying, security.allowsModifying);
    options.insert(kCGPDFContextAllowsAnnotating, security.allowsAnnotating);
    options.insert(kCGPDFContextAllowsFillingForms, security.allowsFillingForms);
    options.insert(kCGPDFContextAllowsAssembling, security.allowsAssembling);
    options.insert(kCGPDFContextAllowsHighQualityPrinting, security.allowsHighQualityPrinting);
    options.insert(kCGPDFContextEncryptionKeyLength, security.keyLength);
    options.insert(kCGPDFContextCreator, QStringLiteral("%1").arg(getAppTitle()));

    return doc.writeToFile(outputPath, options) ? SecuredWriteResult::Written : SecuredWriteResult::Failed;
}

} // namespace lockleaf
