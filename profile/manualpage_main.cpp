// SPDX-License-Identifier: GPL-3.0-or-later
// Writes korvanta-profile(5) from the settings' tables into the file named
// by its argument; run by the build.

#include "profile/manualpage.h"
#include "profile/profilefile.h"

#include <QSaveFile>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    using namespace korvanta::profile;
    const QByteArray page = manualPage(settingKeys(), settingRules());
    QSaveFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly) || file.write(page) != page.size() || !file.flush() || !file.commit()) {
        std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}
