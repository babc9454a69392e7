#pragma once

#include <QString>

namespace lockleaf
{

class PDFDocument;
class PDFSettings;

// The output path of a run's file: `outputFolder` joined with the last path
// component of `sourcePath`. The output always keeps the source's file name.
QString outputPathFor(const QString &outputFolder, const QString &sourcePath);

// Writes the open (and, if encrypted, unlocked) document without any security
// to `outputPath`, replacing an existing file. True when written; on false the
// target is as it was (see PDFDocument::writeToFile) and doc.lastError() says why.
bool writeUnsecured(PDFDocument &doc, const QString &outputPath);

enum class SecuredWriteResult { Written, Failed, NotAttempted };

// Writes the document with the security of `settings` to `outputPath`.
// NotAttempted when `settings` is null or both passwords are empty.
// Side effect on the shared record (kept, saved later with the settings):
// absent passwords become "", and an empty permission password takes the open
// password. Key length: `keyLengthOverride` when it is 40, 128 or 256,
// otherwise 40 when encryptionStrength is 0 and 128 for any other value.
// The output keeps the source's document information, with the creator set to
// the application's display title. Failed leaves the target as it was.
SecuredWriteResult writeSecured(PDFDocument &doc, const QString &outputPath, PDFSettings *settings,
                                int keyLengthOverride = 0);

} // namespace lockleaf
