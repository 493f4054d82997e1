// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the telephone and number display window tests share: a simulated
// adapter on an in-process link, a work file in a temporary folder, a session
// with short deadlines, a recorder for message boxes, and small helpers that
// work controls by name as an operator would.

#include "link/session/messages.h"
#include "link/session/session.h"
#include "sim/simulatedadapter.h"
#include "sim/simulatedlink.h"
#include "tests/link/scriptedlink.h"
#include "tests/messagerecorder.h"
#include "workfile/settingvalues.h"
#include "workfile/workfile.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTextBrowser>
#include <QLineEdit>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <memory>

// A link to the simulated adapter's engine whose answer to a chosen command
// line is replaced, for replies the adapter would never give.
class TamperedLink : public ScriptedLink {
public:
    explicit TamperedLink(korvanta::sim::SimulatedAdapter &adapter) : m_adapter(adapter) {}
    void output(const QByteArray &text) override
    {
        const QByteArray line = text.chopped(1);
        written << line;
        const QByteArray reply = replies.contains(line) ? replies.value(line) : m_adapter.respond(text);
        QTimer::singleShot(0, this, [this, reply] { deliver(reply); });
    }
    QMap<QByteArray, QByteArray> replies; // command line (no CR) -> whole answer

private:
    korvanta::sim::SimulatedAdapter &m_adapter;
};

struct SimFixture {
    explicit SimFixture(bool newFirmware = true, bool tampered = false)
    {
        if (!newFirmware) {
            auto f = adapter.faults();
            f.firmware = korvanta::sim::kOldFirmware;
            adapter.setFaults(f);
            adapter.factoryReset();
        }
        if (tampered) {
            tamperedLink = std::make_unique<TamperedLink>(adapter);
            link = tamperedLink.get();
        } else {
            simLink = std::make_unique<korvanta::sim::SimulatedLink>(adapter);
            simLink->open();
            link = simLink.get();
        }
        work = std::make_unique<korvanta::WorkFile>(dir.filePath(QStringLiteral("mail.ini")));
        session = std::make_unique<korvanta::Session>(*link, *work, korvanta::Timing{}.scaled(20));
        session->NewFirmwareFlag = newFirmware ? QStringLiteral("1") : QStringLiteral("0");
        QFile help(dir.filePath(QStringLiteral("korvanta.hlp")));
        if (help.open(QIODevice::WriteOnly)) {
            for (int context = 1; context <= 15; ++context)
                help.write(QStringLiteral("<h1><a name=\"%1\">%1</a></h1><p>.</p>").arg(context).toUtf8());
            help.close();
        }
        session->helpFileOverride = help.fileName();
    }

    void setFault(const std::function<void(korvanta::sim::Faults &)> &change)
    {
        auto f = adapter.faults();
        change(f);
        adapter.setFaults(f);
    }
    QString stored(const char *section, const char *key) const
    {
        return work->fetch(QLatin1String(section), QLatin1String(key), QStringLiteral("<none>"));
    }
    QStringList messageTexts() const { return recorder.texts(); }

    QTemporaryDir dir;
    korvanta::sim::SimulatedAdapter adapter;
    std::unique_ptr<korvanta::sim::SimulatedLink> simLink;
    std::unique_ptr<TamperedLink> tamperedLink;
    korvanta::Link *link = nullptr;
    std::unique_ptr<korvanta::WorkFile> work;
    std::unique_ptr<korvanta::Session> session;
    MessageRecorder recorder;
    QList<korvanta::MessageRequest> &messages = recorder.boxes;
    QWidget opener;
};

template <class T = QWidget> T *child(QWidget *root, const QString &name)
{
    T *w = root->findChild<T *>(name);
    if (!w)
        qWarning("no control %s", qPrintable(name));
    return w;
}

// Does what an operator does, step by step: "Option28" clicks the control,
// "Text8=12" replaces a box's text, "tab:2" selects a tab of SSTab1.
inline void act(QWidget *root, const QStringList &steps)
{
    for (const QString &step : steps) {
        if (step.startsWith(QLatin1String("tab:"))) {
            child<QTabWidget>(root, QStringLiteral("SSTab1"))->setCurrentIndex(step.mid(4).toInt());
        } else if (const int eq = step.indexOf(QLatin1Char('=')); eq > 0) {
            child<QLineEdit>(root, step.left(eq))->setText(step.mid(eq + 1));
        } else {
            child<QAbstractButton>(root, step)->click();
        }
    }
}

// The context number the help window shows, or -1 when it is not open.
inline int helpContextShown()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("HelpWindow") && w->isVisible())
            if (auto *text = w->findChild<QTextBrowser *>(QStringLiteral("HelpText")))
                return text->source().fragment().toInt();
    return -1;
}

inline bool isChecked(QWidget *root, const QString &name)
{
    return child<QAbstractButton>(root, name)->isChecked();
}

inline bool isEnabled(QWidget *root, const QString &name)
{
    return child<QWidget>(root, name)->isEnabled();
}

// A record of values from "SECTION/KEY=value" pairs, and back.
inline korvanta::SettingValues settingValues(const QStringList &pairs)
{
    korvanta::SettingValues values;
    for (const QString &pair : pairs)
        values.set(pair.section(u'/', 0, 0), pair.section(u'/', 1).section(u'=', 0, 0), pair.section(u'=', 1));
    return values;
}

inline QStringList pairsOf(const korvanta::SettingValues &values)
{
    QStringList pairs;
    for (const auto &e : values.entries())
        pairs << e.section + u'/' + e.key + u'=' + e.value;
    return pairs;
}

// Whether every value is of a setting the core describes, and one the
// setting accepts.
inline bool described(const korvanta::SettingValues &values, const std::vector<korvanta::SettingKey> &keys)
{
    for (const auto &e : values.entries()) {
        const auto key = std::find_if(keys.begin(), keys.end(),
                                      [&](const korvanta::SettingKey &k) { return k.section == e.section && k.key == e.key; });
        if (key == keys.end() || !key->accepts(e.value)) {
            qWarning("%s/%s=%s", qPrintable(e.section), qPrintable(e.key), qPrintable(e.value));
            return false;
        }
    }
    return true;
}

// What a core's whole-subsystem functions owe after a read into values: the
// values written back send nothing; an adapter fallen silent fails the
// reading with the message and ReadFailed.
template <class ReadAll, class WriteAll>
void checkBackAndSilent(SimFixture &f, korvanta::SettingValues &values, ReadAll readAll, WriteAll writeAll)
{
    f.adapter.clearLog();
    QVERIFY(writeAll(*f.session, values, nullptr));
    QCOMPARE(f.adapter.log(), QList<QByteArray>{});
    f.setFault([](korvanta::sim::Faults &x) { x.silent = true; });
    QVERIFY(!readAll(*f.session, values, nullptr));
    QCOMPARE(f.session->ReadFailed, 1);
    QCOMPARE(f.messageTexts(), QStringList{korvanta::kReceiveFailed});
}
