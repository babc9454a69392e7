#include "platform/Utilities.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QVariantHash>
#include <QVariantList>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <stdexcept>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <sys/types.h>
#endif

namespace lockleaf
{

QString getAppPath()
{
    // writableLocation is the one per-user location; it is empty when the
    // platform has none, and the caller then gets "" as documented.
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        return QString("");
    return QDir::cleanPath(base + QStringLiteral("/Corvalen/Lockleaf1"));
}

bool createApplicationUsersFolder(const QString &subfolder, QString *error)
{
    const QString base = getAppPath();
    if (base.isEmpty()) {
        // Working on the bare subfolder name would create it in whatever the
        // current directory happens to be; refuse instead.
        if (error)
            *error = QStringLiteral("No per-user application data folder is available.");
        return false;
    }
    const QString path = subfolder.isEmpty() ? base : QDir::cleanPath(base + QLatin1Char('/') + subfolder);
    if (QFileInfo(path).isDir())
        return true;

#ifdef Q_OS_UNIX
    // Create each missing level ourselves so it is born 0700: the folder holds
    // processing logs that name the user's files.
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current = path.startsWith(QLatin1Char('/')) ? QString() : QStringLiteral(".");
    for (const QString &part : parts) {
        current += QLatin1Char('/') + part;
        if (QFileInfo(current).isDir())
            continue;
        const QByteArray native = QFile::encodeName(current);
        if (::mkdir(native.constData(), 0700) != 0) {
            const int err = errno;
            if (err == EEXIST && QFileInfo(current).isDir())
                continue; // made by someone else meanwhile
            if (error)
                *error = QStringLiteral("Cannot create folder \"%1\": %2")
                             .arg(current, QString::fromLocal8Bit(std::strerror(err)));
            return false;
        }
    }
    return true;
#else
    if (QDir().mkpath(path))
        return true;
    if (error)
        *error = QStringLiteral("Cannot create folder \"%1\"").arg(path);
    return false;
#endif
}

QString getAppTitle(const QString &suffix)
{
    return QString::fromUtf8(LOCKLEAF_DISPLAY_TITLE) + suffix;
}

namespace
{

QString twoDigits(int v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}
QString padded(int v, int width, QChar fill)
{
    return QStringLiteral("%1").arg(v, width, 10, fill);
}

int hour12(int h)
{
    const int r = h % 12;
    return r == 0 ? 12 : r;
}

// One conversion specifier (without the '%'); false when it is not one we know,
// so the caller writes it through unchanged as strftime does.
bool appendSpecifier(QString &out, QChar spec, const QDateTime &dt, const QLocale &locale)
{
    const QDate d = dt.date();
    const QTime t = dt.time();
    switch (spec.unicode()) {
    case 'a':
        out += locale.dayName(d.dayOfWeek(), QLocale::ShortFormat);
        break;
    case 'A':
        out += locale.dayName(d.dayOfWeek(), QLocale::LongFormat);
        break;
    case 'b':
    case 'h':
        out += locale.monthName(d.month(), QLocale::ShortFormat);
        break;
    case 'B':
        out += locale.monthName(d.month(), QLocale::LongFormat);
        break;
    case 'C':
        out += twoDigits(d.year() / 100);
        break;
    case 'd':
        out += twoDigits(d.day());
        break;
    case 'D':
        out += twoDigits(d.month()) + '/' + twoDigits(d.day()) + '/' + twoDigits(d.year() % 100);
        break;
    case 'e':
        out += padded(d.day(), 2, QLatin1Char(' '));
        break;
    case 'F':
        out += QString::number(d.year()) + '-' + twoDigits(d.month()) + '-' + twoDigits(d.day());
        break;
    case 'H':
        out += twoDigits(t.hour());
        break;
    case 'I':
        out += twoDigits(hour12(t.hour()));
        break;
    case 'j':
        out += padded(d.dayOfYear(), 3, QLatin1Char('0'));
        break;
    case 'k':
        out += padded(t.hour(), 2, QLatin1Char(' '));
        break;
    case 'l':
        out += padded(hour12(t.hour()), 2, QLatin1Char(' '));
        break;
    case 'm':
        out += twoDigits(d.month());
        break;
    case 'M':
        out += twoDigits(t.minute());
        break;
    case 'n':
        out += QLatin1Char('\n');
        break;
    case 'p':
        out += t.hour() < 12 ? locale.amText() : locale.pmText();
        break;
    case 'r':
        out += twoDigits(hour12(t.hour())) + ':' + twoDigits(t.minute()) + ':' + twoDigits(t.second()) + ' ' +
               (t.hour() < 12 ? locale.amText() : locale.pmText());
        break;
    case 'R':
        out += twoDigits(t.hour()) + ':' + twoDigits(t.minute());
        break;
    case 'S':
        out += twoDigits(t.second());
        break;
    case 't':
        out += QLatin1Char('\t');
        break;
    case 'T':
        out += twoDigits(t.hour()) + ':' + twoDigits(t.minute()) + ':' + twoDigits(t.second());
        break;
    case 'u':
        out += QString::number(d.dayOfWeek());
        break;
    case 'w':
        out += QString::number(d.dayOfWeek() % 7);
        break;
    case 'y':
        out += twoDigits(d.year() % 100);
        break;
    case 'Y':
        out += QString::number(d.year());
        break;
    case 'z': {
        const int offset = dt.offsetFromUtc() / 60;
        const int a = std::abs(offset);
        out += QLatin1Char(offset < 0 ? '-' : '+') + twoDigits(a / 60) + twoDigits(a % 60);
        break;
    }
    case 'Z':
        out += dt.timeZoneAbbreviation();
        break;
    case '%':
        out += QLatin1Char('%');
        break;
    default:
        return false;
    }
    return true;
}

} // namespace

QString getStringFromDateFormat(const QString &format, const QDateTime &now)
{
    const QDateTime dt = now.isValid() ? now.toLocalTime() : QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    QString out;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c != QLatin1Char('%') || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        const QChar spec = format.at(++i);
        if (!appendSpecifier(out, spec, dt, locale)) {
            out += QLatin1Char('%');
            out += spec;
        }
    }
    return out;
}

} // namespace lockleaf
