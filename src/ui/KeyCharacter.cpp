#include "ui/KeyCharacter.h"

namespace lockleaf
{

std::optional<QString> markKeyCharacter(const QString &title, const QString &keyChar, int occurrence)
{
    if (title.isEmpty() || keyChar.isEmpty() || keyChar.contains(QLatin1Char('&')))
        return std::nullopt;
    // The title as shown: "&&" is a literal ampersand, a lone "&" an old mnemonic.
    QString plain;
    for (qsizetype i = 0; i < title.size(); ++i) {
        if (title.at(i) != QLatin1Char('&'))
            plain.append(title.at(i));
        else if (i + 1 < title.size() && title.at(i + 1) == QLatin1Char('&'))
            plain.append(title.at(++i));
    }
    const qsizetype at = occurrence == 1 ? plain.indexOf(keyChar, 0, Qt::CaseInsensitive)
                                         : plain.lastIndexOf(keyChar, -1, Qt::CaseSensitive);
    if (at < 0)
        return std::nullopt;
    QString marked;
    for (qsizetype i = 0; i < plain.size(); ++i) {
        if (i == at)
            marked.append(QLatin1Char('&'));
        marked.append(plain.at(i));
        if (plain.at(i) == QLatin1Char('&'))
            marked.append(QLatin1Char('&'));
    }
    return marked;
}

} // namespace lockleaf
