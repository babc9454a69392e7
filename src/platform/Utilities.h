#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace lockleaf
{

// The per-user folder: GenericDataLocation joined with "Corvalen/Lockleaf1"
// (with QStandardPaths test mode on, the test location). "" when the platform
// gives no such location.
QString getAppPath();

// Makes sure getAppPath()/subfolder exists as a folder (created with missing
// parents, mode 0700 where the platform allows). Returns true when it exists
// or was created; on failure returns false and sets *error (when given) to a
// readable reason. An empty subfolder means the app folder itself.
bool createApplicationUsersFolder(const QString &subfolder, QString *error = nullptr);

// The display title ("Lockleaf"), with `suffix` appended directly when given.
QString getAppTitle(const QString &suffix = QString());

// The current local date and time in a strftime-style format
// ("%d%m%Y%H%M%S" -> "05122026140309"). `now` is a seam for tests; an invalid
// value means the current time.
QString getStringFromDateFormat(const QString &format, const QDateTime &now = QDateTime());

} // namespace lockleaf
