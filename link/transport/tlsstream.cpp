// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/transport/tlsstream.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QSslConfiguration>
#include <QSslKey>

#include <algorithm>
#include <optional>

namespace korvanta {

namespace {
struct TlsTexts {
    Q_DECLARE_TR_FUNCTIONS(korvanta::NetworkLink)
};

// The file's bytes; nothing, with the system's words for why, when unreadable.
std::optional<QByteArray> readFile(const QString &path, QString *why)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *why = file.errorString();
        return std::nullopt;
    }
    return file.readAll();
}

QString unreadable(const PortAddress &address, const QString &what, const QString &path, const QString &why)
{
    return TlsTexts::tr("%1: %2のファイル「%3」を読めません (%4)。").arg(address.text(), what, path, why);
}

// The PEM certificates of the file, what (a translated name) for a port's
// setting; none, with why, when there are none or it is unreadable.
QList<QSslCertificate> certificates(const PortAddress &address, const QString &what, const QString &path, QString *why)
{
    QString error;
    const auto pem = readFile(path, &error);
    const QList<QSslCertificate> found = pem ? QSslCertificate::fromData(*pem, QSsl::Pem) : QList<QSslCertificate>{};
    if (found.isEmpty())
        *why = unreadable(address, what, path, pem ? TlsTexts::tr("PEM 形式の証明書がありません") : error);
    return found;
}

bool anyOf(const QList<QSslError> &errors, std::initializer_list<QSslError::SslError> kinds)
{
    return std::any_of(errors.begin(), errors.end(), [&kinds](const QSslError &e) {
        return std::find(kinds.begin(), kinds.end(), e.error()) != kinds.end();
    });
}
} // namespace

TlsStream::TlsStream(QObject *parent) : TcpStream(new QSslSocket, parent)
{
    connect(socket(), &QSslSocket::sslErrors, this, [this](const QList<QSslError> &errors) {
        m_errors = errors;
        // A pinned certificate is trusted for itself, whatever else is said of it.
        if (!m_pin.isEmpty() && fingerprint(socket()->peerCertificate()) == m_pin)
            socket()->ignoreSslErrors();
    });
    connect(socket(), &QSslSocket::readyRead, this, [this] { m_heard = true; });
}

QString TlsStream::fingerprint(const QSslCertificate &certificate)
{
    return QStringLiteral("SHA256:")
        + QString::fromLatin1(certificate.digest(QCryptographicHash::Sha256).toHex(':').toUpper());
}

bool TlsStream::isConnected() const
{
    return TcpStream::isConnected() && socket()->isEncrypted();
}

void TlsStream::startConnecting(const PortAddress &address)
{
    socket()->connectToHostEncrypted(address.host, address.port);
}

bool TlsStream::configure(const PortAddress &address, QString *why)
{
    const PortAddress::Settings &settings = address.settings;
    QSslConfiguration config = QSslConfiguration::defaultConfiguration();
    config.setPeerVerifyMode(QSslSocket::VerifyPeer);
    if (!settings.caFile.isEmpty()) {
        const QList<QSslCertificate> cas = certificates(address, TlsTexts::tr("認証局の証明書 (ca)"), settings.caFile, why);
        if (cas.isEmpty())
            return false;
        config.setCaCertificates(cas);
    }
    if (!settings.certFile.isEmpty()) {
        const QList<QSslCertificate> own =
            certificates(address, TlsTexts::tr("クライアント証明書 (cert)"), settings.certFile, why);
        if (own.isEmpty())
            return false;
        // The key in its own file, or after the certificate in the same one.
        const QString keyPath = settings.keyFile.isEmpty() ? settings.certFile : settings.keyFile;
        QString error;
        const auto keyPem = readFile(keyPath, &error);
        QSslKey key;
        for (QSsl::KeyAlgorithm algorithm : {QSsl::Rsa, QSsl::Ec, QSsl::Dsa, QSsl::Dh})
            if (keyPem && key.isNull())
                key = QSslKey(*keyPem, algorithm, QSsl::Pem, QSsl::PrivateKey);
        if (key.isNull()) {
            *why = unreadable(address, TlsTexts::tr("秘密鍵 (key)"), keyPath,
                              keyPem ? TlsTexts::tr("PEM 形式の暗号化されていない秘密鍵がありません") : error);
            return false;
        }
        config.setLocalCertificateChain(own);
        config.setPrivateKey(key);
    }
    socket()->setSslConfiguration(config);
    m_pin = settings.fingerprint;
    m_errors.clear();
    m_heard = false;
    m_offer = {};
    return true;
}

