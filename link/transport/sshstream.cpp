// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/transport/sshstream.h"

#include "link/transport/tcpstream.h"
#include "link/transport/wait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSocketNotifier>

#include <libssh/callbacks.h>
#include <libssh/libssh.h>

#include <cstring>
#include <unistd.h>

namespace korvanta {

namespace {
struct SshTexts {
    Q_DECLARE_TR_FUNCTIONS(korvanta::NetworkLink)
};

constexpr int kPollMs = 10;           // how often an open retries while the server is silent
constexpr int kFlushMs = 20;         // how often what waits to go out is pushed on
constexpr int kKeepAliveMs = 30000;   // how long a quiet connection waits before it says it is alive
constexpr int kChannelPiece = 16 * 1024;
constexpr int kCloseFlushMs = 2000;   // how long a close may wait for what is written to leave

// A string libssh allocated, freed with it.
using SshText = std::unique_ptr<char, decltype(&ssh_string_free_char)>;

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

// The known_hosts line for the server's host key, as ssh would add it.
QByteArray knownHostsLine(ssh_session session)
{
    char *raw = nullptr;
    if (ssh_session_export_known_hosts_entry(session, &raw) != SSH_OK)
        return {};
    const SshText entry(raw, &ssh_string_free_char);
    return QByteArray(entry.get()).trimmed();
}

QString declined(const QString &where)
{
    return SshTexts::tr("%1: 入力が取り消されたため、ログインせずに接続を終えました。").arg(where);
}
} // namespace

SshStream::SshStream(QObject *parent)
    : ByteStream(parent), m_tcp(new TcpStream(this)), m_callbacks(std::make_unique<ssh_callbacks_struct>())
{
    std::memset(m_callbacks.get(), 0, sizeof *m_callbacks);
    m_callbacks->userdata = this;
    m_callbacks->auth_function = &SshStream::passphrase;
    ssh_callbacks_init(m_callbacks.get());
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
    m_tcp->abort();
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
    m_deadline = deadline;
    m_address = address.text();
    m_declined = false;
    m_offer = {};
    if (connectSession(address, why) && checkHostKey(address, why) && logIn(address, why) && openShell(address, why)) {
        m_tick.start(kKeepAliveMs);
        pump(); // what came with the shell's opening
        return true;
    }
    release();
    return false;
}

bool SshStream::drive(const std::function<int()> &step, int again, int *rc)
{
    const QDeadlineTimer &deadline = m_deadline;
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

std::optional<QByteArray> SshStream::ask(const SecretRequest &request)
{
    QElapsedTimer asking;
    asking.start();
    std::optional<QByteArray> answer = askSecret(request);
    if (!m_deadline.isForever())
        m_deadline = QDeadlineTimer(qMax<qint64>(m_deadline.remainingTime(), 0) + asking.elapsed());
    if (!answer)
        m_declined = true;
    return answer;
}

int SshStream::passphrase(const char *, char *buffer, size_t length, int, int, void *stream)
{
    auto *self = static_cast<SshStream *>(stream);
    SecretRequest request;
    request.address = self->m_address;
    request.keyFile = self->m_askingKey;
    std::optional<QByteArray> answer = self->ask(request);
    if (!answer)
        return -1;
    const bool fits = size_t(answer->size()) < length;
    if (fits) {
        std::memcpy(buffer, answer->constData(), size_t(answer->size()));
        buffer[answer->size()] = '\0';
    }
    wipe(*answer);
    return fits ? 0 : -1;
}

bool SshStream::connectSession(const PortAddress &address, QString *why)
{
    const QString where = address.text();
    const qint64 allowedMs = m_deadline.remainingTime();
    // The name looked up and the socket connected within the deadline, as
    // for tcp://; libssh takes the socket, the host's name kept for known_hosts.
    if (!m_tcp->open(address, m_deadline, why))
        return false;
    int socket = m_tcp->takeDescriptor();
    m_session = ssh_new();
    const int port = address.port;
    const QByteArray host = address.host.toUtf8(), user = address.user.toUtf8(),
                     directory = QFile::encodeName(sshDirectory()), knownHosts = QFile::encodeName(knownHostsFile());
    if (!m_session || ssh_options_set(m_session, SSH_OPTIONS_HOST, host.constData()) != SSH_OK
        || ssh_options_set(m_session, SSH_OPTIONS_PORT, &port) != SSH_OK
        || (!user.isEmpty() && ssh_options_set(m_session, SSH_OPTIONS_USER, user.constData()) != SSH_OK)
        || ssh_options_set(m_session, SSH_OPTIONS_SSH_DIR, directory.constData()) != SSH_OK
        || ssh_options_set(m_session, SSH_OPTIONS_KNOWNHOSTS, knownHosts.constData()) != SSH_OK
        || ssh_options_set(m_session, SSH_OPTIONS_FD, &socket) != SSH_OK) {
        *why = QStringLiteral("%1: %2").arg(where, m_session ? sessionError() : QString());
        ::close(socket);
        return false;
    }
    ssh_set_blocking(m_session, 0);
    ssh_set_callbacks(m_session, m_callbacks.get());
    int rc = SSH_ERROR;
    if (!drive([this] { return ssh_connect(m_session); }, SSH_AGAIN, &rc)) {
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
        m_offer = {TrustOffer::SshHostKey, fingerprint, knownHostsLine(m_session)};
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

bool SshStream::logIn(const PortAddress &address, QString *why)
{
    const QString where = address.text();
    char *rawUser = nullptr;
    ssh_options_get(m_session, SSH_OPTIONS_USER, &rawUser);
    const SshText user(rawUser, &ssh_string_free_char);
    const QString userName = QString::fromLocal8Bit(user.get());
    // Each step leaves SSH_AUTH_AGAIN in rc when the deadline passed first.
    int rc = SSH_AUTH_ERROR;
    if (address.settings.keyFile.isEmpty()) { // ssh-agent, then the default keys
        m_askingKey.clear();
        drive([this] { return ssh_userauth_publickey_auto(m_session, nullptr, nullptr); }, SSH_AUTH_AGAIN, &rc);
    } else if (!logInByKeyFile(address, &rc, why)) {
        return false;
    }
    if (!m_declined && (rc == SSH_AUTH_DENIED || rc == SSH_AUTH_PARTIAL) && canAskSecrets())
        logInByPassword(address, userName, &rc);
    if (m_declined) {
        *why = declined(where);
        return false;
    }
    if (rc == SSH_AUTH_AGAIN) {
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

bool SshStream::logInByKeyFile(const PortAddress &address, int *rc, QString *why)
{
    const QString &keyFile = address.settings.keyFile;
    const QByteArray file = QFile::encodeName(keyFile);
    const auto byKey = [this, rc](ssh_key key) {
        drive([this, key] { return ssh_userauth_publickey(m_session, nullptr, key); }, SSH_AUTH_AGAIN, rc);
        ssh_key_free(key);
        return true;
    };
    ssh_key key = nullptr;
    if (ssh_pki_import_privkey_file(file.constData(), nullptr, nullptr, nullptr, &key) == SSH_OK)
        return byKey(key);
    // Locked by a passphrase, or missing: the agent may hold it, else the
    // operator knows its passphrase.
    drive([this] { return ssh_userauth_agent(m_session, nullptr); }, SSH_AUTH_AGAIN, rc);
    if (*rc == SSH_AUTH_SUCCESS || *rc == SSH_AUTH_ERROR || *rc == SSH_AUTH_AGAIN)
        return true;
    m_askingKey = keyFile;
    if (canAskSecrets() && QFile::exists(keyFile)) {
        const int read = ssh_pki_import_privkey_file(file.constData(), nullptr, &SshStream::passphrase, this, &key);
        if (m_declined)
            return true;
        if (read == SSH_OK)
            return byKey(key);
        *why = SshTexts::tr("%1: 鍵 %2 を読めません。パスフレーズが違うか、鍵のファイルではありません。")
                   .arg(address.text(), keyFile);
        return false;
    }
    *why = SshTexts::tr("%1: 鍵 %2 を読めません。パスフレーズで守られた鍵は、ssh-add で ssh-agent に読み込んでから使ってください。")
               .arg(address.text(), keyFile);
    return false;
}

void SshStream::logInByPassword(const PortAddress &address, const QString &user, int *rc)
{
    SecretRequest request;
    request.kind = SecretRequest::Password;
    request.address = address.text();
    request.user = user;
    request.host = address.host;
    int methods = ssh_userauth_list(m_session, nullptr);
    if (methods == 0) { // nothing tried yet: the server says what it takes
        drive([this] { return ssh_userauth_none(m_session, nullptr); }, SSH_AUTH_AGAIN, rc);
        if (*rc == SSH_AUTH_SUCCESS || *rc == SSH_AUTH_AGAIN)
            return;
        methods = ssh_userauth_list(m_session, nullptr);
    }
    if (methods & SSH_AUTH_METHOD_PASSWORD) {
        std::optional<QByteArray> password = ask(request);
        if (!password)
            return;
        drive([this, &password] { return ssh_userauth_password(m_session, nullptr, password->constData()); },
              SSH_AUTH_AGAIN, rc);
        wipe(*password);
        return;
    }
    if (!(methods & SSH_AUTH_METHOD_INTERACTIVE))
        return;
    // The server's questions, as many rounds as it asks.
    const auto round = [this, rc] {
        drive([this] { return ssh_userauth_kbdint(m_session, nullptr, nullptr); }, SSH_AUTH_AGAIN, rc);
    };
    round();
    while (*rc == SSH_AUTH_INFO) {
        const int questions = ssh_userauth_kbdint_getnprompts(m_session);
        for (int i = 0; i < questions; ++i) {
            char echo = 0;
            request.prompt = QString::fromUtf8(ssh_userauth_kbdint_getprompt(m_session, unsigned(i), &echo));
            std::optional<QByteArray> answer = ask(request);
            if (!answer)
                return;
            ssh_userauth_kbdint_setanswer(m_session, unsigned(i), answer->constData());
            wipe(*answer);
        }
        round();
    }
}

bool SshStream::openShell(const PortAddress &address, QString *why)
{
    // The stream's own only once the shell runs: until then nothing is pumped.
    ssh_channel channel = ssh_channel_new(m_session);
    int rc = SSH_ERROR;
    if (channel && drive([channel] { return ssh_channel_open_session(channel); }, SSH_AGAIN, &rc)
        && rc == SSH_OK && drive([channel] { return ssh_channel_request_shell(channel); }, SSH_AGAIN, &rc)
        && rc == SSH_OK) {
        m_channel = channel;
        return true;
    }
    if (channel)
        ssh_channel_free(channel);
    *why = m_deadline.hasExpired()
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
