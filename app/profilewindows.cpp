// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/profilewindows.h"

#include "link/transport/link.h"
#include "link/session/messages.h"
#include "link/session/session.h"
#include "profile/adapterprofile.h"
#include "profile/destination.h"
#include "profile/history.h"
#include "profile/restore.h"
#include "workfile/workfile.h"
#include "ui/progresswindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QWidget>

#include <optional>

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

LineInUse::LineInUse(Session &session, QWidget *window, ProgressScope::Kind kind)
    : m_busy(session), m_window(window), m_progress(kind, window)
{
    m_window->setEnabled(false);
}

LineInUse::~LineInUse() { m_window->setEnabled(true); }

QStringList described(const QList<profile::Difference> &differences)
{
    QStringList lines;
    for (const profile::Difference &d : differences)
        lines << profile::describe(d);
    return lines;
}

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

namespace {

// What the restore leaves as the adapter has it: the settings the firmware
// lacks, and those the profile does not hold.
QString leftAlone(const profile::RestorePlan &plan, const SettingValues &wanted)
{
    QString text = plan.skipped.isEmpty()
                       ? QString()
                       : Boxes::tr("\n\nこの機器のファームウェアが受け付けないため、次の設定は送信しません:\n") +
                             lacked(plan.skipped, wanted).join(QLatin1Char('\n'));
    if (!plan.unmanaged.isEmpty()) {
        QStringList names;
        for (const SettingKey *k : plan.unmanaged)
            names << k->caption;
        text += Boxes::tr("\n\n設定ファイルにない設定 (そのファームウェアにはありません) は、機器の値のままです:\n") +
                names.join(QLatin1Char('\n'));
    }
    return text;
}

// The restore of wanted, read from source (a profile file, a history entry):
// every change asked for, carried out by profile::restore() and told. The
// exit stores what got through, as after any registering.
bool restoreFrom(Session &session, QWidget *window, const profile::Profile &wanted, const QString &source,
                 QString *kept)
{
    const auto noHistory = [window](const QString &why) {
        tell(Boxes::tr("機器の設定の控えを保存できません。何も送信しません。\n") + why, window, MessageBox::Warning);
        return false;
    };
    // Said before the adapter is read, where it can be told.
    if (const QString why = profile::historyProblem(); !why.isEmpty())
        return noHistory(why);
    profile::RestoreRequest request;
    request.wanted = wanted;
    request.port = session.portName;
    request.about.program = QStringLiteral("korvanta");
    request.about.change = source;
    QString lacking;
    std::optional<LineInUse> line;
    profile::RestoreSteps steps;
    steps.parent = window;
    steps.stepping = [&](profile::Step step) {
        line.emplace(session, window, step == profile::Step::Reading ? ProgressScope::Reading : ProgressScope::Writing);
    };
    steps.confirm = [&](const profile::RestorePlan &plan) {
        line.reset();
        lacking = leftAlone(plan, wanted.values);
        if (plan.changes.isEmpty())
            return true; // nothing to send, nothing to ask
        MessageRequest ask;
        ask.icon = MessageBox::Question;
        ask.text = Boxes::tr("次の %n 件の設定を変更します (機器の値 → 設定ファイルの値)。よろしいですか？\n\n", nullptr,
                             int(plan.changes.size()));
        list(ask, described(plan.changes));
        ask.text += lacking;
        ask.buttons = MessageBox::Yes | MessageBox::No;
        ask.defaultButton = MessageBox::No;
        return Messages::show(ask, window) == MessageBox::Yes;
    };
    const profile::RestoreResult result = profile::restore(session, request, steps);
    line.reset();
    if (kept)
        *kept = result.entry;
    const QString keptLine = result.entry.isEmpty() ? QString() : Boxes::tr("\n\n復元する前の機器の設定:\n") + result.entry;
    const int count = int(result.plan.changes.size());
    switch (result.end) {
    case profile::RestoreEnd::Refused:
        tell(Boxes::tr("設定ファイルの設定はこの機器に送れません。何も送信しません。\n") + result.problem.describe(source), window,
             MessageBox::Warning);
        return false;
    case profile::RestoreEnd::NoHistory:
        return noHistory(result.entryProblem);
    case profile::RestoreEnd::Lacking:
    case profile::RestoreEnd::Declined:
    case profile::RestoreEnd::Stopped:
        return false;
    case profile::RestoreEnd::LineFailed:
        if (result.step == profile::Step::Reading)
            return false; // the reading said why; nothing was sent
        ++session.WriteCount;
        // What the adapter took of the changes, as far as its answers tell.
        tell(Boxes::tr("設定の復元は途中で失敗しました。%n 件の変更のうち、機器が受け付けたもの %1 件、送信して応答のないもの %2 件、"
                       "送信していないもの %3 件です。もう一度復元すると残りを送信します。",
                       nullptr, count)
                     .arg(result.applied.acknowledged.size())
                     .arg(result.applied.unanswered.size())
                     .arg(result.applied.unsent.size()) +
                 keptLine,
             window, MessageBox::Warning);
        return false;
    case profile::RestoreEnd::Unverified: {
        ++session.WriteCount;
        MessageRequest r;
        r.icon = MessageBox::Warning;
        r.text = Boxes::tr("読み返した設定が設定ファイルと違います:\n\n");
        list(r, described(result.applied.unverified));
        r.text += keptLine;
        Messages::show(r, window);
        return false;
    }
    case profile::RestoreEnd::Done:
    case profile::RestoreEnd::StoreFailed:
        break;
    }
    // Settings that an earlier run sent and left unstored are what the
    // adapter holds now: the exit stores them, as after any restore.
    ++session.WriteCount;
    if (count == 0)
        tell(Boxes::tr("機器の設定は設定ファイルと同じです。何も送信しません。") + lacking, window);
    else
        tell(Boxes::tr("設定を復元しました (%n 件)。", nullptr, count) + lacking + keptLine, window);
    return true;
}

} // namespace

bool restoreProfile(Session &session, QWidget *window, QString path, QString *kept)
{
    if (kept)
        kept->clear();
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
    return restoreFrom(session, window, std::get<profile::Profile>(parsed), path, kept);
}

bool restoreEntry(Session &session, QWidget *window, const profile::HistoryEntry &entry, QString *kept)
{
    if (kept)
        kept->clear();
    if (busy(session))
        return false;
    QString why;
    const auto wanted = profile::readEntry(entry, &why);
    if (!wanted) {
        tell(Boxes::tr("履歴を読めません。何も送信しません。\n") + why, window, MessageBox::Warning);
        return false;
    }
    return restoreFrom(session, window, *wanted, entry.path, kept);
}

QString recordRegistration(const Session &session, const QString &window, const SettingValues &read,
                           const SettingValues &sent, QString *error)
{
    error->clear();
    profile::Profile before{session.ModelName, session.FirmwareVersion, {}, {}, true};
    profile::HistoryEntry about;
    about.program = QStringLiteral("korvanta");
    about.change = window;
    // What the registration changed of what the read gave: a setting the
    // read did not get has no value to go back to.
    for (const SettingValues::Entry &e : sent.entries()) {
        const SettingKey *k = profile::findKey(profile::settingKeys(), e.section, e.key);
        const auto old = read.get(e.section, e.key);
        if (!k || !old || *old == e.value)
            continue;
        before.values.set(k->section, k->key, *old);
        about.changed << k->section + u'.' + k->key;
    }
    if (before.values.isEmpty())
        return {};
    return profile::record(before, session.portName, about, error);
}

} // namespace korvanta
