#pragma once

#include <QString>

namespace lockleaf
{

// The per-file outcomes a run records as a log status.
inline const QString kStatusUnsecured = QStringLiteral("Un-Secured Completed");
inline const QString kStatusSecured = QStringLiteral("Secured Completed");
inline const QString kStatusUnsecureFailed = QStringLiteral("Unable to un-secure pdf document!");
inline const QString kStatusSecureFailed = QStringLiteral("Unable to secure pdf document!");
inline const QString kStatusPermission = QStringLiteral("Permission Password Required.");
inline const QString kStatusSecuredUnreadable = QStringLiteral("Unable to read secured pdf docuemnt!");
inline const QString kStatusUnreadable = QStringLiteral("Unable to read pdf document!");
inline const QString kStatusUnopenable = QStringLiteral("Unable to open pdf document!");
inline const QString kStatusSigned =
    QStringLiteral("Skipped: digitally signed (securing would invalidate its signatures)");
inline const QString kStatusNoBackup = QStringLiteral("Unable to create backup file!");
// The source is gone since it was listed (moved or deleted).
inline const QString kStatusMissing = QStringLiteral("File not found: moved or deleted since it was listed");
// Another entry of the run names the same file (a link, a linked folder).
inline const QString kStatusSameFile = QStringLiteral("Skipped: the same file as an earlier entry");
// The source was truncated, rewritten or replaced while it was read or written.
inline const QString kStatusSourceChanged = QStringLiteral("source changed while it was being read");
// In place, the other names of a hard-linked file would keep the old content.
inline const QString kStatusHardLinks =
    QStringLiteral("Not replaced: the file has other hard links, which would keep its old content");

} // namespace lockleaf
