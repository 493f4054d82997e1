// SPDX-License-Identifier: GPL-3.0-or-later
// Every input box of every settings window, fed random text by keys, by the
// clipboard and by an input method: whatever is typed, pasted or composed,
// the command lines the window then writes keep to their fields' characters.
//
// The text is drawn from a seeded generator (KORVANTA_SAFETY_SEED, default
// below), so a failure repeats; KORVANTA_SAFETY_ROUNDS sets the rounds per box
// and way of entry.

#include "tests/safety/safety.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPointer>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QTest>

using namespace korvanta;

namespace {

enum class Entry { Typed, Pasted, Composed };
const char *const kEntryNames[] = {"typed", "pasted", "composed"};

// Characters an operator might get into a box, allowed or not: the boxes'
// own, AT command syntax, controls, full-width and half-width Japanese,
// Latin-1 and a character outside the basic plane.
const QStringList kPools = {
    QStringLiteral("0123456789"),
    QStringLiteral("-()#*"),
    QStringLiteral("&;%$@=?!ATFZWDHatz +\"'\\/.,:<>[]{}|~^`_"),
    QStringLiteral("\t\r\n\x1b\x7f\x01\x08"),
    QStringLiteral("０１２３４５６７８９－（）＃＊あいう漢字ﾃｽﾄ、。　"),
    QStringLiteral("éü×÷ß"),
    QStringLiteral("😀"),
};

QString randomText(QRandomGenerator &rng)
{
    QString text;
    const int length = 1 + rng.bounded(12);
    for (int i = 0; i < length; ++i) {
        const QString &pool = kPools[rng.bounded(int(kPools.size()))];
        if (pool.size() == 2 && pool.at(0).isHighSurrogate()) {
            text += pool;
            continue;
        }
        text += pool.at(rng.bounded(int(pool.size())));
    }
    return text;
}

Qt::Key keyFor(QChar c)
{
    if (c.isDigit() && c.unicode() < 128)
        return Qt::Key(Qt::Key_0 + c.digitValue());
    if (c.unicode() >= 'a' && c.unicode() <= 'z')
        return Qt::Key(c.toUpper().unicode());
    if (c.unicode() > 32 && c.unicode() < 127)
        return Qt::Key(c.unicode());
    return Qt::Key_unknown;
}

void feed(QLineEdit *box, Entry entry, const QString &text)
{
    box->setFocus();
    switch (entry) {
    case Entry::Typed:
        for (int i = 0; i < text.size(); ++i) {
            const int n = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            QTest::sendKeyEvent(QTest::Click, box, keyFor(text.at(i)), text.mid(i, n), Qt::NoModifier);
            i += n - 1;
        }
        break;
    case Entry::Pasted:
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        break;
    case Entry::Composed: {
        QInputMethodEvent preedit(text, {});
        QApplication::sendEvent(box, &preedit);
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(box, &commit);
        break;
    }
    }
}

// Brings the tab that holds box to the front, as an operator would.
void showTabOf(QLineEdit *box)
{
    for (QWidget *w = box->parentWidget(); w; w = w->parentWidget())
        if (auto *tabs = qobject_cast<QTabWidget *>(w))
            for (int i = 0; i < tabs->count(); ++i)
                if (tabs->widget(i)->isAncestorOf(box))
                    tabs->setCurrentIndex(i);
}

int envNumber(const char *name, int fallback)
{
    bool ok = false;
    const int n = qEnvironmentVariableIntValue(name, &ok);
    return ok ? n : fallback;
}

} // namespace

class InputSafetyTest : public QObject {
    Q_OBJECT

private slots:
    void commandLinesKeepTheirCharacters_data();
    void commandLinesKeepTheirCharacters();
    void theRuleRefusesWhatMustNotBeSent_data();
    void theRuleRefusesWhatMustNotBeSent();
};

void InputSafetyTest::commandLinesKeepTheirCharacters_data()
{
    QTest::addColumn<QString>("form");
    for (const safety::Window &w : safety::kWindows)
        QTest::newRow(w.form) << QString::fromLatin1(w.form);
}

