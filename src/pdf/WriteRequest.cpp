#include "pdf/WriteRequest.h"

#include "pdf/PDFDocument.h"
#include "pdf/PasswordEncoding.h"

#include <qpdf/QPDFWriter.hh>

namespace lockleaf
{

WriteRefusal readWriteRequest(const QVariantMap *options, WriteRequest *request, QString *reason)
{
    *request = WriteRequest();
    if (!options)
        return WriteRefusal::None;
    const QString user = options->value(kCGPDFContextUserPassword).toString();
    QString owner = options->value(kCGPDFContextOwnerPassword).toString();
    // A lone user password doubles as the owner password rather than being silently dropped.
    if (owner.isEmpty())
        owner = user;
    request->encrypt = !owner.isEmpty();
    if (!request->encrypt)
        return WriteRefusal::None;

    bool ok = true;
    const int keyLength = options->contains(kCGPDFContextEncryptionKeyLength)
                              ? options->value(kCGPDFContextEncryptionKeyLength).toInt(&ok)
                              : 40;
    if (!ok || (keyLength != 40 && keyLength != 128 && keyLength != 256)) {
        *reason = QStringLiteral("unsupported key length: %1")
                      .arg(options->value(kCGPDFContextEncryptionKeyLength).toString());
        return WriteRefusal::InvalidOptions;
    }
    request->keyLength = keyLength;
    if (!encodePassword(user, keyLength, &request->userBytes) ||
        !encodePassword(owner, keyLength, &request->ownerBytes)) {
        *reason = QStringLiteral("the password cannot be encoded for a %1-bit key").arg(keyLength);
        return WriteRefusal::PasswordEncoding;
    }
    request->allowPrint = options->value(kCGPDFContextAllowsPrinting, true).toBool();
    request->allowCopy = options->value(kCGPDFContextAllowsCopying, true).toBool();
    request->allowModify = options->value(kCGPDFContextAllowsModifying, false).toBool();
    request->allowAnnotate = options->value(kCGPDFContextAllowsAnnotating, false).toBool();
    request->allowForms = options->value(kCGPDFContextAllowsFillingForms, false).toBool();
    request->allowAssemble = options->value(kCGPDFContextAllowsAssembling, false).toBool();
    request->highQualityPrint = options->value(kCGPDFContextAllowsHighQualityPrinting, true).toBool();
    return WriteRefusal::None;
}

void applyEncryption(QPDFWriter &writer, const WriteRequest &r)
{
    if (!r.encrypt)
        return;
    const qpdf_r3_print_e print =
        !r.allowPrint ? qpdf_r3p_none : (r.highQualityPrint ? qpdf_r3p_full : qpdf_r3p_low);
    const char *user = r.userBytes.c_str();
    const char *owner = r.ownerBytes.c_str();
    // R2 has only print/modify/copy/annotate bits (see the option keys).
    if (r.keyLength == 40)
        writer.setR2EncryptionParametersInsecure(user, owner, r.allowPrint, r.allowModify, r.allowCopy,
                                                 r.allowAnnotate);
    else if (r.keyLength == 128)
        writer.setR4EncryptionParametersInsecure(user, owner, true, r.allowCopy, r.allowAssemble,
                                                 r.allowAnnotate, r.allowForms, r.allowModify, print, true,
                                                 true);
    else
        writer.setR6EncryptionParameters(user, owner, true, r.allowCopy, r.allowAssemble, r.allowAnnotate,
                                         r.allowForms, r.allowModify, print, true);
}

OutputExpectation expectationFor(const WriteRequest &r, int pageCount)
{
    OutputExpectation expected;
    expected.encrypted = r.encrypt;
    expected.keyLength = r.keyLength;
    expected.allowsPrinting = r.allowPrint;
    expected.allowsCopying = r.allowCopy;
    expected.allowsHighQualityPrinting = r.highQualityPrint;
    expected.allowsModifying = r.allowModify;
    expected.allowsAnnotating = r.allowAnnotate;
    expected.allowsFillingForms = r.allowForms;
    expected.allowsAssembling = r.allowAssemble;
    expected.pageCount = pageCount;
    expected.passwords.push_back({r.userBytes, r.userBytes == r.ownerBytes});
    if (r.ownerBytes != r.userBytes)
        expected.passwords.push_back({r.ownerBytes, true});
    return expected;
}

} // namespace lockleaf
