// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/initdialog.h"

#include "link/protocol/exchange.h"
#include "link/transport/link.h"
#include "link/session/messages.h"
#include "link/session/session.h"
#include "profile/adapterprofile.h"
#include "profile/history.h"
#include "ui/formparts.h"
#include "ui/progresswindow.h"
#include "ui/windows.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace korvanta {

const InitChoice kInitChoices[2] = {
    {"Option1", {"Label1", "Label2"},
     {QT_TRANSLATE_NOOP("korvanta::InitDialog", " 現在設定値のすべてを工場出荷時"),
      QT_TRANSLATE_NOOP("korvanta::InitDialog", "に戻します。")},
     "AT%Z"},
    {"Option2", {"Label3", "Label4"},
     {QT_TRANSLATE_NOOP("korvanta::InitDialog", " ダイヤル情報エリアの値は残したまま､"),
      QT_TRANSLATE_NOOP("korvanta::InitDialog", "工場出荷時に戻します。")},
     "AT&F"},
};

InitDialog::InitDialog(Session &session, QWidget *parent)
    : QDialog(parent, form::kDialogFlags), m_session(session)
{
    setObjectName(QStringLiteral("Form11"));
    setWindowTitle(tr("初期化"));

    auto *frame = new QGroupBox(tr("初期化選択"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto *grid = new QGridLayout(frame);
    grid->setVerticalSpacing(2);
    for (int i = 0; i < 2; ++i) {
        const InitChoice &choice = kInitChoices[i];
        m_options[i] = new QRadioButton(frame);
        m_options[i]->setObjectName(QString::fromLatin1(choice.option));
        grid->addWidget(m_options[i], i * 3, 0, 2, 1, Qt::AlignTop);
        for (int l = 0; l < 2; ++l) {
            auto *label = new QLabel(tr(choice.lines[l]), frame);
            label->setObjectName(QString::fromLatin1(choice.labels[l]));
            label->setBuddy(m_options[i]);
            grid->addWidget(label, i * 3 + l, 1);
        }
        // The option goes by both lines of its label, not the first alone.
        form::nameControls((tr(choice.lines[0]) + tr(choice.lines[1])).trimmed(),
                           {m_options[i]});
        if (i == 0)
            grid->setRowMinimumHeight(2, 10);
    }
    m_options[0]->setChecked(true);

    auto *ok = new QPushButton(tr("登録"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    auto *cancel = new QPushButton(tr("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("Command2"));
    connect(ok, &QPushButton::clicked, this, &InitDialog::initialize);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(18, 14, 18, 14);
    layout->addWidget(frame);
    layout->addLayout(form::buttonRow({ok, cancel}));
    centreOnScreen(this);
}

bool InitDialog::keepBackup()
{
    if (m_backupDone)
        return true;
    profile::Profile read;
    bool wasRead;
    {
        // Read as a restore reads, with the window closed to the operator.
        Session::BusyScope busy(m_session);
        setEnabled(false);
        ProgressScope progress(ProgressScope::Reading, this);
        wasRead = profile::backup(m_session, read, this); // a failure was reported
        setEnabled(true);
    }
    QString why = tr("機器の設定を読めませんでした。");
    if (wasRead)
        m_backup = profile::record(read, m_session.portName, {{}, {}, {}, QStringLiteral("korvanta"), windowTitle(), {}}, &why);
    if (!m_backup.isEmpty())
        return m_backupDone = true;
    MessageRequest ask;
    ask.icon = MessageBox::Warning;
    ask.text = tr("初期化する前の機器の設定を控えとして保存できません。\n%1\n\n控えなしで初期化しますか？").arg(why);
    ask.buttons = MessageBox::Yes | MessageBox::No;
    ask.defaultButton = MessageBox::No;
    return m_backupDone = Messages::show(ask, this) == MessageBox::Yes; // no: the next try reads and asks again
}

void InitDialog::initialize()
{
    if (m_session.busy())
        return;
    if (!keepBackup())
        return; // nothing sent
    Session::BusyScope busy(m_session);
    Link &link = m_session.link;
    const QByteArray &command = kInitChoices[m_options[0]->isChecked() ? 0 : 1].command;
    setEnabled(false);
    DiscardInput(link); // a late "OK" left from an earlier try is not this one's
    link.setInputLen(1);
    link.output(command + '\r');
    const bool acknowledged = AwaitAcknowledge(link, m_session.timing.setDeadlineMs);
    if (!acknowledged)
        Session::reportReceiveFailure(this, command);
    setEnabled(true);
    DiscardInput(link);
    ++m_session.WriteCount; // also after a time-out: the store command follows at exit
    if (!acknowledged)
        return;
    if (!m_backup.isEmpty())
        Messages::inform(tr("初期化しました。\n\n初期化する前の機器の設定:\n%1\n\n「設定の復元」で元に戻せます。").arg(m_backup), this);
    accept();
}

void InitDialog::reject()
{
    if (!m_session.busy())
        QDialog::reject();
}

} // namespace korvanta
