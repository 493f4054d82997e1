// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDialog>

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
// keeps the dial information.
class InitDialog : public QDialog {
    Q_OBJECT
public:
    InitDialog(Session &session, QWidget *parent = nullptr);

protected:
    void reject() override;

private:
    void initialize();

    Session &m_session;
    QRadioButton *m_options[2];
};

} // namespace korvanta
