// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/profilewindows.h"

#include "link/link.h"
#include "link/messages.h"
#include "link/session.h"
#include "profile/adapterprofile.h"
#include "profile/destination.h"
#include "profile/history.h"
#include "workfile/workfile.h"
#include "ui/progresswindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QWidget>

namespace korvanta {

namespace {

// The boxes of the main window's "設定の保存" and "設定の復元".
struct Boxes {
    Q_DECLARE_TR_FUNCTIONS(korvanta::MainWindow)
};

QString filter()
{
    return Boxes::tr("設定ファイル (*.ini);;すべてのファイル (*)");
}
// Shown in the box itself; all of a longer list unfolds below it.
constexpr int kListedInBox = 12;

// The main window disabled and the session busy while the line is in use;
// the progress window over it.
class LineInUse {
public:
    LineInUse(Session &session, QWidget *window, ProgressScope::Kind kind)
        : m_busy(session), m_window(window), m_progress(kind, window)
    {
        m_window->setEnabled(false);
    }
    ~LineInUse() { m_window->setEnabled(true); }

private:
    Session::BusyScope m_busy;
    QWidget *m_window;
    ProgressScope m_progress;
};

void tell(const QString &text, QWidget *window, MessageBox::Icon icon = MessageBox::Information,
          const QString &details = {})
{
    MessageRequest r;
    r.icon = icon;
    r.text = text;
    r.details = details;
    Messages::show(r, window);
}

// A list in a box: its first lines, and all of it to unfold when longer.
void list(MessageRequest &r, const QStringList &lines)
{
    r.text += lines.mid(0, kListedInBox).join(QLatin1Char('\n'));
    if (lines.size() > kListedInBox) {
        r.text += Boxes::tr("\n… ほか %n 件", nullptr, int(lines.size() - kListedInBox));
        r.details = lines.join(QLatin1Char('\n'));
    }
}

QStringList described(const QList<profile::Difference> &differences)
{
    QStringList lines;
    for (const profile::Difference &d : differences)
        lines << profile::describe(d);
    return lines;
}

// Each setting the firmware cannot take, with what it lacks: the setting, or
// only the profile's value of it.
QStringList lacked(const QList<const SettingKey *> &settings, const SettingValues &wanted)
{
    QStringList lines;
    for (const SettingKey *k : settings)
        lines << k->caption + QStringLiteral(": ") + profile::lackReason(*k, wanted);
    return lines;
}

bool busy(const Session &session) { return session.busy() || !session.link.isOpen(); }

} // namespace

bool saveProfile(Session &session, QWidget *window, QString path)
{
    if (busy(session))
        return false;
    if (path.isEmpty())
        path = QFileDialog::getSaveFileName(window, Boxes::tr("設定の保存"),
                                            QDir::home().filePath(QStringLiteral("korvanta.ini")), filter());
    if (path.isEmpty())
        return false;
    const auto cannotWrite = [window](const QString &why) {
        tell(Boxes::tr("設定ファイルに書き込めません。\n%1").arg(why), window, MessageBox::Warning);
        return false;
    };
    // What cannot be written is said before the adapter is read.
    QString why = profile::workFileClash(path, session.workFile.path());
    if (why.isEmpty())
        why = profile::unwritableReason(path);
    if (!why.isEmpty())
        return cannotWrite(why);
    profile::Profile p;
    {
        LineInUse line(session, window, ProgressScope::Reading);
        if (!profile::backup(session, p, window))
            return false; // the reading said why
    }
    // Only a file that restores is written; the old one stays as it was.
    why = profile::unrestorable(p);
    if (why.isEmpty())
        why = profile::writeFile(path, profile::write(p));
    if (!why.isEmpty())
        return cannotWrite(why);
    tell(Boxes::tr("設定を保存しました。\n%1").arg(path), window);
    return true;
}

bool restoreProfile(Session &session, QWidget *window, QString path)
{
    if (busy(session))
        return false;
    if (path.isEmpty())
        path = QFileDialog::getOpenFileName(window, Boxes::tr("設定の復元"), QDir::homePath(), filter());
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        tell(Boxes::tr("設定ファイルを読めません。\n%1\n%2").arg(path, file.errorString()), window,
             MessageBox::Warning);
        return false;
    }
    const auto parsed = profile::parse(file.readAll());
    if (const auto *error = std::get_if<profile::ParseError>(&parsed)) {
        tell(Boxes::tr("設定ファイルに誤りがあります。何も送信しません。\n") + error->describe(path), window,
             MessageBox::Warning);
        return false;
    }
    const profile::Profile &wanted = std::get<profile::Profile>(parsed);

