// SPDX-License-Identifier: GPL-3.0-or-later
#include "translations/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>
#include <vector>

namespace korvanta {

namespace {
Language g_language = Language::Source;
std::vector<std::unique_ptr<QTranslator>> g_installed;

void install(const QString &name, const QString &folder)
{
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(name, folder) && QCoreApplication::installTranslator(translator.get()))
        g_installed.push_back(std::move(translator));
}
} // namespace

Language languageFor(const QStringList &uiLanguages)
{
    for (const QString &name : uiLanguages) {
        if (name == QLatin1String("C") || name == QLatin1String("POSIX"))
            return Language::Source;
        const QLocale::Language language = QLocale(name).language();
        if (language == QLocale::Japanese)
            return Language::Japanese;
        if (language == QLocale::English)
            return Language::English;
    }
    return Language::English;
}

Language installTranslators(Program program)
{
    return installTranslators(program, languageFor(QLocale::system().uiLanguages()));
}

Language installTranslators(Program program, Language language)
{
    for (const auto &translator : g_installed)
        QCoreApplication::removeTranslator(translator.get());
    g_installed.clear();
    g_language = language;

    // The programs' own, compiled into them; Qt's own standard buttons and
    // dialogs from Qt's folder. The window program has always shown Qt's
    // texts in Japanese; the command line kept Qt's English under C.
    const QString own = QStringLiteral(":/i18n");
    const QString qt = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    switch (language) {
    case Language::English:
        install(QStringLiteral("korvanta_en"), own);
        install(QStringLiteral("korvanta_plurals_en"), own);
        install(QStringLiteral("qtbase_en"), qt);
        break;
    case Language::Japanese:
        if (program == Program::CommandLine)
            install(QStringLiteral("korvanta_ja"), own);
        install(QStringLiteral("qtbase_ja"), qt);
        break;
    case Language::Source:
        if (program == Program::Windows)
            install(QStringLiteral("qtbase_ja"), qt);
        else // the command line's English as written, its counts in good English
            install(QStringLiteral("korvanta_plurals_en"), own);
        break;
    }
    return language;
}

Language currentLanguage()
{
    return g_language;
}

} // namespace korvanta
