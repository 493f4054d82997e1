// SPDX-License-Identifier: GPL-3.0-or-later
// The program as the desktop sees it: the names that tie its windows to its
// desktop entry, and the icon every top window carries.

#include "app/desktopidentity.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QIcon>
#include <QTest>

using namespace korvanta;

class DesktopTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { applyDesktopIdentity(); }
    void matchesTheDesktopEntry_data();
    void matchesTheDesktopEntry();
    void iconAtEveryThemeSize();
};

namespace {
// The keys of the desktop entry's main group.
QHash<QString, QString> desktopEntry()
{
    QFile file(QStringLiteral(KORVANTA_SOURCE_DIR "/resources/" KORVANTA_APP_ID ".desktop"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QHash<QString, QString> keys;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals > 0)
            keys.insert(line.left(equals), line.mid(equals + 1));
    }
    return keys;
}
} // namespace

void DesktopTest::matchesTheDesktopEntry_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("program"); // what the running program says
    // X11: Qt gives every window the class of the application's name.
    QTest::newRow("window class") << "StartupWMClass" << QCoreApplication::applicationName();
    // Wayland: the application id is the desktop file's name.
    QTest::newRow("icon") << "Icon" << QGuiApplication::desktopFileName();
    QTest::newRow("program") << "Exec" << QCoreApplication::applicationName();
}

void DesktopTest::matchesTheDesktopEntry()
{
    QFETCH(QString, key);
    QFETCH(QString, program);
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral(KORVANTA_APP_ID));
    QCOMPARE(desktopEntry().value(key), program);
}

void DesktopTest::iconAtEveryThemeSize()
{
    QDialog window; // any top window of the program
    const QIcon icon = window.windowIcon();
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        QVERIFY2(icon.availableSizes().contains(QSize(size, size)), qPrintable(QString::number(size)));
        QCOMPARE(icon.pixmap(QSize(size, size), 1.0).size(), QSize(size, size));
    }
}

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