bool TlsStream::open(const PortAddress &address, const QDeadlineTimer &deadline, QString *why)
{
    socket()->abort();
    if (!configure(address, why))
        return false;
    const bool connected = connectSocket(address, deadline, why);
    const QSslCertificate server = socket()->peerCertificate();
    if (connected && (m_pin.isEmpty() || fingerprint(server) == m_pin))
        return true;
    if (!server.isNull() && (!m_errors.isEmpty() || connected))
        *why = refusal(address, m_errors);
    else if (socket()->error() == QAbstractSocket::SslHandshakeFailedError)
        *why = TlsTexts::tr("%1 との TLS の接続を確立できませんでした (%2)。").arg(address.text(), socket()->errorString())
            + closingHint();
    socket()->abort();
    return false;
}

QString TlsStream::refusal(const PortAddress &address, const QList<QSslError> &errors)
{
    const QString where = address.text();
    const QSslCertificate server = socket()->peerCertificate();
    const QString print = fingerprint(server);
    if (!m_pin.isEmpty() && print != m_pin)
        return TlsTexts::tr("%1 のサーバーの証明書 (SHA-256 指紋 %2) は ports.conf で固定された指紋 %3 と違います。"
                            "証明書が替えられたか、別のサーバーが応答しています。替えたのが確かなときだけ、"
                            "このポートの fingerprint の行を新しい指紋にしてください。")
            .arg(where, print, m_pin);
    if (anyOf(errors, {QSslError::SelfSignedCertificate, QSslError::SelfSignedCertificateInChain,
                       QSslError::UnableToGetLocalIssuerCertificate, QSslError::UnableToGetIssuerCertificate,
                       QSslError::UnableToVerifyFirstCertificate, QSslError::CertificateUntrusted,
                       QSslError::CertificateRejected})) {
        m_offer = {TrustOffer::TlsCertificate, print, {}};
        return TlsTexts::tr("%1 のサーバーの証明書は信頼できる認証局のものではありません (SHA-256 指紋 %2)。"
                            "このサーバーを信頼するなら、ports.conf のこのポートの下に行「    fingerprint = %2」を加えるか、"
                            "その認証局の証明書を行「    ca = ファイル」で指定してください。")
            .arg(where, print);
    }
    if (anyOf(errors, {QSslError::HostNameMismatch}))
        return TlsTexts::tr("%1 のサーバーの証明書はホスト「%2」のものではありません (証明書の名前: %3)。")
            .arg(where, address.host, server.subjectInfo(QSslCertificate::CommonName).join(QStringLiteral(", ")));
    if (anyOf(errors, {QSslError::CertificateExpired}))
        return TlsTexts::tr("%1 のサーバーの証明書は %2 に期限が切れています。")
            .arg(where, server.expiryDate().toUTC().toString(Qt::ISODate));
    if (anyOf(errors, {QSslError::CertificateNotYetValid}))
        return TlsTexts::tr("%1 のサーバーの証明書は %2 まで有効になりません。")
            .arg(where, server.effectiveDate().toUTC().toString(Qt::ISODate));
    QStringList said;
    for (const QSslError &error : errors)
        said << error.errorString();
    return TlsTexts::tr("%1 のサーバーの証明書を受け付けられません (%2)。").arg(where, said.join(QStringLiteral("; ")));
}

QString TlsStream::closingHint() const
{
    if (m_heard || !socket()->sslConfiguration().localCertificate().isNull())
        return {};
    return TlsTexts::tr("サーバーがクライアント証明書を求めているなら、ports.conf のこのポートの下に cert と key の行を加えてください。");
}

} // namespace korvanta
