#include "ui/InformationScript.h"

#include <QFileInfo>
#include <QStringList>

namespace lockleaf
{

QString appleScriptEscaped(const QString &text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"'))
            escaped.append(QLatin1Char('\\'));
        escaped.append(c);
    }
    return escaped;
}

QString informationScript(const QString &path)
{
    const QFileInfo info(path);
    QString script = QStringLiteral("tell application \"Finder\"\nactivate \nopen information window of "
                                    "document file \"%1\"")
                         .arg(appleScriptEscaped(info.fileName()));
    const QStringList folders = info.path().split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (auto it = folders.crbegin(); it != folders.crend(); ++it)
        script += QStringLiteral(" of folder \"%1\"").arg(appleScriptEscaped(*it));
    script += QStringLiteral(" of startup disk\nend tell");
    return script;
}

} // namespace lockleaf
