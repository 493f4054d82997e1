// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "profile/history.h"
#include "workfile/settingvalues.h"

#include <QDialog>
#include <QList>
#include <QSet>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace korvanta {

class Session;

// "履歴": the connected adapter's history, newest first (when, which program,
// what change, which settings). The entry selected shows what differs
// between it and the adapter now, the adapter read only for the settings
// the entry holds (and once for each); "復元" brings it back as a merge,
// which keeps an entry of its own, so that a restore from here is undone in
// turn.
class HistoryWindow : public QDialog {
    Q_OBJECT
public:
    HistoryWindow(Session &session, QWidget *parent = nullptr);

signals:
    // A restore from here sent something; entry is what it kept before.
    void restored(const QString &entry);

protected:
    // While the line is in use the window stays.
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    // The entries listed anew, the one at path selected when still there.
    void fill(const QString &path = {});
    void showDifferences();
    void restoreSelected();

    Session &m_session;
    QList<profile::HistoryEntry> m_entries;
    QTreeWidget *m_list;
    QPlainTextEdit *m_differences;
    QPushButton *m_restore;
    SettingValues m_now;                    // the adapter's settings read this far
    QSet<const SettingKey *> m_read;         // which of them
};

} // namespace korvanta
