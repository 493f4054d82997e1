// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/session/session.h"
#include "ui/progresswindow.h"
#include "workfile/settingvalues.h"

#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace korvanta {

// A window that works on the adapter: opened modeless after its opener has been
// disabled, reads the adapter when it opens, and enables its opener again when
// it closes. While an exchange is under way, or while it is disabled under a
// window it opened, it cannot be closed; closing it by the window frame is the
// same as its cancel button.
//
// The window knows which controls show which setting. "登録" sends a setting
// only when the window's read filled it or the operator changed what one of
// its controls shows since: a control left as a failed read left it, empty
// or unselected, sends nothing, whatever the work file holds. The parts of
// the window that the read could not fill say so beside the tab or frame
// caption.
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

    // Of what the controls show, what "登録" may send: the settings the read
    // filled and those the operator changed since. During "登録", what it
    // gives is what the registration sends: Session::registered is told it,
    // with what the read gave, once something went out.
    SettingValues sendable(const SettingValues &shown) const;
    bool sends(const QString &section, const QString &key) const;

protected:
    // The reads of the window's load: fill the controls from the adapter.
    // Returns what the reads gave, the settings whose controls they filled.
    virtual SettingValues readAdapter() = 0;
    // Ties the controls that show one setting (line edits, check boxes,
    // option buttons) to its section and key in the window's record.
    void bindSetting(const QString &section, const QString &key, const QList<QWidget *> &controls);
    void closeEvent(QCloseEvent *event) override;
    void reject() override; // Escape: as cancel, unless busy

private:
    struct Binding {
        QList<QWidget *> controls;
        bool filled = false; // by the last read
        QStringList loaded;  // unfilled: what the controls showed once it was done
        QStringList state() const;
    };
public:
    // A setting's section and key, compared without case as in the work file.
    struct Name {
        QString section;
        QString key;
    };

private:
    // The tabs and frames of what the read left unfilled get their mark.
    void markUnread();

    Session &m_session;
    QPointer<QWidget> m_opener;
    bool m_registered = false; // closing after a successful write
    bool m_marked = false;     // a caption says what the read did not get
    SettingValues m_read;      // what the window's read gave
    bool m_registering = false;
    mutable std::optional<SettingValues> m_sending; // what the registration under way sends
    std::vector<Binding> m_bindings;
    QHash<Name, size_t> m_index;
};

bool operator==(const SettingsDialog::Name &a, const SettingsDialog::Name &b);
size_t qHash(const SettingsDialog::Name &name, size_t seed = 0);

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
