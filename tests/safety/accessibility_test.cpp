// SPDX-License-Identifier: GPL-3.0-or-later
// Every window as screen readers and test tools meet it, on the accessibility
// bus: each frame known by its own caption, each text box and list by its
// label (the label to its left on its row, else the one above it, else its
// frame's caption), each spin by the name of the box it turns, and no two controls of
// one kind in one frame sharing a name.

#include "tests/safety/safety.h"

#include "app/initdialog.h"
#include "app/mainwindow.h"
#include "app/startup.h"
#include "app/terminal.h"
#include "app/versiondialog.h"
#include "link/ports/ports.h"
#include "link/session/serialcontrol.h"
#include "ui/progresswindow.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>

#include <climits>
#include <functional>
#include <map>
#include <tuple>

using namespace korvanta;

namespace {

QString nameOf(QWidget *w)
{
    return QAccessible::queryAccessibleInterface(w)->text(QAccessible::Name);
}

// What a control is known by: its name, or for a list, whose name here is the
// entry it shows, the name of what labels it.
QString knownAs(QWidget *w)
{
    QAccessibleInterface *control = QAccessible::queryAccessibleInterface(w);
    if (!qobject_cast<QComboBox *>(w))
        return control->text(QAccessible::Name);
    const auto labels = control->relations(QAccessible::Label);
    return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
}

// The frame a control stands in: a frame, a tab's page, or the window.
QWidget *frameOf(QWidget *w)
{
    for (QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        if (qobject_cast<QGroupBox *>(p) || p->isWindow()
            || (qobject_cast<QStackedWidget *>(p->parentWidget()) && qobject_cast<QTabWidget *>(p->parentWidget()->parentWidget())))
            return p;
    return nullptr;
}

QString captionOf(QWidget *frame)
{
    if (auto *box = qobject_cast<QGroupBox *>(frame))
        return box->title();
    return frame->windowTitle();
}

QRect placeOf(QWidget *w, QWidget *window)
{
    return QRect(w->mapTo(window, QPoint(0, 0)), w->size());
}

// The nearest widget of type T in the box's frame to its left on its row,
// else (with above) the nearest above it, overlapping it sideways.
template <class T> T *besideOrAbove(QWidget *box, QWidget *window, bool above)
{
    const QRect at = placeOf(box, window);
    T *left = nullptr, *over = nullptr;
    int leftGap = INT_MAX, overGap = INT_MAX;
    for (T *candidate : window->findChildren<T *>()) {
        if (!candidate->isVisibleTo(window) || frameOf(candidate) != frameOf(box))
            continue;
        const QRect r = placeOf(candidate, window);
        if (r.right() < at.left() && r.center().y() >= at.top() && r.center().y() <= at.bottom()
            && at.left() - r.right() < leftGap) {
            left = candidate;
            leftGap = at.left() - r.right();
        } else if (above && r.bottom() < at.top() && r.left() <= at.right() && r.right() >= at.left()
                   && at.top() - r.bottom() < overGap) {
            over = candidate;
            overGap = at.top() - r.bottom();
        }
    }
    return left ? left : over;
}

bool isControl(QWidget *w)
{
    return qobject_cast<QAbstractButton *>(w) || qobject_cast<QLineEdit *>(w) || qobject_cast<QPlainTextEdit *>(w)
        || qobject_cast<QComboBox *>(w) || qobject_cast<QScrollBar *>(w);
}

bool insideScrollArea(QWidget *w)
{
    for (QWidget *p = w->parentWidget(); p; p = p->parentWidget())
        if (qobject_cast<QAbstractScrollArea *>(p))
            return true;
    return false;
}

// What is wrong with the names of the window's controls as they stand now.
QStringList namingFaults(QWidget *window)
{
    QStringList faults;
    std::map<std::tuple<QWidget *, int, QString>, QString> taken;
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (!w->isVisibleTo(window) || insideScrollArea(w))
            continue;
        const QString name = nameOf(w);
        const QString who = w->objectName() + " \"" + name + "\"";
        if (auto *frame = qobject_cast<QGroupBox *>(w)) {
            if (name != frame->title())
                faults << who + ": not its caption \"" + frame->title() + "\"";
            continue;
        }
        if (!isControl(w))
            continue;
        if (name.isEmpty())
            faults << who + ": no name";
        const auto key = std::make_tuple(frameOf(w), int(QAccessible::queryAccessibleInterface(w)->role()), name);
        if (const auto [it, fresh] = taken.emplace(key, w->objectName()); !fresh)
            faults << who + ": the name of " + it->second + " in the same frame";
        if (qobject_cast<QLineEdit *>(w) || qobject_cast<QPlainTextEdit *>(w) || qobject_cast<QComboBox *>(w)) {
            QLabel *label = besideOrAbove<QLabel>(w, window, true);
            const QString caption = (label ? label->text() : captionOf(frameOf(w))).trimmed();
            if (!knownAs(w).startsWith(caption))
                faults << who + ": not named after its label \"" + caption + "\"";
        }
        if (qobject_cast<QScrollBar *>(w)) {
            QLineEdit *box = besideOrAbove<QLineEdit>(w, window, false);
            if (!box || name != nameOf(box))
                faults << who + ": not the name of its box";
        }
    }
    return faults;
}

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT

private slots:
    void everyControlHasItsOwnName_data();
    void everyControlHasItsOwnName();
};

