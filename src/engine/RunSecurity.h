#pragma once

#include "pdf/WriteOut.h"

namespace lockleaf
{

class FileItem;
class PDFSettings;

// The security a run's secured outputs are written with, read from the
// document settings record at the moment a file is written.
// Key length: `keyLengthOverride` when it is 40, 128 or 256, otherwise
// keyLengthForStrength(encryptionStrength). The permissions are the record's.
// Absent passwords count as ""; an empty permission password takes the open
// password for this run only. The record itself is never changed.
SecurityOptions runSecurityFrom(const PDFSettings &settings, int keyLengthOverride = 0);

// Why a secured run with these settings cannot protect its outputs, as a
// message for the user ("" when it can): a password the key length cannot
// carry, or printing, copying or high-quality printing forbidden without a
// permission password, or with one the handler takes as the open password
// (the open password would then unlock every right). Check before a run.
QString securityProblem(const PDFSettings &settings, int keyLengthOverride = 0);

// The same for one file: its own passwords (FileItem::hasOwnPasswords) take
// the place of the record's, but a file without its own permission password
// takes the record's; the permissions and key length stay the run's.
SecurityOptions runSecurityFor(const PDFSettings &settings, int keyLengthOverride, const FileItem &item);
QString securityProblemFor(const PDFSettings &settings, int keyLengthOverride, const FileItem &item);

// True when a password the run writes for `item` (its own or the record's;
// the record's alone when `item` is null) holds characters that readers built
// on pdf.js cannot type at this key length (hasNonLatin1PdfDocCharacters):
// worth a warning before the run, not a refusal.
bool hasReaderUnsafePassword(const PDFSettings &settings, int keyLengthOverride,
                             const FileItem *item = nullptr);

} // namespace lockleaf
