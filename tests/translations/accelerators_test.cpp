// SPDX-License-Identifier: GPL-3.0-or-later
// In English every menu entry and button that has an accelerator in Japanese
// has one, and no two in one menu or window share a letter.

#include "app/mainwindow.h"
#include "app/terminal.h"
#include "tests/app/appfixture.h"
#include "translations/language.h"

#include <QAbstractButton>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

using namespace korvanta;

class AcceleratorsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { installTranslators(Program::Windows, Language::English); }
    void unique_data();
    void unique();
};

namespace {
// The letter after the single "&" of a text; empty when there is none or more.
QString accelerator(const QString &text)
{
    const qsizetype at = text.indexOf(u'&');
    if (at < 0 || at + 1 >= text.size() || text.indexOf(u'&', at + 1) >= 0)
        return {};
    return text.mid(at + 1, 1).toLower();
}

// Each group of texts that share one keyboard: the menu bar, each menu, the
// window's buttons.
QList<QStringList> groups(QWidget *window)
{
    QList<QStringList> out;
    for (QMenuBar *bar : window->findChildren<QMenuBar *>()) {
        QStringList titles;
        for (QAction *a : bar->actions()) {
            titles << a->text();
            QStringList entries;
            for (QAction *e : a->menu()->actions())
                if (!e->isSeparator())
                    entries << e->text();
            out << entries;
        }
        out << titles;
    }
    QStringList buttons;
    for (QAbstractButton *b : window->findChildren<QAbstractButton *>())
        if (b->text().contains(u'&'))
            buttons << b->text();
    out << buttons;
    return out;
}
} // namespace

void AcceleratorsTest::unique_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("main window") << "Form1";
    QTest::newRow("terminal") << "Form9";
}

void AcceleratorsTest::unique()
{
    QFETCH(QString, window);
    AppFixture f;
    MainWindow main(f.session);
    TerminalWindow terminal(f.session, &main);
    QWidget *shown = window == "Form1" ? static_cast<QWidget *>(&main) : &terminal;
    const QList<QStringList> all = groups(shown);
    QVERIFY(!all.isEmpty());
    for (const QStringList &texts : all) {
        QSet<QString> seen;
        for (const QString &text : texts) {
            const QString key = accelerator(text);
            QVERIFY2(!key.isEmpty(), qPrintable(window + ": no accelerator in " + text));
            QVERIFY2(!seen.contains(key), qPrintable(window + ": \"" + key + "\" twice, " + texts.join(", ")));
            seen << key;
        }
    }
}

QTEST_MAIN(AcceleratorsTest)
#include "accelerators_test.moc"
