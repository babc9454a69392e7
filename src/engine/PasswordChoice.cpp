#include "engine/PasswordChoice.h"

#include "pdf/PDFDocument.h"

namespace lockleaf
{

QString passwordGrantingCopy(const QString &path, const QStringList &passwords)
{
    try {
        const std::unique_ptr<PDFDocument> doc = PDFDocument::initWithURL(path);
        if (!doc || !doc->isEncrypted())
            return QString("");
        QString firstOpening;
        for (const QString &password : passwords) {
            if (!doc->unlockWithPassword(password))
                continue;
            if (doc->allowsCopying())
                return password;
            if (firstOpening.isNull())
                firstOpening = password;
        }
        return firstOpening.isNull() ? QString("") : firstOpening;
    } catch (const std::exception &) {
        return QString(""); // memory exhaustion only: PDFDocument reports the rest as results
    }
}

} // namespace lockleaf
