// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/transport/sshstream.h"

#include "link/transport/wait.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>

#include <libssh/libssh.h>

#include <memory>

namespace korvanta {

namespace {
struct SshTexts {
    Q_DECLARE_TR_FUNCTIONS(korvanta::NetworkLink)
};

constexpr int kPollMs = 10;           // how often an open retries while the server is silent
constexpr int kFlushMs = 20;         // how often what waits to go out is pushed on
constexpr int kKeepAliveMs = 30000;   // how long a quiet connection waits before it says it is alive
constexpr int kChannelPiece = 16 * 1024;
constexpr int kOn = 1;
constexpr int kCloseFlushMs = 2000;   // how long a close may wait for what is written to leave

// A string libssh allocated, freed with it.
using SshText = std::unique_ptr<char, decltype(&ssh_string_free_char)>;

QString sshDirectory()
{
    return QDir::home().filePath(QStringLiteral(".ssh"));
}

QString knownHostsFile()
{
    return QDir(sshDirectory()).filePath(QStringLiteral("known_hosts"));
}

// The server's host key as "SHA256:…", as ssh shows it; empty when it has none.
QString hostKeyFingerprint(ssh_session session)
{
    ssh_key key = nullptr;
    if (ssh_get_server_publickey(session, &key) != SSH_OK)
        return {};
    unsigned char *hash = nullptr;
    size_t length = 0;
    QString text;
    if (ssh_get_publickey_hash(key, SSH_PUBLICKEY_HASH_SHA256, &hash, &length) == SSH_OK) {
        const SshText fingerprint(ssh_get_fingerprint_hash(SSH_PUBLICKEY_HASH_SHA256, hash, length),
                                  &ssh_string_free_char);
        text = QString::fromLatin1(fingerprint.get());
        ssh_clean_pubkey_hash(&hash);
    }
    ssh_key_free(key);
    return text;
}
} // namespace

SshStream::SshStream(QObject *parent) : ByteStream(parent)
{
    connect(&m_tick, &QTimer::timeout, this, [this] {
        if (m_session && m_out.isEmpty() && !(ssh_get_poll_flags(m_session) & SSH_WRITE_PENDING))
            ssh_send_ignore(m_session, "");
        pump();
    });
}

SshStream::~SshStream()
{
    release();
}

void SshStream::release()
{
    m_tick.stop();
    if (m_notifier) { // perhaps in its own signal: it goes once that returned
        m_notifier->setEnabled(false);
        m_notifier->deleteLater();
    }
    m_notifier = nullptr;
    if (m_channel)
        ssh_channel_free(m_channel);
    m_channel = nullptr;
    if (m_session) {
        ssh_disconnect(m_session);
        ssh_free(m_session);
    }
    m_session = nullptr;
    m_in.clear();
    m_out.clear();
}

void SshStream::abort()
{
    release();
}

bool SshStream::open(const PortAddress &address, const QDeadlineTimer &deadline, QString *why)
{
    release(); // what is left of an earlier connection ends here, not in this one
    m_ended = false;
    m_closedByServer = false;
    m_error.clear();
    if (connectSession(address, deadline, why) && checkHostKey(address, why) && logIn(address, deadline, why)
        && openShell(address, deadline, why)) {
        m_tick.start(kKeepAliveMs);
        pump(); // what came with the shell's opening
        return true;
    }
    release();
    return false;
}

bool SshStream::drive(const std::function<int()> &step, int again, const QDeadlineTimer &deadline, int *rc)
{
    for (;;) {
        *rc = step();
        if (*rc != again)
            return true;
        if (deadline.hasExpired())
            return false;
        if (!m_notifier && ssh_get_fd(m_session) >= 0) {
            m_notifier = new QSocketNotifier(ssh_get_fd(m_session), QSocketNotifier::Read, this);
            connect(m_notifier, &QSocketNotifier::activated, this, &SshStream::pump);
        }
        // The socket's input wakes the wait; what libssh waits to send, or a
        // connection still being made, the next poll.
        bool woke = false;
        const auto wake = m_notifier ? connect(m_notifier, &QSocketNotifier::activated, this, [&woke] { woke = true; })
                                     : QMetaObject::Connection();
        const QDeadlineTimer poll(deadline.isForever() ? kPollMs : qMin<qint64>(deadline.remainingTime(), kPollMs));
        waitFor(poll, [&woke] { return woke; });
        disconnect(wake);
    }
}

QString SshStream::sessionError() const
{
    return QString::fromLocal8Bit(ssh_get_error(m_session));
}

bool SshStream::connectSession(const PortAddress &address, const QDeadlineTimer &deadline, QString *why)
{
    const QString where = address.text();
    m_session = ssh_new();
    const int port = address.port;
    const QByteArray host = address.host.toUtf8(), user = address.user.toUtf8(),
                     directory = QFile::encodeName(sshDirectory()), knownHosts = QFile::encodeName(knownHostsFile());
    if (!m_session || ssh_options_set(m_session, SSH_OPTIONS_HOST, host.constData()) != SSH_OK
        || ssh_options_set(m_session, SSH_OPTIONS_PORT, &port) != SSH_OK
        || (!user.isEmpty() && ssh_options_set(m_session, SSH_OPTIONS_USER, user.constData()) != SSH_OK)
        || ssh_options_set(m_session, SSH_OPTIONS_SSH_DIR, directory.constData()) != SSH_OK
        || ssh_options_set(m_session, SSH_OPTIONS_KNOWNHOSTS, knownHosts.constData()) != SSH_OK
        || ssh_options_set(m_session, SSH_OPTIONS_NODELAY, &kOn) != SSH_OK) {
        *why = QStringLiteral("%1: %2").arg(where, m_session ? sessionError() : QString());
        return false;
    }
    ssh_set_blocking(m_session, 0);
    int rc = SSH_ERROR;
    const qint64 allowedMs = deadline.remainingTime();
    if (!drive([this] { return ssh_connect(m_session); }, SSH_AGAIN, deadline, &rc)) {
        *why = SshTexts::tr("%1 は %2 秒以内に接続に応答しませんでした。").arg(where).arg(allowedMs / 1000.0);
        return false;
    }
    if (rc != SSH_OK) {
        *why = QStringLiteral("%1: %2").arg(where, sessionError());
        return false;
    }
    return true;
}

bool SshStream::checkHostKey(const PortAddress &address, QString *why)
{
    const QString where = address.text();
    const QString fingerprint = hostKeyFingerprint(m_session);
    switch (ssh_session_is_known_server(m_session)) {
    case SSH_KNOWN_HOSTS_OK:
        return true;
    case SSH_KNOWN_HOSTS_CHANGED:
    case SSH_KNOWN_HOSTS_OTHER:
        *why = SshTexts::tr("警告: %1 のホスト鍵が変わっています。なりすましの恐れがあるため接続しません。"
                            "いまの鍵の指紋は %2 です。サーバーの鍵を入れ替えたと確かめたときだけ、%3 から古い鍵を消してください"
                            " (ssh-keygen -R)。")
                   .arg(where, fingerprint, knownHostsFile());
        return false;
    case SSH_KNOWN_HOSTS_UNKNOWN:
    case SSH_KNOWN_HOSTS_NOT_FOUND: {
        const QString keyscan = QStringLiteral("ssh-keyscan -p %1 %2 >> ~/.ssh/known_hosts").arg(address.port).arg(address.host);
        *why = SshTexts::tr("%1 のホスト鍵を知らないため接続しません。鍵の指紋は %2 です。"
                            "サーバーの鍵と確かめたら「%3」で %4 に加えるか、ssh で一度接続して受け入れてください。")
                   .arg(where, fingerprint, keyscan, knownHostsFile());
        return false;
    }
    default:
        *why = SshTexts::tr("%1: %2 を読めません: %3").arg(where, knownHostsFile(), sessionError());
        return false;
    }
}

bool SshStream::logIn(const PortAddress &address, const QDeadlineTimer &deadline, QString *why)
{
    const QString where = address.text();
    char *rawUser = nullptr;
    ssh_options_get(m_session, SSH_OPTIONS_USER, &rawUser);
    const SshText user(rawUser, &ssh_string_free_char);
    const QString userName = QString::fromLocal8Bit(user.get());
    int rc = SSH_AUTH_ERROR;
    bool inTime = true;
    const QString &keyFile = address.settings.keyFile;
    if (keyFile.isEmpty()) { // ssh-agent, then the default keys
        inTime = drive([this] { return ssh_userauth_publickey_auto(m_session, nullptr, nullptr); }, SSH_AUTH_AGAIN,
                       deadline, &rc);
    } else {
        ssh_key key = nullptr;
        if (ssh_pki_import_privkey_file(QFile::encodeName(keyFile).constData(), nullptr, nullptr, nullptr, &key)
            == SSH_OK) {
            inTime = drive([this, key] { return ssh_userauth_publickey(m_session, nullptr, key); }, SSH_AUTH_AGAIN,
                           deadline, &rc);
            ssh_key_free(key);
        } else { // locked by a passphrase, or missing: the agent may hold it
            inTime = drive([this] { return ssh_userauth_agent(m_session, nullptr); }, SSH_AUTH_AGAIN, deadline, &rc);
            if (inTime && rc != SSH_AUTH_SUCCESS && rc != SSH_AUTH_ERROR) {
                *why = SshTexts::tr("%1: 鍵 %2 を読めません。パスフレーズで守られた鍵は、ssh-add で ssh-agent に読み込んでから使ってください。")
                           .arg(where, keyFile);
                return false;
            }
        }
    }
    if (!inTime) {
        *why = SshTexts::tr("%1: ログインが時間内に終わりませんでした。").arg(where);
        return false;
    }
    switch (rc) {
    case SSH_AUTH_SUCCESS:
        return true;
    case SSH_AUTH_ERROR:
        *why = QStringLiteral("%1: %2").arg(where, sessionError());
        return false;
    default:
        *why = SshTexts::tr("%1: サーバーは %2 としてのログインを認めませんでした。ssh-agent の鍵、~/.ssh の鍵、ports.conf の key を確かめてください"
                            " (パスフレーズで守られた鍵は ssh-add で ssh-agent に読み込んでください)。")
                   .arg(where, userName);
        return false;
    }
}

bool SshStream::openShell(const PortAddress &address, const QDeadlineTimer &deadline, QString *why)
{
    // The stream's own only once the shell runs: until then nothing is pumped.
    ssh_channel channel = ssh_channel_new(m_session);
    int rc = SSH_ERROR;
    if (channel && drive([channel] { return ssh_channel_open_session(channel); }, SSH_AGAIN, deadline, &rc)
        && rc == SSH_OK && drive([channel] { return ssh_channel_request_shell(channel); }, SSH_AGAIN, deadline, &rc)
        && rc == SSH_OK) {
        m_channel = channel;
        return true;
    }
    if (channel)
        ssh_channel_free(channel);
    *why = deadline.hasExpired()
               ? SshTexts::tr("%1: サーバーはポートへの通り道を時間内に開きませんでした。").arg(address.text())
               : SshTexts::tr("%1: サーバーはポートへの通り道を開きませんでした: %2").arg(address.text(), sessionError());
    return false;
}

void SshStream::pump()
{
    if (!m_channel || m_ended)
        return;
    bool wrote = false, received = false;
    while (!m_out.isEmpty()) {
        const int sent = ssh_channel_write(m_channel, m_out.constData(), uint32_t(qMin<qsizetype>(m_out.size(), kChannelPiece)));
        if (sent == SSH_ERROR)
            return end(false, sessionError());
        if (sent <= 0)
            break;
        m_out.remove(0, sent);
        wrote = true;
    }
    char piece[kChannelPiece];
    while (m_readBufferSize <= 0 || m_in.size() < m_readBufferSize) {
        const qint64 room = m_readBufferSize > 0 ? m_readBufferSize - m_in.size() : kChannelPiece;
        const int got = ssh_channel_read_nonblocking(m_channel, piece, uint32_t(qMin<qint64>(room, kChannelPiece)), 0);
        if (got == SSH_ERROR)
            return end(false, sessionError());
        if (got <= 0)
            break;
        m_in.append(piece, got);
        received = true;
    }
    const bool pending = !m_out.isEmpty() || (ssh_get_poll_flags(m_session) & SSH_WRITE_PENDING);
    if (m_tick.interval() != (pending ? kFlushMs : kKeepAliveMs))
        m_tick.start(pending ? kFlushMs : kKeepAliveMs);
    if (wrote)
        emit bytesWritten();
    if (received)
        emit readyRead();
    if (!m_channel || m_ended) // a receiver ended it
        return;
    // (Not ssh_channel_is_closed(): it counts a session driven without
    // blocking as not alive.)
    const int waiting = ssh_channel_poll(m_channel, 0);
    if (waiting == SSH_EOF)
        end(true, SshTexts::tr("サーバーが接続を閉じました。"));
    else if (waiting == SSH_ERROR || !ssh_is_connected(m_session))
        end(false, sessionError());
    else if (waiting > 0 && (m_readBufferSize <= 0 || m_in.size() < m_readBufferSize))
        // libssh took it off the socket meanwhile (while writing, or polling
        // just now): no socket event will tell of it, so it is read from the
        // event loop.
        QMetaObject::invokeMethod(this, &SshStream::pump, Qt::QueuedConnection);
}

void SshStream::end(bool byServer, const QString &error)
{
    if (m_ended)
        return;
    m_ended = true;
    m_closedByServer = byServer;
    m_error = error;
    m_tick.stop();
    if (m_notifier)
        m_notifier->setEnabled(false);
    emit ended();
}

qint64 SshStream::write(const QByteArray &bytes)
{
    if (!isConnected())
        return -1;
    m_out += bytes;
    pump();
    return bytes.size();
}

QByteArray SshStream::read(qint64 max)
{
    const bool wasFull = m_readBufferSize > 0 && m_in.size() >= m_readBufferSize;
    const QByteArray taken = m_in.left(max);
    m_in.remove(0, taken.size());
    if (wasFull) // the channel was left waiting: it is read again from the event loop
        QMetaObject::invokeMethod(this, &SshStream::pump, Qt::QueuedConnection);
    return taken;
}

void SshStream::close()
{
    const bool wasOpen = m_channel && !m_ended;
    if (wasOpen) { // what is written leaves first, within a bound
        waitFor(QDeadlineTimer(kCloseFlushMs), [this] {
            pump();
            return m_ended || (m_out.isEmpty() && !(ssh_get_poll_flags(m_session) & SSH_WRITE_PENDING));
        });
        ssh_channel_send_eof(m_channel);
        ssh_channel_close(m_channel);
    }
    release();
    if (wasOpen) {
        m_ended = true;
        emit ended();
    }
}

} // namespace korvanta
