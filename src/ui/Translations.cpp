#include "ui/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace lockleaf
{

Translations::~Translations()
{
    remove();
}

QString Translations::install(const QLocale &locale)
{
    remove();
    // The source texts are English but for their plural forms ("%n file(s)"),
    // which the English translation carries alone.
    const auto english = [this] {
        auto plurals = std::make_unique<QTranslator>();
        if (plurals->load(QStringLiteral("lockleaf_en"), QStringLiteral(":/i18n"))) {
            QCoreApplication::installTranslator(plurals.get());
            m_app = std::move(plurals);
        }
        return QString();
    };
    for (const QString &name : locale.uiLanguages()) {
        const QLocale language(name);
        // A user who puts English before another language wants the source texts.
        if (language.language() == QLocale::English || language.language() == QLocale::C)
            return english();
        auto app = std::make_unique<QTranslator>();
        if (!app->load(language, QStringLiteral("lockleaf"), QStringLiteral("_"), QStringLiteral(":/i18n")))
            continue;
        QCoreApplication::installTranslator(app.get());
        m_app = std::move(app);
        // Qt's own texts (the standard buttons, the file dialog) in the same
        // language only, so a dialog never mixes two languages.
        auto qt = std::make_unique<QTranslator>();
        if (qt->load(language, QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
            QCoreApplication::installTranslator(qt.get());
            m_qt = std::move(qt);
        }
        return m_app->language();
    }
    return english();
}

void Translations::remove()
{
    if (m_qt)
        QCoreApplication::removeTranslator(m_qt.get());
    if (m_app)
        QCoreApplication::removeTranslator(m_app.get());
    m_qt.reset();
    m_app.reset();
}

} // namespace lockleaf
