// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settingsdialog.h"

#include "link/link.h"
#include "link/session.h"
#include "ui/windows.h"
#include "workfile/workfile.h"

#include <QCloseEvent>
#include <QLayout>
#include <QScreen>

namespace korvanta {

SettingsDialog::SettingsDialog(Session &session, QWidget *opener, const QString &formName)
    : QDialog(opener, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_session(session), m_opener(opener)
{
    setObjectName(formName);
    setAttribute(Qt::WA_DeleteOnClose);
}

SettingsDialog::~SettingsDialog()
{
    if (m_opener)
        m_opener->setEnabled(true);
}

void SettingsDialog::openAndRead()
{
    if (m_opener)
        m_opener->setEnabled(false);
    setEnabled(true); // a child window is disabled with its opener otherwise
    readAdapter();
    // Centred when what was read is complete. A window that centred itself
    // during its read is centred again at the size it shows with; any other
    // window whose reading failed opens over its opener's corner instead.
    const bool centred = m_session.ReadFailed != 1 || testAttribute(Qt::WA_Moved);
    if (!centred) {
        const QWidget *top = m_opener ? m_opener->window() : nullptr;
        move(top ? top->frameGeometry().topLeft() : screen()->availableGeometry().topLeft());
    }
    show();
    if (centred)
        centreOnScreen(this);
}

void SettingsDialog::runExchange(ProgressScope::Kind kind, const std::function<void()> &steps)
{
    ExchangeScope exchange(*this, kind);
    steps();
}

void SettingsDialog::registerAndClose(const std::function<bool()> &writes)
{
    bool written = false;
    {
        ExchangeScope exchange(*this, ProgressScope::Writing);
        WorkFile::Batch batch(m_session.workFile); // what was read, looked up many times
        written = writes();
        ++m_session.WriteCount;
        if (written)
            exchange.closing();
    }
    if (!written)
        return;
    // Left disabled by the write, the window closes all the same.
    m_registered = true;
    close();
    m_registered = false;
    if (isVisible()) { // the close was refused: the window goes on working
        setEnabled(true);
        setUpdatesEnabled(true);
    }
}

void SettingsDialog::closeEvent(QCloseEvent *event)
{
    // Disabled, the window is not the one the operator works in: a window it
    // opened is open over it, with what the operator has not registered yet,
    // and would go with it.
    if (m_session.busy() || (!isEnabled() && !m_registered)) {
        event->ignore();
        return;
    }
    if (m_opener)
        m_opener->setEnabled(true);
    QDialog::closeEvent(event);
}

void SettingsDialog::reject()
{
    // QDialog's own close path: close() here would be refused while a close
    // event is already being handled (QDialog::closeEvent calls reject()).
    if (!m_session.busy())
        QDialog::reject();
}

ExchangeScope::ExchangeScope(SettingsDialog &dialog, ProgressScope::Kind kind)
    : m_dialog(dialog), m_kind(kind), m_busy(dialog.session())
{
    dialog.session().link.whenSent([this] { engage(); });
}

void ExchangeScope::engage()
{
    // A hidden window takes no input: only one on screen is disabled. One
    // that shows after the sequence has its styles and layout worked out
    // now, while the adapter answers.
    m_disabled = m_dialog.isVisible();
    if (!m_disabled) {
        m_dialog.ensurePolished();
        if (QLayout *layout = m_dialog.layout())
            layout->activate();
    }
    m_frozen = m_disabled && m_kind == ProgressScope::Writing && m_dialog.updatesEnabled();
    if (m_frozen)
        m_dialog.setUpdatesEnabled(false);
    if (m_disabled)
        m_dialog.setEnabled(false);
    m_progress.emplace(m_kind, &m_dialog);
}

ExchangeScope::~ExchangeScope()
{
    m_dialog.session().link.whenSent({});
    m_progress.reset();
    if (m_closing)
        return;
    if (m_disabled)
        m_dialog.setEnabled(true);
    if (m_frozen)
        m_dialog.setUpdatesEnabled(true);
}

} // namespace korvanta
