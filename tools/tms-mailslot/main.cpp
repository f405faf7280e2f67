// tms-mailslot: the receiving end of the TM server's configuration mailslot.
// Stands in for the TM server's configuration program: creates the mailslot
// "\\.\mailslot\<name>.ms" and prints every message as it arrives, stamped
// with the local time.

#include "platform/cp1251/Ansi.h"
#include "platform/mailslot/Mailslot.h"
#include "app/TmMessage.h"
#include "commandline/CommandLine.h"
#include "TimeStamp.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>

namespace {
volatile std::sig_atomic_t stopRequested = 0;
constexpr int StopCheckMs = 500;

void OnSignal(int)
{
    stopRequested = 1;
}

const char Tool[] = "tms-mailslot";
const char UsageText[] =
    "usage: tms-mailslot [--name NAME] [--hex] [--json] [--no-time] [--count N]\n"
    "Plays the TM server's configuration program: creates its mailslot\n"
    "\\\\.\\mailslot\\NAME.ms and prints every message the board configurator\n"
    "writes to it, stamped with the local time, until interrupted.\n"
    "  --name NAME  TM server name (default TMS; letter case does not matter)\n"
    "  --hex        also print each message as a hex dump\n"
    "  --json       print one JSON object per message instead of text\n"
    "               (seq, time, size, nul, lines, hex)\n"
    "  --no-time    leave the time off\n"
    "  --count N    exit after N messages\n"
    "  --help, --version\n"
    "The mailslot is a socket in the user's runtime folder: run it as the user\n"
    "who runs the configurator.\n"
    "example: tms-mailslot --name ТМС --hex\n";

QString Hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

// The message's lines (CR LF ends each; the NUL ends the message), each split
// into its items at the backquotes.
QList<QStringList> Lines(QByteArray message)
{
    if (message.endsWith('\0'))
        message.chop(1);
    QList<QStringList> lines;
    for (QByteArray line : message.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        QStringList items;
        for (const QByteArray &item : line.split('`'))
            items << FromAnsi(item);
        lines << items;
    }
    if (!lines.isEmpty() && lines.back() == QStringList{QString()})
        lines.removeLast();
    return lines;
}

void PrintText(int seq, const QByteArray &message, bool hex, const QByteArray &stamp)
{
    std::printf("%smessage %d: %lld bytes%s\n", stamp.constData(), seq, qlonglong(message.size()),
                message.endsWith('\0') ? "" : " (no terminating NUL)");
    const QList<QStringList> lines = Lines(message);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        std::printf("  line %lld:\n", qlonglong(i + 1));
        for (const QString &item : lines[i])
            std::printf("    %s\n", item.toUtf8().constData());
    }
    if (hex)
        std::printf("  hex: %s\n", Hex(message).toLatin1().constData());
    std::fflush(stdout);
}

void PrintJson(int seq, const QByteArray &message, const QString &time)
{
    QJsonArray lines;
    for (const QStringList &items : Lines(message))
        lines.append(QJsonArray::fromStringList(items));
    QJsonObject object{{QStringLiteral("seq"), seq},
                       {QStringLiteral("size"), qint64(message.size())},
                       {QStringLiteral("nul"), message.endsWith('\0')},
                       {QStringLiteral("lines"), lines},
                       {QStringLiteral("hex"), QString::fromLatin1(message.toHex())}};
    if (!time.isEmpty())
        object.insert(QStringLiteral("time"), time);
    std::printf("%s\n", QJsonDocument(object).toJson(QJsonDocument::Compact).constData());
    std::fflush(stdout);
}
} // namespace

int main(int argc, char **argv)
{
    QByteArray name = "TMS";
    bool hex = false;
    bool json = false;
    bool stamped = true;
    long count = -1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (CommandLine::IsHelpOrVersion(arg, Tool, UsageText)) {
            return 0;
        } else if (arg == "--name" && hasValue) {
            // Arguments come in the locale's encoding (the ANSI code page on
            // Windows); the program's names are cp1251.
            name = ToAnsi(QString::fromLocal8Bit(argv[++i]));
        } else if (arg == "--hex") {
            hex = true;
        } else if (arg == "--json") {
            json = true;
        } else if (arg == "--no-time") {
            stamped = false;
        } else if (arg == "--count" && hasValue) {
            char *end = nullptr;
            count = std::strtol(argv[++i], &end, 10);
            if (*argv[i] == '\0' || *end != '\0' || count < 1)
                return CommandLine::UsageError(Tool, "--count needs a number of messages, 1 or more", UsageText);
        } else if (arg == "--name" || arg == "--count") {
            return CommandLine::UsageError(Tool, arg + " needs a value", UsageText);
        } else {
            return CommandLine::UsageError(Tool, "unknown argument " + arg, UsageText);
        }
    }

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);

    const QByteArray path = TmMailslotPath(name);
    // The name is cp1251, as the program writes it; the terminal is shown its text.
    const QByteArray shownPath = FromAnsi(path).toUtf8();
    TMailslotServer mailslot;
    const uint32_t error = mailslot.Create(path);
    if (error == MailslotError::AlreadyExists) {
        std::fprintf(stderr, "tms-mailslot: %s is already owned by another running receiver\n", shownPath.constData());
        return 1;
    }
    if (error != MailslotError::Success) {
        std::fprintf(stderr, "tms-mailslot: cannot create %s (error %u)\n", shownPath.constData(), error);
        return 1;
    }
#ifdef Q_OS_WIN
    std::fprintf(stderr, "tms-mailslot: listening on %s\n", shownPath.constData());
#else
    std::fprintf(stderr, "tms-mailslot: listening on %s (%s)\n", shownPath.constData(),
                 mailslot.SocketPath().toUtf8().constData());
#endif

    int seq = 0;
    while (!stopRequested && (count < 0 || seq < count)) {
        // On Windows a signal does not end the wait: look at the flag now and then.
        const std::optional<QByteArray> message = mailslot.Read(StopCheckMs);
        if (!message)
            continue;
        ++seq;
        const QDateTime now = QDateTime::currentDateTime();
        if (json)
            PrintJson(seq, *message, stamped ? JsonTime(now) : QString());
        else
            PrintText(seq, *message, hex, stamped ? LineStamp(now) : QByteArray());
    }
    mailslot.Close();
    return 0;
}
