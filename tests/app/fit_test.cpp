// SPDX-License-Identifier: GPL-3.0-or-later
// Every window of the screenshot tour, in the language the locale picks (the
// test runs once under a Japanese and once under an English locale): every
// caption fits its control, no two sibling controls overlap, and in English no
// Japanese character shows anywhere but in what the adapter reported.

#include "app/screenshots.h"
#include "translations/language.h"
#include "ui/messagebox.h"
#include "ui/style.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QXmlStreamReader>

using namespace korvanta;

namespace {

// Kana, kanji, the CJK punctuation and the full-width and half-width forms.
bool hasJapanese(const QString &text)
{
    static const QRegularExpression japanese(QStringLiteral(
        "[\\x{3000}-\\x{30ff}\\x{31f0}-\\x{31ff}\\x{3400}-\\x{4dbf}\\x{4e00}-\\x{9fff}\\x{f900}-\\x{faff}"
        "\\x{ff00}-\\x{ffef}]"));
    return text.contains(japanese);
}

QString withoutMnemonic(QString text)
{
    text.replace(QRegularExpression(QStringLiteral("&(.)")), QStringLiteral("\\1"));
    return text;
}

QString nameOf(const QWidget *widget)
{
    return widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                          : widget->objectName();
}

// Labels that show what the adapter answered, as it came.
const QSet<QString> kAdapterValues{QStringLiteral("Form7/Label3")};

// What one window shows that does not fit, overlaps or is not English.
class Inspector {
public:
    explicit Inspector(bool english) : m_english(english) {}

    void window(QWidget *window, const QString &name)
    {
        m_window = name;
        m_seen << name;
        text(window->windowTitle(), window, "title");
        // Every menu entry, those of menus not open included.
        actions(window);
        for (const QMenuBar *bar : window->findChildren<QMenuBar *>())
            actions(bar);
        // Every page of every tab control, each as it shows, then the page
        // the window had.
        for (QTabWidget *tabs : window->findChildren<QTabWidget *>()) {
            const int current = tabs->currentIndex();
            for (int i = 0; i < tabs->count(); ++i) {
                tabs->setCurrentIndex(i);
                QCoreApplication::processEvents();
                tree(tabs->widget(i));
            }
            tabs->setCurrentIndex(current);
            QCoreApplication::processEvents();
        }
        tree(window);
    }

    QStringList findings() const { return QStringList(m_findings.begin(), m_findings.end()); }
    QStringList seen() const { return m_seen; }

private:
    void fail(const QWidget *widget, const QString &what)
    {
        m_findings.insert(m_window + QLatin1Char('/') + nameOf(widget) + QStringLiteral(": ") + what);
    }

    void text(const QString &shown, const QWidget *widget, const char *role)
    {
        if (m_english && hasJapanese(shown))
            fail(widget, QStringLiteral("Japanese %1 \"%2\"").arg(QLatin1String(role), shown));
    }

    void actions(const QWidget *menu)
    {
        for (const QAction *action : menu->actions()) {
            text(action->text(), menu, "menu entry");
            if (action->menu())
                actions(action->menu());
        }
    }

    void fits(const QWidget *widget, const QString &caption, const QRect &room)
    {
        const QFontMetrics metrics = widget->fontMetrics();
        const int wide = metrics.horizontalAdvance(withoutMnemonic(caption));
        if (wide > room.width() || metrics.height() > room.height())
            fail(widget, QStringLiteral("\"%1\" needs %2x%3, has %4x%5")
                             .arg(caption)
                             .arg(wide)
                             .arg(metrics.height())
                             .arg(room.width())
                             .arg(room.height()));
    }

    void label(const QLabel *label)
    {
        if (label->text().isEmpty() || Qt::mightBeRichText(label->text()))
            return;
        const int inset = label->margin() + qMax(0, label->indent());
        const QRect room = label->contentsRect().adjusted(inset, 0, -inset, 0);
        int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
        if (label->buddy())
            flags |= Qt::TextShowMnemonic;
        const QRect needed = label->fontMetrics().boundingRect(room, flags, label->text());
        if (needed.width() > room.width() || needed.height() > room.height())
            fail(label, QStringLiteral("\"%1\" needs %2x%3, has %4x%5")
                            .arg(label->text())
                            .arg(needed.width())
                            .arg(needed.height())
                            .arg(room.width())
                            .arg(room.height()));
    }

    void button(const QAbstractButton *button)
    {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        option.icon = button->icon();
        option.iconSize = button->iconSize();
        QStyle::SubElement contents = QStyle::SE_PushButtonContents;
        if (qobject_cast<const QRadioButton *>(button))
            contents = QStyle::SE_RadioButtonContents;
        else if (qobject_cast<const QCheckBox *>(button))
            contents = QStyle::SE_CheckBoxContents;
        QRect room = button->style()->subElementRect(contents, &option, button);
        if (!button->icon().isNull())
            room.setLeft(room.left() + button->iconSize().width() + 4);
        if (!button->text().isEmpty())
            fits(button, button->text(), room);
    }

    void groupBox(const QGroupBox *box)
    {
        if (box->title().isEmpty())
            return;
        QStyleOptionGroupBox option;
        option.initFrom(box);
        option.text = box->title();
        option.textAlignment = box->alignment();
        option.lineWidth = 1;
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        if (box->isCheckable())
            option.subControls |= QStyle::SC_GroupBoxCheckBox;
        // The style sizes the caption's place to its ink; what counts is that
        // the caption ends inside the frame.
        QRect room = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
        room.setRight(box->rect().right());
        fits(box, box->title(), room);
    }

