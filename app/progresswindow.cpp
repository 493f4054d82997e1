#include "app/progresswindow.h"

#include "app/windows.h"

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

ProgressScope::ProgressScope(Kind kind, QWidget *parent)
    : m_window(new ProgressWindow(kind == Reading ? QStringLiteral("読取り中です") : QStringLiteral("書込み中です"),
                                  QStringLiteral("しばらくお待ちください"), parent))
{
    m_window->setAttribute(Qt::WA_DeleteOnClose);
    centreOnScreen(m_window);
    m_window->show();
}

ProgressScope::~ProgressScope()
{
    if (m_window)
        m_window->close();
}

} // namespace korvanta
