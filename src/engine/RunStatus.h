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

} // namespace lockleaf
