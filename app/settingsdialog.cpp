#include "app/settingsdialog.h"

#include "app/session.h"
#include "app/windows.h"

#include <QCloseEvent>

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
    show();
    centreOnScreen(this);
    readAdapter();
}

void SettingsDialog::closeEvent(QCloseEvent *event)
{
    if (m_session.busy()) {
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
    : m_dialog(dialog),
      m_frozen(kind == ProgressScope::Writing && dialog.isVisible() && dialog.updatesEnabled()),
      m_busy(dialog.session()),
      m_progress(kind, &dialog)
{
    if (m_frozen)
        m_dialog.setUpdatesEnabled(false);
    m_dialog.setEnabled(false);
}

ExchangeScope::~ExchangeScope()
{
    m_dialog.setEnabled(true);
    if (m_frozen)
        m_dialog.setUpdatesEnabled(true);
}

} // namespace korvanta
