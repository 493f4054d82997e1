// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/progresswindow.h"

#include "ui/windows.h"

#include <QLabel>
#include <QVBoxLayout>

namespace korvanta {

ProgressWindow::ProgressWindow(const QString &line1, const QString &line2, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("Form13"));
    setWindowTitle(QString());
    m_label1 = new QLabel(line1, this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label2 = new QLabel(line2, this);
    m_label2->setObjectName(QStringLiteral("Label2"));
    for (QLabel *l : {m_label1, m_label2})
        l->setAlignment(Qt::AlignCenter);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(36, 18, 36, 18);
    setMinimumWidth(300);
    layout->addWidget(m_label1);
    layout->addWidget(m_label2);
}

bool ProgressWindow::shows(const QString &line1, const QString &line2) const
{
    return m_label1->text() == line1 && m_label2->text() == line2;
}

namespace {
QString firstLine(ProgressScope::Kind kind)
{
    return kind == ProgressScope::Reading ? ProgressWindow::tr("読取り中です") : ProgressWindow::tr("書込み中です");
}
QString secondLine() { return ProgressWindow::tr("しばらくお待ちください"); }

// One window for each kind of sequence under the same top window, kept hidden
// between sequences and laid out once: building and measuring it anew, or
// laying it out again for the other lines, took longer than the commands of
// a registration. Null when the top window has none for these lines yet.
ProgressWindow *keptUnder(QWidget *top, ProgressScope::Kind kind)
{
    if (!top)
        return nullptr;
    const QString line1 = firstLine(kind), line2 = secondLine();
    for (ProgressWindow *w : top->findChildren<ProgressWindow *>(QString(), Qt::FindDirectChildrenOnly))
        if (w->shows(line1, line2))
            return w;
    return nullptr;
}

QWidget *topOf(QWidget *widget)
{
    while (widget && widget->parentWidget())
        widget = widget->parentWidget();
    return widget;
}
} // namespace

void ProgressScope::prepare(QWidget *top)
{
    for (Kind kind : {Reading, Writing})
        if (!keptUnder(top, kind))
            centreOnScreen(new ProgressWindow(firstLine(kind), secondLine(), top));
}

ProgressScope::ProgressScope(Kind kind, QWidget *parent)
{
    QWidget *top = topOf(parent);
    m_window = keptUnder(top, kind);
    const bool made = !m_window;
    if (made) {
        m_window = new ProgressWindow(firstLine(kind), secondLine(), top);
        m_owned = !top;
    }
    m_window->setEnabled(true); // a child window is disabled with its disabled parent otherwise
    if (made)
        centreOnScreen(m_window);
    else
        centreOnScreenAsSized(m_window);
    m_window->show();
    m_window->raise();
}

ProgressScope::~ProgressScope()
{
    if (!m_window)
        return;
    m_window->hide();
    if (m_owned)
        delete m_window;
}

} // namespace korvanta
