#pragma once

#include <QLocale>
#include <QString>
#include <QTranslator>

#include <memory>

namespace lockleaf
{

// The window in the user's language. install() takes the locale's languages in
// the user's order (QLocale::uiLanguages(): LANGUAGE, LC_ALL, LC_MESSAGES and
// LANG as Qt reads them) and installs the first translation Lockleaf carries
// in its resources, with Qt's own translation of its standard dialogs in the
// same language where the system has it. English first, or no language
// Lockleaf carries, keeps the English source texts and installs only their
// plural forms ("1 file", "2 files"). Installs
// before the window is made; main thread. What it installed is removed again
// by remove() or when it is destroyed.
class Translations final
{
public:
    Translations() = default;
    ~Translations();
    Q_DISABLE_COPY_MOVE(Translations)

    // The language installed ("de"), or "" for the (English) source texts.
    QString install(const QLocale &locale);
    void remove();

private:
    std::unique_ptr<QTranslator> m_app;
    std::unique_ptr<QTranslator> m_qt;
};

} // namespace lockleaf
