// SPDX-License-Identifier: GPL-3.0-or-later
// The language a locale gives, the texts each program then shows, and
// korvanta-cli run under a C, a Japanese and an English locale.

#include "translations/language.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using korvanta::Language;
using korvanta::Program;

Q_DECLARE_METATYPE(Language)
Q_DECLARE_METATYPE(Program)

class LanguageTest : public QObject {
    Q_OBJECT

private slots:
    void chosen_data();
    void chosen();
    void installed_data();
    void installed();
    void commandLine_data();
    void commandLine();
};

void LanguageTest::chosen_data()
{
    QTest::addColumn<QStringList>("uiLanguages");
    QTest::addColumn<Language>("expected");
    QTest::newRow("C") << QStringList{"C"} << Language::Source;
    QTest::newRow("Japanese") << QStringList{"ja-JP", "ja-Jpan-JP", "ja"} << Language::Japanese;
    QTest::newRow("English") << QStringList{"en-US", "en-Latn-US", "en"} << Language::English;
    QTest::newRow("another language") << QStringList{"de-DE", "de"} << Language::English;
    QTest::newRow("Japanese after another") << QStringList{"de", "ja", "ja-JP"} << Language::Japanese;
    QTest::newRow("English before Japanese") << QStringList{"fr", "en", "ja"} << Language::English;
    QTest::newRow("none") << QStringList{} << Language::English;
}

void LanguageTest::chosen()
{
    QFETCH(QStringList, uiLanguages);
    QFETCH(Language, expected);
    QCOMPARE(korvanta::languageFor(uiLanguages), expected);
}

void LanguageTest::installed_data()
{
    QTest::addColumn<Program>("program");
    QTest::addColumn<Language>("language");
    QTest::addColumn<QString>("context");
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("shown");

    const QString window = "korvanta::Messages";
    const QString failed = "コマンドの受信に失敗しました";
    QTest::newRow("window text, English") << Program::Windows << Language::English << window << failed
                                          << "The adapter did not acknowledge the command: no answer came, or it "
                                             "answered ERROR. Check the cable and the adapter's power, then try again.";
    QTest::newRow("window text, Japanese") << Program::Windows << Language::Japanese << window << failed << failed;
    QTest::newRow("window text, C") << Program::Windows << Language::Source << window << failed << failed;
    QTest::newRow("window text on the command line, English")
        << Program::CommandLine << Language::English << "korvanta::Identity" << "機器が接続されていません"
        << "No adapter is connected.";

    const QString cli = "korvanta::cli::Command";
    QTest::newRow("command line text, Japanese") << Program::CommandLine << Language::Japanese << cli << "no command"
                                                 << "コマンドがありません";
    QTest::newRow("command line text, C") << Program::CommandLine << Language::Source << cli << "no command"
                                          << "no command";
    QTest::newRow("command line text, English") << Program::CommandLine << Language::English << cli << "no command"
                                                << "no command";
    QTest::newRow("options in the window program, Japanese")
        << Program::Windows << Language::Japanese << "korvanta::LineOptions"
        << "a port from COM1 to COM9, got \"%1\"" << "a port from COM1 to COM9, got \"%1\"";

    // Qt's own: the window program has always had its buttons in Japanese.
    QTest::newRow("Qt's button, window program, C") << Program::Windows << Language::Source << "QPlatformTheme"
                                                    << "Cancel" << "キャンセル";
    QTest::newRow("Qt's button, window program, English") << Program::Windows << Language::English
                                                          << "QPlatformTheme" << "Cancel" << "Cancel";
    QTest::newRow("Qt's text, command line, C") << Program::CommandLine << Language::Source << "QPlatformTheme"
                                                << "Cancel" << "Cancel";
}

void LanguageTest::installed()
{
    QFETCH(Program, program);
    QFETCH(Language, language);
    QFETCH(QString, context);
    QFETCH(QString, source);
    QFETCH(QString, shown);
    QCOMPARE(korvanta::installTranslators(program, language), language);
    QCOMPARE(korvanta::currentLanguage(), language);
    QCOMPARE(QCoreApplication::translate(context.toUtf8(), source.toUtf8()), shown);
}

void LanguageTest::commandLine_data()
{
    QTest::addColumn<QString>("locale"); // LANG; "en" also sets LANGUAGE=en
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("said"); // lines of standard error, in order

    const QStringList bogus{"bogus"};
    QTest::newRow("own text, C") << "C.UTF-8" << bogus << 2
                                 << QStringList{"korvanta-cli: unknown command \"bogus\""};
    QTest::newRow("own text, Japanese") << "ja_JP.UTF-8" << bogus << 2
                                        << QStringList{"korvanta-cli: 知らないコマンドです: \"bogus\""};
    QTest::newRow("own text, English") << "en" << bogus << 2
                                       << QStringList{"korvanta-cli: unknown command \"bogus\""};

    // A message about the adapter names its port on every line.
    const QStringList absent{"--port", "{dir}/ttyABSENT", "--workfile", "{dir}/mail.ini", "identify"};
    const QString port = "korvanta-cli: {dir}/ttyABSENT: ";
    QTest::newRow("the link's text, C") << "C.UTF-8" << absent << 1
                                        << QStringList{port + "COMポートがオープンできません",
                                                       port + "デバイス {dir}/ttyABSENT が存在しません。"};
    QTest::newRow("the link's text, Japanese") << "ja_JP.UTF-8" << absent << 1
                                               << QStringList{port + "COMポートがオープンできません",
                                                              port + "デバイス {dir}/ttyABSENT が存在しません。"};
    QTest::newRow("the link's text, English") << "en" << absent << 1
                                              << QStringList{port + "Cannot open the COM port.",
                                                             port + "Device {dir}/ttyABSENT does not exist."};

    // A profile's check and the command line's own words in one message.
    const QStringList empty{"--simulate", "restore", "-"};
    const QString simulated = "korvanta-cli: COM1 (simulated adapter): ";
    QTest::newRow("a profile's text, C") << "C.UTF-8" << empty << 2
                                         << QStringList{simulated + "standard input: 空です (設定がひとつもありません)"};
    QTest::newRow("a profile's text, Japanese") << "ja_JP.UTF-8" << empty << 2
                                                << QStringList{simulated + "標準入力: 空です (設定がひとつもありません)"};
    QTest::newRow("a profile's text, English") << "en" << empty << 2
                                               << QStringList{simulated + "standard input: Empty (no settings at all)"};
}

void LanguageTest::commandLine()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QStringList, said);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    for (QString &a : arguments)
        a.replace("{dir}", dir.path());
    for (QString &line : said)
        line.replace("{dir}", dir.path());

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        env.remove(QString::fromLatin1(name));
    env.insert("LANG", locale == "en" ? "en_US.UTF-8" : locale);
    if (locale == "en")
        env.insert("LANGUAGE", "en");
    QProcess cli;
    cli.setProcessEnvironment(env);
    cli.start(QDir(qEnvironmentVariable("KORVANTA_BIN_DIR")).filePath("korvanta-cli"), arguments);
    cli.closeWriteChannel(); // standard input: nothing
    QVERIFY(cli.waitForFinished(30000));
    const QStringList lines = QString::fromUtf8(cli.readAllStandardError()).split('\n');
    QCOMPARE(lines.mid(0, said.size()), said);
    QCOMPARE(cli.exitCode(), status);
}

QTEST_GUILESS_MAIN(LanguageTest)
#include "language_test.moc"
