// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/helpviewer.h"

#include "link/session/session.h"
#include "translations/language.h"

#include "ui/windows.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace korvanta {

namespace {
// The help window: the help file in a browser, one at a time, tied to the
// utility's main window so that it goes when the utility ends.
class HelpWindow : public QWidget {
public:
    // A window of its own, not a child of the owner: a child window would be
    // disabled whenever the owner is (as the main window is while a dialog is
    // open). It goes when the owner goes.
    explicit HelpWindow(QWidget *owner) : QWidget(nullptr, Qt::Window), m_owner(owner)
    {
        if (owner)
            connect(owner, &QObject::destroyed, this, &QWidget::close);
        setObjectName(QStringLiteral("HelpWindow"));
        setWindowTitle(QCoreApplication::translate("korvanta::HelpWindow", "KORVAN-TA 設定ユーティリティ ヘルプ"));
        setAttribute(Qt::WA_DeleteOnClose);
        m_browser = new QTextBrowser(this);
        m_browser->setObjectName(QStringLiteral("HelpText"));
        m_browser->setOpenExternalLinks(false);
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(m_browser);
        m_browser->setMinimumSize(620, 520);
    }

    void open(const QString &helpFile, int context)
    {
        const QString anchor = QString::number(context);
        if (!QFileInfo(helpFile).isReadable()) {
            m_browser->setPlainText(
                QCoreApplication::translate("korvanta::HelpWindow", "ヘルプファイル \"%1\" が見つかりません。").arg(helpFile));
            return;
        }
        QUrl url = QUrl::fromLocalFile(QFileInfo(helpFile).absoluteFilePath());
        if (m_browser->source().adjusted(QUrl::RemoveFragment) != url)
            m_browser->setSource(url, QTextDocument::HtmlResource);
        url.setFragment(anchor);
        m_browser->setSource(url, QTextDocument::HtmlResource);
        m_browser->scrollToAnchor(anchor);
    }

    QWidget *owner() const { return m_owner; }

private:
    QTextBrowser *m_browser;
    QPointer<QWidget> m_owner;
};

QPointer<HelpWindow> &current()
{
    static QPointer<HelpWindow> window;
    return window;
}
} // namespace

QString HelpViewer::findHelpFile()
{
    // The help in the language of the windows; the Japanese when there is
    // no English beside it.
    QStringList names{QStringLiteral("korvanta.hlp")};
    if (currentLanguage() == Language::English)
        names.prepend(QStringLiteral("korvanta_en.hlp"));
    const QDir programDir(QCoreApplication::applicationDirPath());
    QStringList candidates;
    for (const QString &name : names)
        candidates << programDir.filePath(name) << programDir.filePath(QStringLiteral("../share/korvanta/") + name)
                   << QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("korvanta/") + name);
    for (const QString &path : candidates)
        if (!path.isEmpty() && QFileInfo(path).isReadable())
            return QFileInfo(path).absoluteFilePath();
    return candidates.first();
}

void HelpViewer::show(const QString &helpFile, int context, QWidget *owner)
{
    QWidget *top = owner;
    while (top && top->parentWidget())
        top = top->parentWidget();
    QPointer<HelpWindow> &window = current();
    if (window && window->owner() != top) {
        window->close(); // a window left from another owner
        window = nullptr;
    }
    if (!window) {
        window = new HelpWindow(top);
        centreOnScreen(window);
    }
    window->open(helpFile, context);
    window->show();
    window->raise();
    window->activateWindow();
}

QString helpFile(const Session &session)
{
    return session.helpFileOverride.isEmpty() ? HelpViewer::findHelpFile() : session.helpFileOverride;
}

void showHelp(const Session &session, int context, QWidget *owner)
{
    HelpViewer::show(helpFile(session), context, owner);
}

} // namespace korvanta
