// SPDX-License-Identifier: GPL-3.0-or-later
// korvanta-cli: the KORVAN-TA settings utility on the command line.

#include "cli/command.h"
#include "link/ports/commandline.h"
#include "link/transport/link.h"
#include "link/session/messages.h"
#include "translations/language.h"
#include "link/session/session.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <map>

#include <csignal>
#include <cstdio>

using namespace korvanta;
using namespace korvanta::cli;

namespace {
constexpr int kSummaryColumn = 21; // where the usage's descriptions begin

QString usage()
{
    QString text = Command::tr(
        "Usage: korvanta-cli [options] COMMAND [ARGUMENTS]\n"
        "The KORVAN-TA settings utility on the command line: results on standard\n"
        "output, messages on standard error. Exit status 0 done, 1 the adapter or the\n"
        "line failed, 2 wrong usage or a file that cannot be used, 128 + the signal's\n"
        "number when a signal ended it.\n"
        "\n"
        "Options:\n"
        "  --port PORT        the adapter's port: COMn (COMn is /dev/ttyS(n-1)), a\n"
        "                     device path, rfc2217://HOST:PORT, tcp://HOST:PORT,\n"
        "                     the same within TLS (rfc2217+tls://, tcp+tls://),\n"
        "                     ssh://[USER@]HOST[:PORT] or a name from ports.conf;\n"
        "                     COM1 when none is named;\n"
        "                     --port COMn=PORT makes COMn lead to PORT and uses it\n"
        "%1"
        "  --json             ports, identify, diff, restore and store print one JSON\n"
        "                     document on standard output instead of text\n"
        "  --prefix-port      each change line of diff and restore begins with the\n"
        "                     port, as runs in parallel are told apart\n"
        "  --language LANG    the messages' language whatever the locale: ja, en,\n"
        "                     or c (the texts as written, for scripts)\n"
        "  --deadline-scale F every deadline times F (0.01 to 100): over a slow\n"
        "                     line or a far console server, e.g. 3\n"
        "  -h, --help         this text\n"
        "  -v, --version      the version\n"
        "\n"
        "Commands:\n");
    for (const Command *command : commands()) {
        const QString head = (command->name() + u' ' + command->synopsis()).trimmed();
        const QString indent(kSummaryColumn, u' ');
        text += QStringLiteral("  ") + head.leftJustified(kSummaryColumn - 3) + u' '
            + command->summary().replace(u'\n', u'\n' + indent) + u'\n';
    }
    return text.arg(lineOptionsUsage(true));
}

// Messages go to standard error; a question is answered so that nothing waits
// and nothing is done that was not asked for: an error on the line stops the
// command (Cancel, Abort), a yes-or-no question gets no.
MessageBox::Button presentOnStandardError(const MessageRequest &request, QObject *)
{
    Context *context = Context::current();
    if (!context) {
        std::fprintf(stderr, "korvanta-cli: %s\n", request.text.toUtf8().constData());
    } else if (!context->stopRequested()) { // what failed because the run was ended goes unsaid
        QString text = request.text;
        const Link *link = context->session() ? &context->session()->link : nullptr;
        if (text == kReceiveFailed && link && !link->lastCommand().isEmpty())
            text += QStringLiteral(" (%1)").arg(QString::fromLatin1(link->lastCommand()));
        context->say(text);
    }
    for (const MessageBox::Button answer : {MessageBox::Cancel, MessageBox::Abort, MessageBox::No, MessageBox::Ok})
        if (request.buttons.testFlag(answer))
            return answer;
    return request.defaultButton;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korvanta-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVANTA_VERSION));
    Messages::setPresenter(presentOnStandardError);
    // One language a run: under a Japanese locale every message Japanese,
    // under another English; under C each text as written.
    installTranslators(Program::CommandLine);

    // A reader that has gone away is an error of the write, said and counted
    // in the status, not a silent end.
    std::signal(SIGPIPE, SIG_IGN);

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({{{QStringLiteral("h"), QStringLiteral("help")}, {}},
                       {{QStringLiteral("v"), QStringLiteral("version")}, {}},
                       {QStringLiteral("json"), {}},
                       {QStringLiteral("prefix-port"), {}},
                       {QStringLiteral("language"), {}, QStringLiteral("LANG")},
                       {QStringLiteral("deadline-scale"), {}, QStringLiteral("F")}});
    addLineOptions(parser);
    QStringList added; // an option several commands take is added once
    for (const Command *command : commands())
        for (const QCommandLineOption &option : command->options())
            if (!added.contains(option.names().first())) {
                added << option.names().first();
                parser.addOption(option);
            }

    const auto usageError = [](const QString &why) {
        std::fprintf(stderr, "korvanta-cli: %s\n%s\n", why.toUtf8().constData(),
                     Command::tr("Try 'korvanta-cli --help'.").toUtf8().constData());
        return int(kTrouble);
    };
    const bool parsed = parser.parse(QCoreApplication::arguments());
    if (parser.isSet(QStringLiteral("language"))) {
        static const std::map<QString, Language> languages{
            {QStringLiteral("ja"), Language::Japanese}, {QStringLiteral("en"), Language::English},
            {QStringLiteral("c"), Language::Source}};
        const auto chosen = languages.find(parser.value(QStringLiteral("language")).toLower());
        if (chosen == languages.end())
            return usageError(Command::tr("--language takes ja, en or c, got \"%1\"").arg(parser.value(QStringLiteral("language"))));
        installTranslators(Program::CommandLine, chosen->second);
    }
    if (!parsed)
        return usageError(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        std::printf("%s", qPrintable(usage()));
        return kDone;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("korvanta-cli %s\n", KORVANTA_VERSION);
        return kDone;
    }
    Timing timing;
    if (parser.isSet(QStringLiteral("deadline-scale"))) {
        bool number = false;
        const double scale = parser.value(QStringLiteral("deadline-scale")).toDouble(&number);
        if (!number || !(scale >= 0.01 && scale <= 100))
            return usageError(Command::tr("--deadline-scale takes a number from 0.01 to 100, got \"%1\"")
                                  .arg(parser.value(QStringLiteral("deadline-scale"))));
        timing = timing.times(scale);
    }
    LineOptions options;
    QString error;
    if (!readLineOptions(parser, true, options, &error))
        return usageError(error);
    for (const QString &problem : options.names.problems()) // the other lines still count
        std::fprintf(stderr, "korvanta-cli: %s\n", qPrintable(problem));
    QStringList words = parser.positionalArguments();
    if (words.isEmpty())
        return usageError(Command::tr("no command"));
    Command *command = findCommand(words.takeFirst());
    if (!command)
        return usageError(Command::tr("unknown command \"%1\"").arg(parser.positionalArguments().first()));
    // Another command's own option is a mistake.
    QStringList own;
    for (const QCommandLineOption &option : command->options())
        own << option.names();
    for (const Command *other : commands())
        for (const QCommandLineOption &option : other->options())
            if (other != command && !own.contains(option.names().first()) && parser.isSet(option.names().first()))
                return usageError(Command::tr("--%1 belongs to %2").arg(option.names().first(), other->name()));

    Context context(options, parser.isSet(QStringLiteral("json")), timing, parser.isSet(QStringLiteral("prefix-port")));
    if (!context.openLog())
        return context.finish(kTrouble);
    return context.finish(command->run(context, parser, words));
}
