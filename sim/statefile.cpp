// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/statefile.h"

#include <QFile>
#include <QSaveFile>

namespace korvanta::sim {

QMap<QString, QString> readStateFile(const QString &path)
{
    QMap<QString, QString> values;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return values;
    while (!file.atEnd()) {
        const QString line = QString::fromLatin1(file.readLine()).trimmed();
        const int eq = line.indexOf(u'=');
        if (eq > 0)
            values.insert(line.left(eq), line.mid(eq + 1));
    }
    return values;
}

bool writeStateFile(const QString &path, const QMap<QString, QString> &values)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        file.write((it.key() + u'=' + it.value() + u'\n').toLatin1());
    return file.flush() && file.commit();
}

} // namespace korvanta::sim
