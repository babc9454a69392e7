#pragma once

#include <QString>

namespace lockleaf
{

class PDFDocument;

// The output path of a run's file: `outputFolder` joined with the last path
// component of `sourcePath`. The output always keeps the source's file name.
QString outputPathFor(const QString &outputFolder, const QString &sourcePath);

// Writes the open (and, if encrypted, unlocked) document without any security
// to `outputPath`, replacing an existing file. True when written; on false the
// target is as it was (see PDFDocument::writeToFile) and doc.lastError() says why.
bool writeUnsecured(PDFDocument &doc, const QString &outputPath);

enum class SecuredWriteResult { Written, Failed, NotAttempted };

// What a secured output is written with. An empty permission password takes
// the open password.
struct SecurityOptions {
    QString openPassword;
    QString permissionPassword;
    bool allowsPrinting = true;
    bool allowsCopying = true;
    // The finer permissions (see kCGPDFContextAllowsModifying and the keys
    // after it); the defaults are what every output had before they existed.
    // At 40 bits only allowsModifying and allowsAnnotating are written.
    bool allowsModifying = false;
    bool allowsAnnotating = false;
    bool allowsFillingForms = false;
    bool allowsAssembling = false;
    bool allowsHighQualityPrinting = true; // false: low resolution only (when printing)
    int keyLength = 40;                    // 40 (RC4), 128 (AES-128) or 256 (AES-256)
};

// Writes the document with `options` to `outputPath`. NotAttempted when both
// passwords are empty. The output keeps the source's document information,
// with the creator set to the application's display title. Failed leaves the
// target as it was and doc.lastError() says why.
SecuredWriteResult writeSecured(PDFDocument &doc, const QString &outputPath, const SecurityOptions &options);

} // namespace lockleaf
