#pragma once

#include "app/progresswindow.h"
#include "app/session.h"

#include <QDialog>
#include <QPointer>

namespace korvanta {

// A window that works on the adapter: opened modeless after its opener has been
// disabled, reads the adapter when it opens, and enables its opener again when
// it closes. While an exchange is under way it cannot be closed; closing it by
// the window frame is the same as its cancel button.
class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    SettingsDialog(Session &session, QWidget *opener, const QString &formName);
    ~SettingsDialog() override;

    // Disables the opener, shows and centres the window, then reads the
    // adapter (the window's load).
    void openAndRead();

    Session &session() const { return m_session; }
    QWidget *opener() const { return m_opener; }

protected:
    // The reads of the window's load: fill the controls from the adapter.
    virtual void readAdapter() = 0;
    void closeEvent(QCloseEvent *event) override;
    void reject() override; // Escape: as cancel, unless busy

private:
    Session &m_session;
    QPointer<QWidget> m_opener;
};

// Around every read or write sequence of a window: the progress window, the
// session marked busy and the window disabled. A window that is already on
// screen is not repainted greyed for a write: what it shows stays, the progress
// window says why it does not answer, and the milliseconds a short command
// takes on the line are not spent painting.
class ExchangeScope {
public:
    ExchangeScope(SettingsDialog &dialog, ProgressScope::Kind kind);
    ~ExchangeScope();
    ExchangeScope(const ExchangeScope &) = delete;
    ExchangeScope &operator=(const ExchangeScope &) = delete;

private:
    SettingsDialog &m_dialog;
    const bool m_frozen;
    Session::BusyScope m_busy;
    ProgressScope m_progress;
};

} // namespace korvanta
