// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/transport/trust.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace korvanta {

namespace {
struct TrustTexts {
    Q_DECLARE_TR_FUNCTIONS(korvanta::NetworkLink)
};
} // namespace

QString sshDirectory()
{
    return QDir::home().filePath(QStringLiteral(".ssh"));
}

QString knownHostsFile()
{
    return QDir(sshDirectory()).filePath(QStringLiteral("known_hosts"));
}

bool applyTrust(const TrustOffer &offer, PortAddress::Settings &settings, QString *why)
{
    switch (offer.kind) {
    case TrustOffer::Nothing:
        *why = TrustTexts::tr("信頼できるものがありません。");
        return false;
    case TrustOffer::TlsCertificate:
        settings.fingerprint = offer.fingerprint;
        return true;
    case TrustOffer::SshHostKey:
        break;
    }
    const QString directory = sshDirectory(), path = knownHostsFile();
    if (!QDir(directory).exists()
        && (!QDir().mkpath(directory)
            || !QFile::setPermissions(directory, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))) {
        *why = TrustTexts::tr("フォルダー %1 を作れません。").arg(directory);
        return false;
    }
    QFile file(path);
    const bool existed = file.exists();
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append)
        || (!existed && !file.setPermissions(QFile::ReadOwner | QFile::WriteOwner))) {
        *why = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    // The line begins a line of its own, whatever the file ended with.
    QByteArray line = offer.knownHostsLine.trimmed() + '\n';
    if (file.size() > 0 && file.seek(file.size() - 1) && file.read(1) != "\n")
        line.prepend('\n');
    if (file.write(line) != line.size() || !file.flush()) {
        *why = QStringLiteral("%1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace korvanta
