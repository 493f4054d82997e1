// SPDX-License-Identifier: GPL-3.0-or-later
// Writes korvanta-profile(5) from the settings' tables into the file named
// by its argument, with the windows' captions and the values' meanings in
// English (en, the default) or Japanese (ja) through the programs' own
// translations, so that what the programs print can be found in it; run by
// the build.

#include "profile/manualpage.h"
#include "profile/profilefile.h"
#include "translations/language.h"

#include <QCoreApplication>

#include <QSaveFile>

#include <cstdio>

int main(int argc, char *argv[])
{
    const bool japanese = argc == 3 && QByteArray(argv[2]) == "ja";
    if (argc < 2 || argc > 3 || (argc == 3 && !japanese && QByteArray(argv[2]) != "en")) {
        std::fprintf(stderr, "usage: %s FILE [en|ja]\n", argv[0]);
        return 2;
    }
    QCoreApplication app(argc, argv);
    // Before the tables are made: their captions are translated once.
    korvanta::installTranslators(korvanta::Program::Windows,
                                 japanese ? korvanta::Language::Source : korvanta::Language::English);
    using namespace korvanta::profile;
    const QByteArray page = manualPage(settingKeys(), settingRules());
    QSaveFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) || file.write(page) != page.size() || !file.flush() || !file.commit()) {
        std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}
