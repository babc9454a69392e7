#include "pdf/PageCount.h"

#include "pdf/PDFDocument.h"

#include <QFileInfo>

namespace lockleaf
{

int getPDFPageCount(const QString &path, const QString &password, bool *isSecured, bool *unlocked,
                    bool *isSigned)
{
    if (unlocked)
        *unlocked = false;
    if (isSigned)
        *isSigned = false;
    try {
        if (QFileInfo(path).suffix().toUpper() != QLatin1String("PDF"))
            return 0;
        // Opened with the password first: a secured file it opens is read once.
        std::unique_ptr<PDFDocument> doc = PDFDocument::initWithURL(path, password);
        if (!doc)
            return 0;
        if (doc->isEncrypted()) {
            if (isSecured)
                *isSecured = true;
            const bool opened = doc->unlockWithPassword(password);
            if (unlocked)
                *unlocked = opened;
            // A failed try keeps the access the file gave without a password.
            if (isSigned)
                *isSigned = doc->isDigitallySigned();
            return doc->pageCount();
        }
        if (isSecured)
            *isSecured = false;
        if (isSigned)
            *isSigned = doc->isDigitallySigned();
        return doc->pageCount();
    } catch (const std::exception &) {
        // PDFDocument reports failures as results; only memory exhaustion gets here.
        return 0;
    }
}

} // namespace lockleaf