void InputSafetyTest::commandLinesKeepTheirCharacters()
{
    QFETCH(QString, form);
    const quint32 seed = quint32(envNumber("KORVANTA_SAFETY_SEED", 20261207));
    const int rounds = envNumber("KORVANTA_SAFETY_ROUNDS", 2);
    QRandomGenerator rng(seed ^ qHash(form));
    safety::Bench bench;
    QWidget opener;
    const safety::Window &window = safety::window(form);

    // The boxes, by name, from a window opened once.
    QStringList boxes;
    {
        QPointer<SettingsDialog> d = window.open(*bench.session, &opener);
        d->openAndRead();
        for (QLineEdit *box : d->findChildren<QLineEdit *>())
            if (!box->objectName().isEmpty())
                boxes << box->objectName();
        d->close();
        QTRY_VERIFY(d.isNull());
    }

    int fed = 0, freeTextLines = 0;
    for (const QString &name : std::as_const(boxes)) {
        for (int round = 0; round < rounds; ++round) {
            for (Entry entry : {Entry::Typed, Entry::Pasted, Entry::Composed}) {
                const QString text = randomText(rng);
                QPointer<SettingsDialog> d = window.open(*bench.session, &opener);
                d->openAndRead();
                auto *box = d->findChild<QLineEdit *>(name);
                QVERIFY(box);
                showTabOf(box);
                if (box->isEnabled() && !box->isReadOnly()) {
                    ++fed;
                    feed(box, entry, text);
                }
                bench.adapter.clearLog();
                QPushButton *registration = safety::registerButton(d);
                QVERIFY2(registration, qPrintable(form));
                registration->click();
                if (d)
                    d->close(); // still open after a range message
                QTRY_VERIFY(d.isNull());
                for (const QByteArray &line : bench.adapter.log()) {
                    QVERIFY2(safety::wellFormedWrite(line),
                             qPrintable(QStringLiteral("%1 %2 %3 \"%4\" (seed %5) sent: %6")
                                            .arg(form, name, QLatin1String(kEntryNames[int(entry)]), text)
                                            .arg(seed)
                                            .arg(QString::fromLatin1(line.toPercentEncoding("$@%&=?*#()-")))));
                    freeTextLines += line.contains('=') && (line.startsWith("AT$C") || line.startsWith("AT$E")
                                                             || line.startsWith("AT$G") || line.startsWith("AT&Z"));
                }
            }
        }
    }
    qInfo("%s: %lld boxes, %d entries fed, %d number lines written", qPrintable(form), qsizetype(boxes.size()), fed,
          freeTextLines);
    // Windows with boxes must really have had text go through them.
    if (!boxes.isEmpty())
        QVERIFY(fed > 0);
}

// The rule above is only as good as what it refuses.
void InputSafetyTest::theRuleRefusesWhatMustNotBeSent_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("wellFormed");
    QTest::newRow("own number") << QByteArray("AT$C1=03-(1234)#") << true;
    QTest::newRow("directory") << QByteArray("AT&Z19=03-(1234)-5678#*12#*") << true;
    QTest::newRow("pieces") << QByteArray("AT%A0%D1$I42=081$I41=11") << true;
    QTest::newRow("factory reset after a number") << QByteArray("AT$C1=03&F") << false;
    QTest::newRow("second command") << QByteArray("AT$I41=1;&W") << false;
    QTest::newRow("action among pieces") << QByteArray("AT$I41=1%Z") << false;
    QTest::newRow("letter in a subaddress") << QByteArray("AT$E1=12A") << false;
    QTest::newRow("full-width digit") << QString::fromUtf8("AT$C1=０").toUtf8() << false;
    QTest::newRow("carriage return") << QByteArray("AT$C1=1\rATZ") << false;
    QTest::newRow("number too long") << QByteArray("AT$C1=") + QByteArray(33, '1') << false;
}

void InputSafetyTest::theRuleRefusesWhatMustNotBeSent()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, wellFormed);
    QCOMPARE(safety::wellFormedWrite(line), wellFormed);
}

QTEST_MAIN(InputSafetyTest)
#include "inputsafety_test.moc"
