// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the safety tests share: every settings window by form name, a session
// on the simulated adapter in this process, and the rule every command line
// the utility sends must keep.

#include "dataport/bapdialog.h"
#include "dataport/dataportdialog.h"
#include "dataport/throughputboddialog.h"
#include "link/session/messages.h"
#include "link/session/session.h"
#include "numberdisplay/numberdisplaydialog.h"
#include "shortdial/shortdialdialog.h"
#include "sim/simulatedadapter.h"
#include "sim/simulatedlink.h"
#include "telephone/telephonedialog.h"
#include "ui/settingsdialog.h"
#include "workfile/workfile.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <memory>

namespace safety {

struct Window {
    const char *form;
    korvanta::SettingsDialog *(*open)(korvanta::Session &session, QWidget *opener);
};

inline const Window kWindows[] = {
    {"Form2", [](korvanta::Session &s, QWidget *o) -> korvanta::SettingsDialog * { return new korvanta::TelephoneDialog(s, o); }},
    {"Form3", [](korvanta::Session &s, QWidget *o) -> korvanta::SettingsDialog * { return new korvanta::DataPortDialog(s, o); }},
    {"Form4", [](korvanta::Session &s, QWidget *o) -> korvanta::SettingsDialog * { return new korvanta::ShortDialDialog(s, o); }},
    {"Form5", [](korvanta::Session &s, QWidget *o) -> korvanta::SettingsDialog * { return new korvanta::ThroughputBodDialog(s, o); }},
    {"Form6", [](korvanta::Session &s, QWidget *o) -> korvanta::SettingsDialog * { return new korvanta::BapDialog(s, o); }},
    {"Form14", [](korvanta::Session &s, QWidget *o) -> korvanta::SettingsDialog * { return new korvanta::NumberDisplayDialog(s, 1, o); }},
};

inline const Window &window(const QString &form)
{
    for (const Window &w : kWindows)
        if (form == QLatin1String(w.form))
            return w;
    qFatal("no window %s", qPrintable(form));
}

// The adapter's command lines as the utility may write them. Free text goes
// only into the number commands, which take the rest of the line: telephone
// numbers are 0-9 - ( ) # up to 32, subaddresses 0-9 # * up to 20, a directory
// entry a number, "*" and a subaddress. Every other line is a run of setting
// pieces with decimal values; the adapter's actions (&F, %Z, &W, Z, D, ...)
// never appear in what a window writes.
inline bool wellFormedWrite(const QByteArray &line)
{
    static const QRegularExpression number(QStringLiteral(R"(^AT\$[CG][1-5]=[0-9()#-]{0,32}$)"));
    static const QRegularExpression subaddress(QStringLiteral(R"(^AT\$E[1-5]=[0-9#*]{0,20}$)"));
    static const QRegularExpression directory(
        QStringLiteral(R"(^AT&Z(1[0-9]|[0-9])=[0-9()#-]{0,32}(\*[0-9#*]{0,20})?$)"));
    static const QRegularExpression pieces(
        QStringLiteral(R"(^AT(?:(?:\$[A-Z][0-9]{0,2}|@[IJ][0-9]?|%[ACDUY]|&B)(?:=[0-9]{1,3}|[0-9]{0,3}))+$)"));
    const QString text = QString::fromLatin1(line);
    for (const auto *rule : {&number, &subaddress, &directory, &pieces})
        if (rule->match(text).hasMatch())
            return true;
    return false;
}

// A session on the simulated adapter, with a work file in a folder of its own
// and short deadlines; message boxes are recorded and answered OK.
struct Bench {
    explicit Bench(const QString &workPath = {}, const korvanta::Timing &timing = korvanta::Timing{}.scaled(20))
        : link(adapter)
    {
        link.open();
        work = std::make_unique<korvanta::WorkFile>(workPath.isEmpty() ? dir.filePath(QStringLiteral("mail.ini"))
                                                                       : workPath);
        session = std::make_unique<korvanta::Session>(link, *work, timing);
        session->NewFirmwareFlag = QStringLiteral("1");
        korvanta::Messages::setHandler([this](const korvanta::MessageRequest &r) {
            messages << r.text;
            return korvanta::MessageBox::Ok;
        });
        korvanta::Messages::setBeepHandler([] {});
    }
    ~Bench() { korvanta::Messages::setHandler(nullptr); }

    void setFault(const std::function<void(korvanta::sim::Faults &)> &change)
    {
        auto f = adapter.faults();
        change(f);
        adapter.setFaults(f);
    }

    QTemporaryDir dir;
    korvanta::sim::SimulatedAdapter adapter;
    korvanta::sim::SimulatedLink link;
    std::unique_ptr<korvanta::WorkFile> work;
    std::unique_ptr<korvanta::Session> session;
    QStringList messages;
};

// A window's "登録" button.
inline QPushButton *registerButton(QWidget *dialog)
{
    for (QPushButton *b : dialog->findChildren<QPushButton *>())
        if (b->text() == QStringLiteral("登録"))
            return b;
    return nullptr;
}

} // namespace safety
