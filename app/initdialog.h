// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDialog>
#include <QString>

class QRadioButton;

namespace korvanta {

class Session;

// The two ways back to the factory settings, with the explanation beside each.
struct InitChoice {
    const char *option;   // the option button
    const char *labels[2]; // the two explanation labels
    const char *lines[2];  // their text
    QByteArray command;
};
extern const InitChoice kInitChoices[2];

// The initialization window "初期化": "AT%Z" sets everything back, "AT&F"
// keeps the dial information. Before the first try the adapter's settings are
// read and kept as an automatic backup, as before a restore, so that
// "設定の復元" can undo an initialization; without one it asks first.
class InitDialog : public QDialog {
    Q_OBJECT
public:
    InitDialog(Session &session, QWidget *parent = nullptr);

    // Reads the adapter's settings and keeps them as an automatic backup,
    // once a window: the first try of the initialization does it. Without a
    // backup the operator is asked whether to go on; false when not.
    bool keepBackup();

protected:
    void reject() override;

private:
    void initialize();

    Session &m_session;
    QRadioButton *m_options[2];
    bool m_backupDone = false; // kept, or going on without: a retry neither reads nor asks again
    QString m_backup;           // where the settings went, or empty
};

} // namespace korvanta
