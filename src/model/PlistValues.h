#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

namespace lockleaf::plist
{

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
