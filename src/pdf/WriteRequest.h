#pragma once

#include "pdf/OutputCheck.h"

#include <QString>
#include <QVariantMap>

#include <string>

class QPDFWriter;

namespace lockleaf
{

// What one write of a document was asked for, read from its options
// (the kCGPDFContext* keys of PDFDocument.h), passwords already in the bytes
// the security handler takes.
struct WriteRequest {
    bool encrypt = false;
    int keyLength = 40;
    std::string userBytes;
    std::string ownerBytes;
    bool allowPrint = true;
    bool allowCopy = true;
    bool allowModify = false;
    bool allowAnnotate = false;
    bool allowForms = false;
    bool allowAssemble = false;
    bool highQualityPrint = true;
};

// Why a write cannot be done as asked, before anything touches the disk.
enum class WriteRefusal { None, InvalidOptions, PasswordEncoding };

// Reads `options` (null: a plain write without encryption) into *request. An
// owner password is what turns encryption on; a lone user password doubles
// as the owner password. Refuses an unknown key length or a password with no
// form for it, with a reason in *reason.
WriteRefusal readWriteRequest(const QVariantMap *options, WriteRequest *request, QString *reason);

// Sets the writer's encryption as requested (nothing when not encrypting).
void applyEncryption(QPDFWriter &writer, const WriteRequest &request);

// What the written file must be for the request, given the source's pages.
OutputExpectation expectationFor(const WriteRequest &request, int pageCount);

} // namespace lockleaf
