// clipboard-watch: shows the clipboard viewer as the main window has it and
// prints one line per clipboard change, as the viewer sees it:
//   change N formats=NAME,NAME,... text=HEX
// (HEX: the clipboard text in cp1251), then, once the preview is rebuilt:
//   preview CLASS WIDTHxHEIGHT [empty] [text=HEX]
// ("preview none" when no preview is shown; text= for a text field, in
// cp1251 as hex) and how often the clipboard's
// owner has been asked for its formats so far:
//   requests N
// A failure that would reach the error display is printed as "error TEXT".
// With --count N it ends after the Nth change. A test aid: it is not
// installed with the program.

#include "app/Clipboard.h"
#include "app/ClipboardViewer.h"
#include "widgets/Image.h"
#include "widgets/Memo.h"
#include "framework/Application.h"
#include "framework/MessageBox.h"
#include "platform/clipboard/ClipboardData.h"
#include "platform/cp1251/Ansi.h"
#include "platform/display/Display.h"
#include "commandline/CommandLine.h"

#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
const char Tool[] = "clipboard-watch";
const char UsageText[] =
    "usage: clipboard-watch [--count N]\n"
    "Shows the clipboard viewer as the board configurator's main window has it\n"
    "and prints every clipboard change as the viewer sees it: the formats, the\n"
    "text (cp1251, as hex), the preview it builds, and how often the clipboard's\n"
    "owner has been asked for its formats. Needs a display.\n"
    "  --count N  end after N changes (the first comes at once, on joining)\n"
    "  --help, --version\n"
    "example: clipboard-watch --count 3\n";

void Print(const QByteArray &line)
{
    std::fwrite(line.constData(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// The formats as the viewer sees them, in the clipboard's order.
QByteArray FormatNames()
{
    QStringList names;
    TClipboardOpen open;
    for (uint32_t f = ClipboardApi::EnumClipboardFormats(0); f != 0; f = ClipboardApi::EnumClipboardFormats(f))
        names << ClipboardApi::ClipboardFormatName(f);
    return names.join(QLatin1Char(',')).toUtf8();
}

QByteArray PreviewLine(const TClipboardViewer &viewer)
{
    const auto *preview = qobject_cast<const QWidget *>(viewer.Preview());
    if (!preview)
        return "preview none";
    QByteArray line = QByteArray("preview ") + preview->metaObject()->className() + ' ' +
                      QByteArray::number(preview->width()) + 'x' + QByteArray::number(preview->height());
    if (const auto *image = qobject_cast<const TImage *>(preview))
        if (!image->Picture().Graphic() || image->Picture().Graphic()->Empty())
            line += " empty";
    if (const auto *memo = qobject_cast<const TMemo *>(preview))
        line += " text=" + ToAnsi(memo->toPlainText()).toHex();
    return line;
}
} // namespace

int main(int argc, char **argv)
{
    // The arguments are read before the application starts: --help needs no
    // display.
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (CommandLine::IsHelpOrVersion(arg, Tool, UsageText))
            return 0;
        if (arg != "--count")
            return CommandLine::UsageError(Tool, "unknown argument " + arg, UsageText);
        if (i + 1 == argc)
            return CommandLine::UsageError(Tool, "--count needs a value", UsageText);
        char *end = nullptr;
        const long n = std::strtol(argv[++i], &end, 10);
        if (*argv[i] == '\0' || *end != '\0' || n < 1 || n > 1000000000)
            return CommandLine::UsageError(Tool, "--count needs a number of changes, 1 or more", UsageText);
        count = int(n);
    }
    if (const QByteArray problem = DisplayProblem(argc, argv); !problem.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n", Tool, problem.constData());
        return 1;
    }
    TApplication application(argc, argv);

    SetMessageBoxHandler([](const QByteArray &text, const QByteArray &, TMsgIcon) { Print("error " + text); });

    TClipboardViewer viewer;
    viewer.setWindowTitle(QStringLiteral("clipboard-watch"));
    viewer.resize(113, 41);
    viewer.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewer.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewer.SetAutoScroll(false);
    viewer.SetColor(clBtnFace);

    int changes = 0;
    viewer.SetOnChange([&](QObject *) {
        ++changes;
        const QByteArray text = ClipboardAccess().FormatAvailable(CF_TEXT) ? ClipboardAccess().ClipboardText() : QByteArray();
        Print("change " + QByteArray::number(changes) + " formats=" + FormatNames() + " text=" + text.toHex());
        // The preview is rebuilt when this handler has returned.
        const int n = changes;
        QTimer::singleShot(0, &viewer, [&viewer, n, count] {
            Print(PreviewLine(viewer));
            Print("requests " + QByteArray::number(ClipboardApi::FormatListRequests()));
            if (n == count)
                QCoreApplication::quit();
        });
    });
    viewer.show();
    return application.exec();
}
