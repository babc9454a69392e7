#pragma once

#include <QByteArray>
#include <QString>

#include <string>
#include <vector>

namespace lockleaf
{

// What a written file must be before it may replace anything.
struct OutputExpectation {
    bool encrypted = false;
    int keyLength = 40; // 40 (R2), 128 (R4, AES-128) or 256 (R6, AES-256)
    bool allowsPrinting = true;
    bool allowsCopying = true;
    bool allowsHighQualityPrinting = true; // when printing is allowed (40-bit: always)
    bool allowsModifying = false;
    bool allowsAnnotating = false;
    bool allowsFillingForms = false; // not expressible at 40 bits: not checked there
    bool allowsAssembling = false;   // likewise
    int pageCount = 0;
    // Each password the file was written with, as bytes for the handler, and
    // whether it must be recognised as the owner password.
    std::vector<std::pair<std::string, bool>> passwords;
};

// Re-opens the file at `path` with each password of `expected` (or with none,
// unencrypted) and checks its encryption parameters, permissions and page
// count; with the first password it also reads every object (each stream's
// /Length against its end marker) and the stored data of the streams
// (decrypted, not decoded) up to the first 8 MiB, so a file written with a
// key other than the one its passwords give, or with a cut stream, fails. ""
// when it holds, else why not.
QString checkWrittenFile(const QByteArray &path, const OutputExpectation &expected);

} // namespace lockleaf