    profile::RestorePlan plan;
    profile::ParseError problem;
    profile::Outcome outcome;
    {
        LineInUse line(session, window, ProgressScope::Reading);
        outcome = profile::plan(session, wanted, plan, &problem, window);
    }
    if (outcome == profile::Outcome::LineFailed)
        return false;
    if (outcome == profile::Outcome::Refused) {
        tell(Boxes::tr("設定ファイルの設定はこの機器に送れません。何も送信しません。\n") + problem.describe(path), window,
             MessageBox::Warning);
        return false;
    }
    QString lacking = plan.skipped.isEmpty()
                          ? QString()
                          : Boxes::tr("\n\nこの機器のファームウェアが受け付けないため、次の設定は送信しません:\n") +
                                lacked(plan.skipped, wanted.values).join(QLatin1Char('\n'));
    if (!plan.unmanaged.isEmpty()) {
        QStringList names;
        for (const SettingKey *k : plan.unmanaged)
            names << k->caption;
        lacking += Boxes::tr("\n\n設定ファイルにない設定 (そのファームウェアにはありません) は、機器の値のままです:\n") +
                   names.join(QLatin1Char('\n'));
    }
    if (plan.changes.isEmpty()) {
        // Settings that an earlier run sent and left unstored are what the
        // adapter holds now: the exit stores them, as after any restore.
        ++session.WriteCount;
        tell(Boxes::tr("機器の設定は設定ファイルと同じです。何も送信しません。") + lacking, window);
        return true;
    }

    MessageRequest ask;
    ask.icon = MessageBox::Question;
    ask.text = Boxes::tr("次の %n 件の設定を変更します (機器の値 → 設定ファイルの値)。よろしいですか？\n\n", nullptr,
                         int(plan.changes.size()));
    list(ask, described(plan.changes));
    ask.text += lacking;
    ask.buttons = MessageBox::Yes | MessageBox::No;
    ask.defaultButton = MessageBox::No;
    if (Messages::show(ask, window) != MessageBox::Yes)
        return false;

    // The adapter's settings as read, kept before the first is changed, so
    // that one more restore undoes this one.
    QString why;
    const QString backup = profile::record({session.ModelName, session.FirmwareVersion, plan.adapter}, session.portName,
                                           {{}, {}, {}, QStringLiteral("korvanta"), path, {}}, &why);
    if (backup.isEmpty()) {
        tell(Boxes::tr("機器の設定の控えを保存できません。何も送信しません。\n") + why, window, MessageBox::Warning);
        return false;
    }
    const QString kept = Boxes::tr("\n\n復元する前の機器の設定:\n") + backup;

    profile::ApplyResult result;
    {
        LineInUse line(session, window, ProgressScope::Writing);
        result = profile::apply(session, plan, window);
    }
    // Whatever got through is stored at exit, as after any registering.
    ++session.WriteCount;
    if (result.outcome != profile::Outcome::Done) {
        // What the adapter took of the changes, as far as its answers tell.
        tell(Boxes::tr("設定の復元は途中で失敗しました。%n 件の変更のうち、機器が受け付けたもの %1 件、送信して応答のないもの %2 件、"
                       "送信していないもの %3 件です。もう一度復元すると残りを送信します。",
                       nullptr, int(plan.changes.size()))
                 .arg(result.acknowledged.size())
                 .arg(result.unanswered.size())
                 .arg(result.unsent.size()) +
                 kept,
             window, MessageBox::Warning);
        return false;
    }
    if (!result.unverified.isEmpty()) {
        MessageRequest r;
        r.icon = MessageBox::Warning;
        r.text = Boxes::tr("読み返した設定が設定ファイルと違います:\n\n");
        list(r, described(result.unverified));
        r.text += kept;
        Messages::show(r, window);
        return false;
    }
    tell(Boxes::tr("設定を復元しました (%n 件)。", nullptr, int(plan.changes.size())) + lacking + kept, window);
    return true;
}

} // namespace korvanta