namespace {
// What a window is opened with.
struct Context {
    safety::Bench &bench;
    SerialControl &ports;
    Identity &identity;
    QWidget *opener;
};
} // namespace

using Opener = std::function<QWidget *(Context &)>;
Q_DECLARE_METATYPE(Opener)

void AccessibilityTest::everyControlHasItsOwnName_data()
{
    QTest::addColumn<Opener>("open");
    QTest::newRow("Form8") << Opener([](Context &c) -> QWidget * {
        return new PortDialog(c.ports, Timing{}, c.identity, c.opener);
    });
    QTest::newRow("Form1") << Opener([](Context &c) -> QWidget * { return new MainWindow(*c.bench.session); });
    for (const safety::Window &w : safety::kWindows)
        QTest::newRow(w.form) << Opener([open = w.open](Context &c) -> QWidget * {
            return open(*c.bench.session, c.opener);
        });
    QTest::newRow("Form9") << Opener([](Context &c) -> QWidget * { return new TerminalWindow(*c.bench.session, c.opener); });
    QTest::newRow("Form11") << Opener([](Context &c) -> QWidget * { return new InitDialog(*c.bench.session, c.opener); });
    QTest::newRow("Form7") << Opener([](Context &c) -> QWidget * { return new VersionDialog(*c.bench.session, c.opener); });
    QTest::newRow("Form13") << Opener([](Context &c) -> QWidget * {
        return new ProgressWindow(QStringLiteral("読取り中です"), QStringLiteral("しばらくお待ちください"), c.opener);
    });
}

void AccessibilityTest::everyControlHasItsOwnName()
{
    QFETCH(Opener, open);
    safety::Bench bench;
    SerialControl ports(simulatedLinkFactory(bench.adapter));
    Identity identity;
    QWidget opener;
    Context context{bench, ports, identity, &opener};
    std::unique_ptr<QWidget> window(open(context));
    QCOMPARE(window->objectName(), QString::fromLatin1(QTest::currentDataTag()));
    window->show();
    // Each tab in turn: a page is laid out while it is shown.
    auto *tabs = window->findChild<QTabWidget *>();
    for (int page = 0; page < (tabs ? tabs->count() : 1); ++page) {
        if (tabs)
            tabs->setCurrentIndex(page);
        QCoreApplication::processEvents();
        const QStringList faults = namingFaults(window.get());
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
    }
}

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
