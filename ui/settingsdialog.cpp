// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/settingsdialog.h"

#include "link/transport/link.h"
#include "link/session/session.h"
#include "ui/windows.h"
#include "workfile/workfile.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLayout>
#include <QLineEdit>
#include <QScreen>
#include <QTabWidget>

#include <algorithm>
#include <utility>

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
    m_read = readAdapter();
    for (Binding &b : m_bindings)
        b.filled = false;
    for (const SettingValues::Entry &e : m_read.entries())
        if (const auto i = m_index.constFind({e.section, e.key}); i != m_index.cend())
            m_bindings[*i].filled = true;
    // What a filled setting shows goes out anyway: only the others need
    // their state kept to tell a change.
    for (Binding &b : m_bindings)
        b.loaded = b.filled ? QStringList() : b.state();
    markUnread();
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

void SettingsDialog::bindSetting(const QString &section, const QString &key, const QList<QWidget *> &controls)
{
    Q_ASSERT(!controls.isEmpty());
    m_index.insert({section, key}, m_bindings.size());
    m_bindings.push_back({controls});
}

QStringList SettingsDialog::Binding::state() const
{
    QStringList shown;
    for (QWidget *control : controls) {
        if (const auto *box = qobject_cast<QLineEdit *>(control))
            shown << box->text();
        else if (const auto *button = qobject_cast<QAbstractButton *>(control))
            shown << (button->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
        else
            qFatal("bindSetting: %s is not a box or a button", qPrintable(control->objectName()));
    }
    return shown;
}

bool operator==(const SettingsDialog::Name &a, const SettingsDialog::Name &b)
{
    return sameSettingName(a.section, a.key, b.section, b.key);
}

size_t qHash(const SettingsDialog::Name &name, size_t seed)
{
    return settingNameHash(name.section, name.key, seed);
}

bool SettingsDialog::sends(const QString &section, const QString &key) const
{
    const auto i = m_index.constFind({section, key});
    if (i == m_index.cend())
        return false;
    // Changed: the controls no longer show what the read left in them.
    const Binding &b = m_bindings[*i];
    return b.filled || b.state() != b.loaded;
}

SettingValues SettingsDialog::sendable(const SettingValues &shown) const
{
    SettingValues values = shown;
    values.removeIf([this](const SettingValues::Entry &e) { return !sends(e.section, e.key); });
    if (m_registering)
        m_sending = values;
    return values;
}

namespace {
// A tab's or frame's caption as built, before any mark.
constexpr const char *kCaption = "korvantaCaption";

QString captionAsBuilt(QObject *part, const QString &shown)
{
    if (!part->property(kCaption).isValid())
        part->setProperty(kCaption, shown);
    return part->property(kCaption).toString();
}
} // namespace

void SettingsDialog::markUnread()
{
    // What the window disables (a setting older firmware lacks) is not
    // missed: only settings the operator could change count.
    const auto counts = [this](const Binding &b) {
        return std::any_of(b.controls.begin(), b.controls.end(), [this](QWidget *c) { return c->isEnabledTo(this); });
    };
    // A read that filled everything leaves nothing to mark, or to unmark.
    const bool missing = std::any_of(m_bindings.begin(), m_bindings.end(),
                                     [&](const Binding &b) { return !b.filled && counts(b); });
    if (!missing && !m_marked)
        return;
    m_marked = missing;
    const auto unreadIn = [&](const QWidget *part, bool wholly) {
        bool any = false;
        for (const Binding &b : m_bindings) {
            if (!counts(b) || !part->isAncestorOf(b.controls.front()))
                continue;
            if (b.filled && wholly)
                return false;
            any = any || !b.filled;
        }
        return any;
    };
    //: %1 is the caption of a tab or frame whose settings the read did not get.
    const QString mark = tr("%1（読み込めませんでした）");
    bool changed = false;

    // A page with anything unread marks its tab; a page with nothing read
    // needs no mark inside.
    QList<const QWidget *> unreadPages;
    for (QTabWidget *tabs : findChildren<QTabWidget *>()) {
        for (int i = 0; i < tabs->count(); ++i) {
            QWidget *page = tabs->widget(i);
            if (unreadIn(page, true))
                unreadPages << page;
            if (!unreadIn(page, false) && !page->property(kCaption).isValid())
                continue; // never marked
            const QString caption = captionAsBuilt(page, tabs->tabText(i));
            const QString shown = unreadIn(page, false) ? mark.arg(caption.trimmed()) : caption;
            if (tabs->tabText(i) != shown) {
                tabs->setTabText(i, shown);
                changed = true;
            }
        }
    }
    // Elsewhere the largest frame with nothing read in it, or else the
    // frame nearest to what was not read.
    QList<QGroupBox *> marked;
    for (const Binding &b : m_bindings) {
        if (!counts(b) || b.filled)
            continue;
        QGroupBox *nearest = nullptr;
        QGroupBox *largest = nullptr;
        for (QWidget *w = b.controls.front()->parentWidget(); w && w != this; w = w->parentWidget()) {
            if (unreadPages.contains(w)) {
                nearest = largest = nullptr;
                break;
            }
            if (auto *frame = qobject_cast<QGroupBox *>(w)) {
                nearest = nearest ? nearest : frame;
                if (unreadIn(frame, true))
                    largest = frame;
            }
        }
        if (QGroupBox *frame = largest ? largest : nearest)
            marked << frame;
    }
    for (QGroupBox *frame : findChildren<QGroupBox *>()) {
        if (!marked.contains(frame) && !frame->property(kCaption).isValid())
            continue; // never marked
        const QString caption = captionAsBuilt(frame, frame->title());
        const QString shown = marked.contains(frame) ? mark.arg(caption) : caption;
        if (frame->title() == shown)
            continue;
        // A frame named by its caption on the accessibility bus keeps the two alike.
        if (frame->accessibleName() == frame->title())
            frame->setAccessibleName(shown);
        frame->setTitle(shown);
        changed = true;
    }
    // The window takes the room the longer captions need before it shows,
    // those on pages not shown too: a hidden page tells its tab control
    // nothing of its own.
    if (!changed || !layout())
        return;
    for (QTabWidget *tabs : findChildren<QTabWidget *>())
        tabs->updateGeometry();
    layout()->activate();
}

void SettingsDialog::runExchange(ProgressScope::Kind kind, const std::function<void()> &steps)
{
    ExchangeScope exchange(*this, kind);
    steps();
}

void SettingsDialog::registerAndClose(const std::function<bool()> &writes)
{
    bool written = false;
    QList<Session::SentSet> sent;
    {
        ExchangeScope exchange(*this, ProgressScope::Writing);
        WorkFile::Batch batch(m_session.workFile); // what was read, looked up many times
        QList<Session::SentSet> *const outer = std::exchange(m_session.setRecord, &sent);
        m_registering = true;
        m_sending.reset();
        written = writes();
        m_registering = false;
        m_session.setRecord = outer;
        if (outer)
            *outer += sent;
        ++m_session.WriteCount;
        if (written)
            exchange.closing();
    }
    // Once anything went out, acknowledged or not, the settings as the read
    // gave them are what an undo brings back.
    if (!sent.isEmpty() && m_sending && m_session.registered)
        m_session.registered(windowTitle(), m_read, *m_sending);
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
