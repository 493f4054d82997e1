// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/networkportdialog.h"

#include "link/transport/link.h"
#include "link/transport/networklink.h"
#include "link/session/messages.h"
#include "link/ports/ports.h"
#include "ui/formparts.h"
#include "ui/windows.h"
#include "link/ports/portnames.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace korvanta {

namespace {
// The settings under "詳細設定": ports.conf's key, the field's label and
// name, whether it names a file, and the carriers that take it.
struct SettingField {
    const char *key;
    const char *label;
    const char *name;
    bool file;
    bool tls, ssh;
};
constexpr SettingField kSettingFields[] = {
    {"ca", QT_TRANSLATE_NOOP("korvanta::NetworkPortDialog", "認証局の証明書 (ca):"), "CaText", true, true, false},
    {"fingerprint", QT_TRANSLATE_NOOP("korvanta::NetworkPortDialog", "証明書の指紋 (fingerprint):"), "FingerprintText",
     false, true, false},
    {"cert", QT_TRANSLATE_NOOP("korvanta::NetworkPortDialog", "クライアント証明書 (cert):"), "CertText", true, true, false},
    {"key", QT_TRANSLATE_NOOP("korvanta::NetworkPortDialog", "秘密鍵 (key):"), "KeyText", true, true, true},
};
} // namespace

