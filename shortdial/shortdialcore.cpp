// SPDX-License-Identifier: GPL-3.0-or-later
#include "shortdial/shortdialcore.h"

#include "link/session/messages.h"
#include "link/session/session.h"
#include "workfile/charset.h"
#include "workfile/workfile.h"

#include <QCoreApplication>

namespace korvanta::shortdial {

namespace {
QString keyOf(int entry)
{
    return QString::fromLatin1(kEntryRows[entry].key);
}
} // namespace

bool NumRead(Session &session, SettingValues &values, QObject *parent)
{
    session.ReadFailed = 0;
    const auto answer = session.query(readCommand(), kDirectoryWindow);
    const auto entries = answer ? parseDirectory(*answer) : std::nullopt;
    if (!entries) {
        Session::reportReceiveFailure(parent);
        return false;
    }
    WorkFile::Batch batch(session.workFile);
    const ReadKeeper keep{session.workFile, values, kSection, settingKeys()};
    for (const ReadEntry &read : *entries) {
        if (!keep(kEntryRows[read.entry].key, read.stored)) {
            Messages::warn(keep.refusal, parent);
            Session::reportReceiveFailure(parent);
            return false;
        }
    }
    return true;
}

bool NumWrite(Session &session, const SettingValues &wanted, QObject *parent)
{
    std::array<std::optional<QString>, kEntryCount> forms;
    for (int i = 0; i < kEntryCount; ++i)
        forms[i] = wanted.get(kSection, keyOf(i));
    const WorkFile &file = session.workFile;
    return session.setEach(
        changedEntryCommands(forms, [&file](const QString &key) { return file.fetch(kSection, key); }), parent);
}

namespace {
// A caption of the window's tables in the operator's language.
QString caption(const char *text)
{
    return QCoreApplication::translate("korvanta::ShortDialDialog", text);
}
} // namespace

const std::vector<SettingKey> &settingKeys()
{
    static const std::vector<SettingKey> keys = [] {
        std::vector<SettingKey> k;
        for (int i = 0; i < kEntryCount; ++i)
            k.push_back({kSection, keyOf(i),
                         caption(kWindowTitle) + QStringLiteral(" / ") +
                             caption(kTabCaptions[i / kEntriesPerTab]).trimmed() + QStringLiteral(" / ") +
                             keyOf(i) + QLatin1Char(':'),
                         false, [](const QString &v) { return accepts(v); }});
        for (SettingKey &key : k)
            key.domain.text = {{charset::kNumber, kNumberMaxLength}, {charset::kSubaddress, kSubaddressMaxLength}};
        return k;
    }();
    return keys;
}

bool readAll(Session &session, SettingValues &values, QObject *parent)
{
    Session::BusyScope busy(session);
    if (NumRead(session, values, parent))
        return true;
    session.ReadFailed = 1;
    return false;
}

bool writeAll(Session &session, const SettingValues &wanted, QObject *parent)
{
    Session::BusyScope busy(session);
    return NumWrite(session, wanted, parent);
}

} // namespace korvanta::shortdial
