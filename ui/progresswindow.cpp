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

void ProgressWindow::setLines(const QString &line1, const QString &line2)
{
    m_label1->setText(line1);
    m_label2->setText(line2);
}

ProgressScope::ProgressScope(Kind kind, QWidget *parent)
{
    const QString line1 = kind == Reading ? ProgressWindow::tr("読取り中です") : ProgressWindow::tr("書込み中です");
    const QString line2 = ProgressWindow::tr("しばらくお待ちください");
    // One window for every sequence under the same top window, kept hidden
    // between them: building and measuring it anew took longer than the
    // commands of a registration.
    QWidget *top = parent;
    while (top && top->parentWidget())
        top = top->parentWidget();
    m_window = top ? top->findChild<ProgressWindow *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (m_window) {
        m_window->setLines(line1, line2);
    } else {
        m_window = new ProgressWindow(line1, line2, top);
        m_owned = !top;
    }
    m_window->setEnabled(true); // a child window is disabled with its disabled parent otherwise
    centreOnScreen(m_window);
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
