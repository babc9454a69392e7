#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace lockleaf {

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

namespace lockleaf::plist {

// Reading one value of a loaded property-list dictionary the way the settings
// records do. A missing key (or a null value) gives 0, false, an absent (null)
// string or an empty list. Numbers, booleans and text have an integer and a
// boolean reading (text by its leading number, "12abc" -> 12, "abc" -> 0; and
// "YES"/"true"/non-zero digits -> true). A list, a dictionary or any other kind
// of value has none, nor has a non-string under a string key or a non-string
// element in a list: those throw std::invalid_argument naming the key, for the
// caller to catch and log.
int intValue(const QVariantMap &map, const QString &key);
bool boolValue(const QVariantMap &map, const QString &key);
QString stringValue(const QVariantMap &map, const QString &key);
QStringList stringListValue(const QVariantMap &map, const QString &key);

// Whether `data` is a dictionary (QVariantMap or QVariantHash), and its map form.
bool isDictionary(const QVariant &data);
QVariantMap toDictionary(const QVariant &data);

} // namespace lockleaf::plist
