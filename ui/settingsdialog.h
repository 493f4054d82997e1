// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/session.h"
#include "ui/progresswindow.h"

#include <QDialog>
#include <QPointer>

#include <functional>
#include <optional>

namespace korvanta {

// A window that works on the adapter: opened modeless after its opener has been
// disabled, reads the adapter when it opens, and enables its opener again when
// it closes. While an exchange is under way, or while it is disabled under a
// window it opened, it cannot be closed; closing it by the window frame is the
// same as its cancel button.
class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    SettingsDialog(Session &session, QWidget *opener, const QString &formName);
    ~SettingsDialog() override;

    // Disables the opener, reads the adapter while the window is still hidden
    // (the window's load: the progress window shows meanwhile), then shows
    // the window with what was read: centred on the screen unless ReadFailed
    // is 1 afterwards and the window did not centre itself while reading.
    void openAndRead();

    Session &session() const { return m_session; }
    QWidget *opener() const { return m_opener; }

    // A read or write sequence of the window, under an ExchangeScope.
    void runExchange(ProgressScope::Kind kind, const std::function<void()> &steps);
    // "登録": the write sequence, counted in WriteCount whatever its outcome;
    // the window closes when writes reports success and stays open otherwise.
    void registerAndClose(const std::function<bool()> &writes);

protected:
    // The reads of the window's load: fill the controls from the adapter.
    virtual void readAdapter() = 0;
    void closeEvent(QCloseEvent *event) override;
    void reject() override; // Escape: as cancel, unless busy

private:
    Session &m_session;
    QPointer<QWidget> m_opener;
    bool m_registered = false; // closing after a successful write
};

// Around every read or write sequence of a window: the session marked busy at
// once; the progress window and the window disabled once the first command is
// on its way, so that they take the line's time instead of holding the command
// back (a sequence that sends nothing shows nothing). A window already on
// screen is not repainted greyed for a write: what it shows stays, the progress
// window says why it does not answer, and the milliseconds a short command
// takes on the line are not spent painting.
class ExchangeScope {
public:
    ExchangeScope(SettingsDialog &dialog, ProgressScope::Kind kind);
    ~ExchangeScope();
    ExchangeScope(const ExchangeScope &) = delete;
    ExchangeScope &operator=(const ExchangeScope &) = delete;

    // The window closes after the sequence: it is left as it is, not enabled
    // and repainted first.
    void closing() { m_closing = true; }

private:
    void engage();

    SettingsDialog &m_dialog;
    const ProgressScope::Kind m_kind;
    Session::BusyScope m_busy;
    bool m_disabled = false;
    bool m_frozen = false;
    bool m_closing = false;
    std::optional<ProgressScope> m_progress;
};

} // namespace korvanta
