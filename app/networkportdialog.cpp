// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/networkportdialog.h"

#include "link/transport/link.h"
#include "link/session/messages.h"
#include "link/ports/ports.h"
#include "ui/formparts.h"
#include "ui/windows.h"
#include "link/ports/portnames.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace korvanta {

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
    layout->addLayout(form::buttonRow({ok, cancel}));
    centreOnScreen(this);
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
    const std::optional<PortAddress> address = parseAddress(m_address->text().trimmed(), &why);
    if (!address || !address->isNetwork()) {
        Messages::inform(address ? tr("アドレスは rfc2217://ホスト:ポート、tcp://ホスト:ポート、その TLS 版 (rfc2217+tls://、tcp+tls://) か ssh://ホスト で指定してください。")
                                 : why,
                         this);
        m_address->setFocus();
        return;
    }
    // The connection first: a port that does not open is not written down.
    m_trying = true;
    setEnabled(false);
    const std::unique_ptr<Link> link = linkTo(*address);
    const bool opened = link->open();
    link->close();
    setEnabled(true);
    m_trying = false;
    if (!opened) {
        Messages::inform(tr("接続できませんでした。") + u'\n' + link->whyNotOpen(), this);
        return;
    }
    if (!m_names.add(m_portsFile, name, *address, &why)) {
        Messages::inform(why, this);
        return;
    }
    m_added = *m_names.find(name);
    accept();
}

void NetworkPortDialog::reject()
{
    if (!m_trying) // not while the connection is tried
        QDialog::reject();
}

} // namespace korvanta
