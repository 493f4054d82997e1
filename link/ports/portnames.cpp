// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/ports/portnames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

namespace korvanta {

namespace {
struct AddressTexts {
    Q_DECLARE_TR_FUNCTIONS(korvanta::PortAddress)
};

bool failed(QString *why, const QString &text)
{
    if (why)
        *why = text;
    return false;
}
} // namespace

QString PortNames::defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        + QStringLiteral("/korvanta/ports.conf");
}

PortNames PortNames::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        PortNames none;
        if (file.exists())
            none.m_problems << QStringLiteral("%1: %2").arg(path, file.errorString());
        return none;
    }
    return parse(file.readAll(), path);
}

bool PortNames::validName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9_.-]+$"));
    static const QRegularExpression comPort(QStringLiteral("^COM[0-9]+$"), QRegularExpression::CaseInsensitiveOption);
    return pattern.match(name).hasMatch() && !comPort.match(name).hasMatch();
}

PortNames PortNames::parse(const QByteArray &text, const QString &fileName)
{
    PortNames names;
    const QList<QByteArray> lines = text.split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines[i]).section(u'#', 0, 0).trimmed();
        if (line.isEmpty())
            continue;
        const auto problem = [&](const QString &why) {
            names.m_problems << QStringLiteral("%1:%2: %3").arg(fileName).arg(i + 1).arg(why);
        };
        const qsizetype eq = line.indexOf(u'=');
        const QString name = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        QString why;
        if (eq < 0)
            problem(AddressTexts::tr("「名前 = アドレス」ではありません。"));
        else if (!names.acceptsName(name, &why))
            problem(why);
        else if (auto address = parseAddress(value, &why)) {
            address->name = name;
            names.m_ports << *address;
        } else
            problem(why);
    }
    return names;
}

bool PortNames::acceptsName(const QString &name, QString *why) const
{
    if (!validName(name))
        return failed(why, AddressTexts::tr("名前「%1」は使えません (英数字と「-」「_」「.」、COMn 以外)。").arg(name));
    if (find(name))
        return failed(why, AddressTexts::tr("名前「%1」はもう使われています。").arg(name));
    return true;
}

std::optional<PortAddress> PortNames::find(const QString &name) const
{
    for (const PortAddress &port : m_ports)
        if (port.name.compare(name, Qt::CaseInsensitive) == 0)
            return port;
    return std::nullopt;
}

bool PortNames::add(const QString &path, const QString &name, const PortAddress &address, QString *why)
{
    if (!acceptsName(name, why))
        return false;
    QFile old(path);
    QByteArray text;
    if (old.exists()) {
        if (!old.open(QIODevice::ReadOnly))
            return failed(why, QStringLiteral("%1: %2").arg(path, old.errorString()));
        text = old.readAll();
    }
    if (!text.isEmpty() && !text.endsWith('\n'))
        text += '\n';
    text += (name + QStringLiteral(" = ") + address.text()).toUtf8() + '\n';
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.flush() || !file.commit())
        return failed(why, QStringLiteral("%1: %2").arg(path, file.errorString()));
    PortAddress named = address;
    named.name = name;
    m_ports << named;
    return true;
}

} // namespace korvanta
