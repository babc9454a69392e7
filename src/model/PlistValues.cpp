#include "model/PlistValues.h"

#include <QVariantHash>
#include <QVariantList>

#include <climits>
#include <cmath>
#include <stdexcept>

namespace lockleaf
{

namespace plist
{

namespace
{

[[noreturn]] void raise(const QString &key, const QVariant &value, const char *wanted)
{
    const char *kind = value.typeName() ? value.typeName() : "unknown";
    throw std::invalid_argument(QStringLiteral("value of \"%1\" (%2) has no %3")
                                    .arg(key, QString::fromLatin1(kind), QLatin1String(wanted))
                                    .toStdString());
}

bool isNumberType(int id)
{
    switch (id) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

int clampToInt(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (v <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(v); // truncation, as an integer reading of 3.7 gives 3
}

// Leading integer of a text: blanks, an optional sign, digits; anything else ends it.
int leadingInt(const QString &s)
{
    qsizetype i = 0;
    while (i < s.size() && s.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < s.size() && (s.at(i) == QLatin1Char('+') || s.at(i) == QLatin1Char('-'))) {
        negative = s.at(i) == QLatin1Char('-');
        ++i;
    }
    qint64 v = 0;
    while (i < s.size() && s.at(i) >= QLatin1Char('0') && s.at(i) <= QLatin1Char('9')) {
        v = v * 10 + (s.at(i).unicode() - '0');
        if (v > qint64(INT_MAX) + 1)
            v = qint64(INT_MAX) + 1; // saturate; the sign decides below
        ++i;
    }
    if (negative)
        return v >= qint64(INT_MAX) + 1 ? INT_MIN : static_cast<int>(-v);
    return v > INT_MAX ? INT_MAX : static_cast<int>(v);
}

// True for "Y", "y", "T", "t" or a non-zero digit after blanks, a sign and zeros.
bool leadingBool(const QString &s)
{
    qsizetype i = 0;
    while (i < s.size() && s.at(i).isSpace())
        ++i;
    if (i < s.size() && (s.at(i) == QLatin1Char('+') || s.at(i) == QLatin1Char('-')))
        ++i;
    while (i < s.size() && s.at(i) == QLatin1Char('0'))
        ++i;
    if (i >= s.size())
        return false;
    const QChar c = s.at(i);
    return c == QLatin1Char('Y') || c == QLatin1Char('y') || c == QLatin1Char('T') || c == QLatin1Char('t') ||
           (c >= QLatin1Char('1') && c <= QLatin1Char('9'));
}

// A missing key, or an explicit null; a null QString is still a (empty) string.
bool isAbsent(const QVariant &v)
{
    return !v.isValid() || v.metaType().id() == QMetaType::Nullptr;
}

} // namespace

int intValue(const QVariantMap &map, const QString &key)
{
    const QVariant v = map.value(key);
    if (isAbsent(v))
        return 0;
    const int id = v.metaType().id();
    if (id == QMetaType::Bool)
        return v.toBool() ? 1 : 0;
    if (id == QMetaType::Double || id == QMetaType::Float)
        return clampToInt(v.toDouble());
    if (id == QMetaType::LongLong || id == QMetaType::ULongLong || id == QMetaType::Long ||
        id == QMetaType::ULong || id == QMetaType::UInt)
        return clampToInt(v.toDouble());
    if (isNumberType(id))
        return v.toInt();
    if (id == QMetaType::QString)
        return leadingInt(v.toString());
    raise(key, v, "integer value");
}

bool boolValue(const QVariantMap &map, const QString &key)
{
    const QVariant v = map.value(key);
    if (isAbsent(v))
        return false;
    const int id = v.metaType().id();
    if (id == QMetaType::Double || id == QMetaType::Float)
        return v.toDouble() != 0.0;
    if (isNumberType(id))
        return v.toULongLong() != 0;
    if (id == QMetaType::QString)
        return leadingBool(v.toString());
    raise(key, v, "boolean value");
}

QString stringValue(const QVariantMap &map, const QString &key)
{
    const QVariant v = map.value(key);
    if (isAbsent(v))
        return QString();
    if (v.metaType().id() == QMetaType::QString)
        return v.toString();
    raise(key, v, "string value");
}

QStringList stringListValue(const QVariantMap &map, const QString &key)
{
    const QVariant v = map.value(key);
    if (isAbsent(v))
        return {};
    const int id = v.metaType().id();
    if (id == QMetaType::QStringList)
        return v.toStringList();
    if (id == QMetaType::QVariantList) {
        QStringList out;
        for (const QVariant &e : v.toList()) {
            if (e.metaType().id() != QMetaType::QString)
                raise(key, e, "list of strings (an element is not a string)");
            out.append(e.toString());
        }
        return out;
    }
    raise(key, v, "list of strings");
}

bool isDictionary(const QVariant &data)
{
    const int id = data.metaType().id();
    return id == QMetaType::QVariantMap || id == QMetaType::QVariantHash;
}

QVariantMap toDictionary(const QVariant &data)
{
    if (data.metaType().id() == QMetaType::QVariantHash) {
        QVariantMap map;
        const QVariantHash hash = data.toHash();
        for (auto it = hash.cbegin(); it != hash.cend(); ++it)
            map.insert(it.key(), it.value());
        return map;
    }
    return data.toMap();
}

} // namespace plist

} // namespace lockleaf