NetworkPortDialog::NetworkPortDialog(PortNames &names, const QString &portsFile, QWidget *parent)
    : QDialog(parent, form::kDialogFlags), m_names(names), m_portsFile(portsFile)
{
    setObjectName(QStringLiteral("NetworkPort"));
    setWindowTitle(tr("ネットワーク ポートの追加"));

    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("NameText"));
    m_name->setPlaceholderText(tr("例: rack1-a"));
    m_address = new QLineEdit(this);
    m_address->setObjectName(QStringLiteral("AddressText"));
    m_address->setPlaceholderText(QStringLiteral("rfc2217://rack1:3001"));
    m_address->setMinimumWidth(m_address->fontMetrics().horizontalAdvance(u'M') * 24);
    auto *fields = new QFormLayout;
    fields->addRow(tr("名前(&N):"), m_name);
    fields->addRow(tr("アドレス(&A):"), m_address);

    auto *hint = new QLabel(tr("コンソール サーバー (ser2net など) のポートを次の形で指定します。\n"
                               "rfc2217://ホスト:ポート  RFC 2217 で速度と形式を設定します\n"
                               "tcp://ホスト:ポート  サーバー側を 19200 bit/s 8N1 にしておきます\n"
                               "rfc2217+tls://、tcp+tls://  同じものを TLS で暗号化します\n"
                               "ssh://ユーザー@ホスト:ポート  SSH で接続します (19200 bit/s 8N1)\n"
                               "追加すると接続を試し、ports.conf に書き加えます。"),
                            this);
    hint->setObjectName(QStringLiteral("Hint"));

    // The port's settings, folded away until asked for.
    m_more = new QToolButton(this);
    m_more->setObjectName(QStringLiteral("MoreButton"));
    m_more->setText(tr("詳細設定"));
    m_more->setCheckable(true);
    m_more->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_more->setArrowType(Qt::RightArrow);
    m_more->setAutoRaise(true);
    m_settings = new QWidget(this);
    m_settings->setObjectName(QStringLiteral("Settings"));
    auto *settings = new QFormLayout(m_settings);
    settings->setContentsMargins(0, 0, 0, 0);
    for (const SettingField &field : kSettingFields) {
        auto *edit = new QLineEdit(m_settings);
        edit->setObjectName(QLatin1String(field.name));
        m_settingFields.emplace_back(field.key, edit);
        if (!field.file) {
            edit->setPlaceholderText(QStringLiteral("SHA256:AB:CD:…"));
            m_fingerprint = edit;
            settings->addRow(tr(field.label), edit);
            continue;
        }
        auto *choose = new QPushButton(tr("参照..."), m_settings);
        choose->setObjectName(QLatin1String(field.name) + QStringLiteral("Choose"));
        form::nameControls(tr(field.label), {edit});
        form::nameControls(tr(field.label) + u' ' + choose->text(), {choose});
        connect(choose, &QPushButton::clicked, this, [this, edit, field] {
            const QString file = QFileDialog::getOpenFileName(this, tr(field.label), edit->text());
            if (!file.isEmpty())
                edit->setText(file);
        });
        auto *row = new QHBoxLayout;
        row->addWidget(edit, 1);
        row->addWidget(choose);
        settings->addRow(tr(field.label), row);
    }
    m_deadlineScale = new QDoubleSpinBox(m_settings);
    m_deadlineScale->setObjectName(QStringLiteral("DeadlineScale"));
    m_deadlineScale->setRange(0.1, 100);
    m_deadlineScale->setDecimals(1);
    m_deadlineScale->setSingleStep(0.5);
    m_deadlineScale->setValue(1);
    settings->addRow(tr("期限の倍率 (deadline-scale):"), m_deadlineScale);
    m_settings->setVisible(false);
    connect(m_more, &QToolButton::toggled, this, &NetworkPortDialog::showSettings);
    connect(m_address, &QLineEdit::textChanged, this, &NetworkPortDialog::addressChanged);

    // What the last try offers to trust, and the button that trusts it.
    m_trustText = new QLabel(this);
    m_trustText->setObjectName(QStringLiteral("TrustText"));
    m_trustText->setWordWrap(true);
    m_trustText->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_trustText->setVisible(false);
    m_trustButton = new QPushButton(tr("このサーバーを信頼する"), this);
    m_trustButton->setObjectName(QStringLiteral("TrustButton"));
    m_trustButton->setVisible(false);
    connect(m_trustButton, &QPushButton::clicked, this, &NetworkPortDialog::trust);

    auto *ok = new QPushButton(tr("追加"), this);
    ok->setObjectName(QStringLiteral("AddButton"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(tr("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    connect(ok, &QPushButton::clicked, this, &NetworkPortDialog::add);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->setSpacing(12);
    layout->addLayout(fields);
    layout->addWidget(hint);
    layout->addWidget(m_more, 0, Qt::AlignLeft);
    layout->addWidget(m_settings);
    layout->addWidget(m_trustText);
    layout->addLayout(form::buttonRow({m_trustButton, ok, cancel}));
    addressChanged();
    centreOnScreen(this);
}

void NetworkPortDialog::showSettings(bool shown)
{
    m_more->setChecked(shown);
    m_more->setArrowType(shown ? Qt::DownArrow : Qt::RightArrow);
    m_settings->setVisible(shown);
    adjustSize();
}

void NetworkPortDialog::addressChanged()
{
    const QString text = m_address->text().trimmed();
    const QString scheme = text.left(text.indexOf(QStringLiteral("://"))).toLower();
    const bool tls = scheme.endsWith(QStringLiteral("+tls")), ssh = scheme == QStringLiteral("ssh");
    for (std::size_t i = 0; i < m_settingFields.size(); ++i) { // made in kSettingFields' order
        const SettingField &field = kSettingFields[i];
        m_settingFields[i].second->setEnabled((tls && field.tls) || (ssh && field.ssh));
    }
    m_offer = {};
    m_trustText->setVisible(false);
    m_trustButton->setVisible(false);
}

bool NetworkPortDialog::readSettings(PortAddress::Settings *settings, QString *why)
{
    *settings = {};
    for (const auto &[key, edit] : m_settingFields) {
        const QString value = edit->text().trimmed();
        if (!edit->isEnabled() || value.isEmpty())
            continue;
        if (!setPortSetting(*settings, QLatin1String(key), value, why)) {
            showSettings(true);
            edit->setFocus();
            return false;
        }
    }
    settings->deadlineScale = m_deadlineScale->value();
    return true;
}

void NetworkPortDialog::add()
{
    if (m_trying)
        return;
    const QString name = m_name->text().trimmed();
    QString why;
    if (!m_names.acceptsName(name, &why)) {
        Messages::inform(why, this);
        m_name->setFocus();
        return;
    }
    std::optional<PortAddress> address = parseAddress(m_address->text().trimmed(), &why);
    if (!address || !address->isNetwork()) {
        Messages::inform(address ? tr("アドレスは rfc2217://ホスト:ポート、tcp://ホスト:ポート、その TLS 版 (rfc2217+tls://、tcp+tls://) か ssh://ホスト で指定してください。")
                                 : why,
                         this);
        m_address->setFocus();
        return;
    }
    if (!readSettings(&address->settings, &why)) {
        Messages::inform(why, this);
        return;
    }
    tryToAdd(*address);
}

void NetworkPortDialog::tryToAdd(const PortAddress &port)
{
    // The connection first: a port that does not open is not written down.
    m_trying = true;
    setEnabled(false);
    const std::unique_ptr<Link> link = linkTo(port);
    const bool opened = link->open();
    link->close();
    const auto *network = qobject_cast<const NetworkLink *>(link.get());
    const TrustOffer offer = network && !opened ? network->trustOffer() : TrustOffer{};
    setEnabled(true);
    m_trying = false;
    if (offer)
        return offerTrust(port, offer);
    if (!opened) {
        Messages::inform(tr("接続できませんでした。") + u'\n' + link->whyNotOpen(), this);
        return;
    }
    const QString name = m_name->text().trimmed();
    QString why;
    if (!m_names.add(m_portsFile, name, port, &why)) {
        Messages::inform(why, this);
        return;
    }
    m_added = *m_names.find(name);
    accept();
}

void NetworkPortDialog::offerTrust(const PortAddress &port, const TrustOffer &offer)
{
    m_offer = offer;
    m_untrusted = port;
    const QString where = port.text();
    m_trustText->setText(
        offer.kind == TrustOffer::TlsCertificate
            ? tr("%1 のサーバーの証明書は信頼できる認証局のものではありません。SHA-256 指紋:\n%2\n"
                 "サーバーの管理者に確かめた指紋と同じときだけ信頼してください。信頼すると、この指紋をポートの設定に固定します。")
                  .arg(where, offer.fingerprint)
            : tr("%1 のホスト鍵を知りません。鍵の指紋:\n%2\n"
                 "サーバーの管理者に確かめた指紋と同じときだけ信頼してください。信頼すると、鍵を %3 に加えます。")
                  .arg(where, offer.fingerprint, knownHostsFile()));
    m_trustText->setVisible(true);
    m_trustButton->setVisible(true);
    adjustSize();
}

void NetworkPortDialog::trust()
{
    if (m_trying || !m_offer)
        return;
    PortAddress port = m_untrusted;
    QString why;
    if (!applyTrust(m_offer, port.settings, &why)) {
        Messages::inform(why, this);
        return;
    }
    if (m_offer.kind == TrustOffer::TlsCertificate)
        m_fingerprint->setText(port.settings.fingerprint);
    m_offer = {};
    m_trustText->setVisible(false);
    m_trustButton->setVisible(false);
    tryToAdd(port);
}

void NetworkPortDialog::reject()
{
    if (!m_trying) // not while the connection is tried
        QDialog::reject();
}

std::optional<QByteArray> askInWindow(const SecretRequest &request)
{
    QDialog ask(QApplication::activeWindow(), form::kDialogFlags);
    ask.setObjectName(QStringLiteral("Secret"));
    ask.setWindowTitle(request.kind == SecretRequest::Passphrase ? NetworkPortDialog::tr("鍵のパスフレーズ")
                                                                 : NetworkPortDialog::tr("パスワード"));
    auto *question = new QLabel(request.text(), &ask);
    question->setWordWrap(true);
    auto *edit = new QLineEdit(&ask);
    edit->setObjectName(QStringLiteral("SecretText"));
    edit->setEchoMode(QLineEdit::Password);
    form::nameControls(question->text(), {edit});
    auto *ok = new QPushButton(QStringLiteral("OK"), &ask);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(NetworkPortDialog::tr("キャンセル"), &ask);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    QObject::connect(ok, &QPushButton::clicked, &ask, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &ask, &QDialog::reject);
    auto *layout = new QVBoxLayout(&ask);
    layout->setContentsMargins(24, 18, 24, 18);
    layout->setSpacing(12);
    layout->addWidget(question);
    layout->addWidget(edit);
    layout->addLayout(form::buttonRow({ok, cancel}));
    const bool answered = ask.exec() == QDialog::Accepted;
    QString typed = edit->text();
    edit->clear(); // the field lets go of it: the one copy left is wiped below
    std::optional<QByteArray> answer;
    if (answered && !typed.isEmpty())
        answer = typed.toUtf8();
    wipe(typed);
    return answer;
}

} // namespace korvanta
