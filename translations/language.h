// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The language of the programs' texts. The texts are written in Japanese in
// the windows' code and in English in the command line's own code; compiled
// translations (korvanta_en, korvanta_ja) and Qt's own (qtbase_*) turn them
// into the operator's language when the programs start.
//
// To run a program in English: LANGUAGE=en LANG=en_US.UTF-8 build/bin/korvanta
// (the C locale, LANG=C.UTF-8 LANGUAGE=, shows every text as written).

#include <QStringList>

namespace korvanta {

enum class Language {
    Source,   // the C or POSIX locale: every text as written in the code
    Japanese,
    English,
};

// Which program asks: the window program's texts are Japanese as written,
// the command line's own are English.
enum class Program { Windows, CommandLine };

// The language for a list of preferred languages, most wanted first, as
// QLocale::uiLanguages() gives them: the first that is C/POSIX, Japanese or
// English decides; English when none is.
Language languageFor(const QStringList &uiLanguages);

// Installs the translators of the system locale's language (LANGUAGE, LC_ALL,
// LC_MESSAGES, LANG) for program, and returns the language.
Language installTranslators(Program program);
// The same for a given language, replacing the translators installed before.
// Texts a program keeps once made (captions of settings in profiles) stay in
// the language they were first made in.
Language installTranslators(Program program, Language language);

// The language installTranslators() chose; Source before it ran.
Language currentLanguage();

} // namespace korvanta