    void tabBar(const QTabBar *bar)
    {
        for (int i = 0; i < bar->count(); ++i) {
            QStyleOptionTab option;
            option.initFrom(bar);
            option.rect = bar->tabRect(i).intersected(bar->rect());
            option.text = bar->tabText(i);
            option.shape = bar->shape();
            option.documentMode = bar->documentMode();
            fits(bar, bar->tabText(i), bar->style()->subElementRect(QStyle::SE_TabBarTabText, &option, bar));
            text(bar->tabText(i), bar, "tab");
        }
    }

    void overlaps(const QWidget *parent)
    {
        QList<const QWidget *> shown;
        for (const QWidget *child : parent->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            if (child->isVisible() && !child->isWindow() && !child->geometry().isEmpty())
                shown << child;
        for (int i = 0; i < shown.size(); ++i)
            for (int j = i + 1; j < shown.size(); ++j)
                if (shown[i]->geometry().intersects(shown[j]->geometry()))
                    fail(parent, nameOf(shown[i]) + QStringLiteral(" overlaps ") + nameOf(shown[j]));
    }

    // A widget and everything visible inside it.
    void tree(QWidget *top)
    {
        QList<QWidget *> widgets = top->findChildren<QWidget *>();
        widgets.prepend(top);
        for (QWidget *widget : widgets) {
            if (!widget->isVisible() || (widget != top && widget->isWindow()))
                continue;
            overlaps(widget);
            const bool adapters = kAdapterValues.contains(m_window + QLatin1Char('/') + widget->objectName());
            if (QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget); accessible && !adapters)
                text(accessible->text(QAccessible::Name), widget, "accessible name");
            text(widget->accessibleDescription(), widget, "accessible description");
            text(widget->toolTip(), widget, "tool tip");
            if (auto *l = qobject_cast<QLabel *>(widget)) {
                label(l);
                if (!adapters)
                    text(l->text(), l, "label");
            } else if (auto *b = qobject_cast<QAbstractButton *>(widget)) {
                button(b);
                text(b->text(), b, "caption");
            } else if (auto *g = qobject_cast<QGroupBox *>(widget)) {
                groupBox(g);
                text(g->title(), g, "frame caption");
            } else if (auto *t = qobject_cast<QTabBar *>(widget)) {
                tabBar(t);
            } else if (auto *help = qobject_cast<QTextBrowser *>(widget)) {
                text(help->toPlainText(), help, "help text");
            }
        }
    }

    bool m_english;
    QString m_window;
    QStringList m_seen;
    QSet<QString> m_findings;
};

} // namespace

class FitTest : public QObject {
    Q_OBJECT

private slots:
    void tourWindowsFit()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        qputenv("TMPDIR", QFile::encodeName(dir.path()));
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir.filePath(QStringLiteral("data"))));
        Inspector inspector(currentLanguage() == Language::English);
        QCOMPARE(runScreenshotTour(dir.filePath(QStringLiteral("shots")),
                                   [&](QWidget *window, const QString &name) { inspector.window(window, name); }),
                 0);
        const QStringList expected{QStringLiteral("Form8"),  QStringLiteral("Form8List"), QStringLiteral("NetworkPort"),
                                   QStringLiteral("Form1"),  QStringLiteral("Form1File"),
                                   QStringLiteral("ProfileRestore"), QStringLiteral("Form2"),
                                   QStringLiteral("Form14"), QStringLiteral("Form3"),
                                   QStringLiteral("Form5"),  QStringLiteral("Form6"),
                                   QStringLiteral("Form4"),  QStringLiteral("FormHistory"),
                                   QStringLiteral("Form13"),
                                   QStringLiteral("Form9"),  QStringLiteral("SerialError"),
                                   QStringLiteral("Form11"),
                                   QStringLiteral("Form7"),  QStringLiteral("HelpWindow")};
        QCOMPARE(inspector.seen(), expected);
        const QStringList findings = inspector.findings();
        for (const QString &finding : findings)
            qWarning("%s", qPrintable(finding));
        QVERIFY2(findings.isEmpty(), qPrintable(QStringLiteral("%1 findings").arg(findings.size())));
    }

    // Every text the utility shows comes through the translations, those of
    // the message boxes no window of the tour opens included.
    void translationsHaveNoJapanese()
    {
        if (currentLanguage() != Language::English)
            QSKIP("the English texts are read once, in the English run");
        QFile file(QStringLiteral(KORVANTA_EN_TS));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QXmlStreamReader ts(&file);
        int count = 0;
        QStringList japanese;
        while (!ts.atEnd()) {
            if (ts.readNext() == QXmlStreamReader::StartElement && ts.name() == QLatin1String("translation")) {
                ++count;
                const QString text = ts.readElementText(QXmlStreamReader::IncludeChildElements);
                if (hasJapanese(text))
                    japanese << text;
            }
        }
        QVERIFY2(!ts.hasError(), qPrintable(ts.errorString()));
        QVERIFY(count > 200);
        QVERIFY2(japanese.isEmpty(), qPrintable(japanese.join(QLatin1Char('\n'))));
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    applyStyle();
    installMessageBoxes();
    installTranslators(Program::Windows);
    FitTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "fit_test.moc"
