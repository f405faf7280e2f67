// The viewer on the real X11 clipboard: a private Xvfb server, the
// clipboard-watch tool on it (the viewer as the main window has it), and
// xclip setting the clipboard as another program would.

#include "app/CustomClipboardViewer.h"
#include "platform/clipboard/X11ClipboardMime.h"
#include "platform/clipboard/X11ClipboardTargets.h"
#include "platform/clipboard/X11Selection.h"
#include "support/PrivateXServer.h"
#include "support/Ansi.h"
#include "support/ClipboardContent.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <chrono>
#include <csignal>
#include <future>
#include <memory>
#include <optional>
#include <vector>

using namespace ClipboardApi;

namespace {
// Starts a process and ends it, whatever happens to the test.
struct TChild {
    QProcess Process;
    TChild(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
    {
        Process.setProcessEnvironment(environment);
        Process.start(program, arguments);
    }
    ~TChild()
    {
        if (Process.state() != QProcess::NotRunning) {
            Process.terminate();
            if (!Process.waitForFinished(3000)) {
                Process.kill();
                Process.waitForFinished(3000);
            }
        }
    }
};

// Reads lines from a process until one starts with prefix; empty on timeout.
// Every line read is kept in seen.
QByteArray WaitForLine(QProcess &process, const QByteArray &prefix, QByteArrayList &seen, int timeoutMs = 15000)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < timeoutMs) {
        while (process.canReadLine()) {
            const QByteArray line = process.readLine().trimmed();
            seen << line;
            if (line.startsWith(prefix))
                return line;
        }
        if (!process.waitForReadyRead(200) && process.state() == QProcess::NotRunning && !process.canReadLine())
            break;
    }
    return QByteArray();
}

// Puts data on the X11 clipboard; xclip serves it until another owner
// takes the clipboard over.
std::unique_ptr<TChild> Xclip(const QProcessEnvironment &environment, const QStringList &arguments, const QByteArray &data)
{
    auto xclip = std::make_unique<TChild>(QStandardPaths::findExecutable(QStringLiteral("xclip")),
                                          QStringList{QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-quiet")} + arguments,
                                          environment);
    EXPECT_TRUE(xclip->Process.waitForStarted(5000));
    xclip->Process.write(data);
    // Nothing runs this process's event loop meanwhile: write out now.
    while (xclip->Process.bytesToWrite() > 0 && xclip->Process.waitForBytesWritten(5000)) {
    }
    xclip->Process.closeWriteChannel();
    return xclip;
}

// Waits until the clipboard serves text to another program (xclip -o).
bool Serves(const QProcessEnvironment &environment, const QByteArray &text)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 15000) {
        QProcess out;
        out.setProcessEnvironment(environment);
        out.start(QStandardPaths::findExecutable(QStringLiteral("xclip")),
                  {QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard")});
        if (out.waitForFinished(5000) && out.readAllStandardOutput() == text)
            return true;
    }
    return false;
}

// Stops a process until the end of the scope, or until Continue.
class TStopped {
public:
    explicit TStopped(qint64 pid) : FPid(pid) { Stopped = ::kill(pid_t(pid), SIGSTOP) == 0; }
    ~TStopped() { Continue(); }
    TStopped(const TStopped &) = delete;
    TStopped &operator=(const TStopped &) = delete;
    void Continue()
    {
        if (Stopped)
            Stopped = ::kill(pid_t(FPid), SIGCONT) != 0;
    }
    bool Stopped = false;

private:
    qint64 FPid;
};

// A private Xvfb server for each test; environment is for the programs
// started on it.
class X11Clipboard : public testing::Test {
protected:
    void SetUp() override
    {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        ASSERT_FALSE(xvfb.isEmpty()) << "Xvfb is missing (scripts/deps installs it)";
        ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
            << "xclip is missing (scripts/deps installs it)";

        // Xvfb picks a free display itself and writes its number to stdout.
        server = std::make_unique<TChild>(xvfb, PrivateXServerArguments(QStringLiteral("640x480x24")));
        QByteArrayList serverLines;
        const QByteArray display = WaitForLine(server->Process, "", serverLines);
        ASSERT_FALSE(display.isEmpty()) << server->Process.readAllStandardError().toStdString();

        environment.insert(QStringLiteral("DISPLAY"), QLatin1Char(':') + QString::fromLatin1(display));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.remove(QStringLiteral("XAUTHORITY"));
    }

    void TearDown() override
    {
        if (savedDisplay && savedDisplay->isEmpty())
            qunsetenv("DISPLAY");
        else if (savedDisplay)
            qputenv("DISPLAY", *savedDisplay);
    }

    // X connections this process opens of its own go to the server too,
    // until the test ends.
    void UseServer()
    {
        savedDisplay = qgetenv("DISPLAY");
        qputenv("DISPLAY", environment.value(QStringLiteral("DISPLAY")).toLocal8Bit());
    }

    // The clipboard viewer as the main window has it, printing what it sees.
    std::unique_ptr<TChild> Watch(const QStringList &arguments = {})
    {
        return std::make_unique<TChild>(QStringLiteral(V3721_TOOLS_DIR "/clipboard-watch/clipboard-watch"), arguments,
                                        environment);
    }

    std::unique_ptr<TChild> server;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    std::optional<QByteArray> savedDisplay;
};
} // namespace

TEST_F(X11Clipboard, ChangesMadeByAnotherProgramReachTheViewer)
{
    const std::unique_ptr<TChild> watcher = Watch({QStringLiteral("--count"), QStringLiteral("4")});
    TChild &watch = *watcher;
    QByteArrayList seen;
    // Joining the chain brings the first change, with an empty clipboard.
    EXPECT_EQ(WaitForLine(watch.Process, "change", seen), "change 1 formats= text=");
    EXPECT_EQ(WaitForLine(watch.Process, "preview", seen), "preview none");

    // Each xclip serves the clipboard until the next one takes it over and
    // then ends by itself; ending one early would empty the clipboard.
    std::vector<std::unique_ptr<TChild>> xclips;
    xclips.push_back(Xclip(environment, {}, QStringLiteral("#TC0:1:1 Объект").toUtf8()));
    EXPECT_EQ(WaitForLine(watch.Process, "change", seen),
              "change 2 formats=CF_TEXT,CF_OEMTEXT text=" + A("#TC0:1:1 Объект").toHex());
    EXPECT_TRUE(WaitForLine(watch.Process, "preview", seen).startsWith("preview TMemo "));

    xclips.push_back(Xclip(environment, {QStringLiteral("-t"), QStringLiteral("image/png")},
                           ClipboardContent::Encoded(ClipboardContent::Filled(30, 20, Qt::red), "PNG")));
    EXPECT_EQ(WaitForLine(watch.Process, "change", seen), "change 3 formats=CF_BITMAP text=");
    EXPECT_EQ(WaitForLine(watch.Process, "preview", seen), "preview TImage 30x20");

    // Broken image data: an empty image and nothing worse.
    xclips.push_back(Xclip(environment, {QStringLiteral("-t"), QStringLiteral("image/png")}, QByteArray(4096, '\x89')));
    EXPECT_EQ(WaitForLine(watch.Process, "change", seen), "change 4 formats=CF_BITMAP text=");
    EXPECT_TRUE(WaitForLine(watch.Process, "preview", seen).endsWith(" empty"));

    ASSERT_TRUE(watch.Process.waitForFinished(10000));
    EXPECT_EQ(watch.Process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(watch.Process.exitCode(), 0);
    for (const QByteArray &line : seen)
        EXPECT_FALSE(line.startsWith("error")) << line.toStdString();
}

TEST_F(X11Clipboard, TextInACharsetOfItsOwnIsRead)
{
    const std::unique_ptr<TChild> watch = Watch({QStringLiteral("--count"), QStringLiteral("2")});
    QByteArrayList seen;
    EXPECT_EQ(WaitForLine(watch->Process, "change", seen), "change 1 formats= text=");
    const std::unique_ptr<TChild> xclip = Xclip(environment, {QStringLiteral("-t"), QStringLiteral("text/plain;charset=KOI8-R")},
                                                QByteArray("#TC0:1:1 \xF0\xD5\xD3\xCB"));
    EXPECT_EQ(WaitForLine(watch->Process, "change", seen),
              "change 2 formats=CF_TEXT,CF_OEMTEXT text=" + A("#TC0:1:1 Пуск").toHex());
    EXPECT_TRUE(WaitForLine(watch->Process, "preview", seen).startsWith("preview TMemo "));
    ASSERT_TRUE(watch->Process.waitForFinished(10000));
    for (const QByteArray &line : seen)
        EXPECT_FALSE(line.startsWith("error")) << line.toStdString();
}

TEST_F(X11Clipboard, AnOwnerThatDoesNotAnswerIsAskedOnceAndHoldsNothingUp)
{
    // An owner that holds the clipboard but has stopped answering.
    const std::unique_ptr<TChild> owner = Xclip(environment, {}, "#TC0:1:1");
    ASSERT_TRUE(Serves(environment, "#TC0:1:1"));
    TStopped stopped(owner->Process.processId());
    ASSERT_TRUE(stopped.Stopped);

    // The viewer joins, shows and goes on while its question is open.
    const std::unique_ptr<TChild> watch = Watch();
    QByteArrayList seen;
    EXPECT_EQ(WaitForLine(watch->Process, "change", seen), "change 1 formats= text=");
    EXPECT_EQ(WaitForLine(watch->Process, "preview", seen), "preview none");
    EXPECT_EQ(WaitForLine(watch->Process, "requests", seen), "requests 1");

    // The owner wakes up and answers the open question: its formats are the
    // clipboard's from then on, without asking again.
    stopped.Continue();
    EXPECT_EQ(WaitForLine(watch->Process, "change", seen), "change 2 formats=CF_TEXT,CF_OEMTEXT text=" + QByteArray("#TC0:1:1").toHex());
    EXPECT_TRUE(WaitForLine(watch->Process, "preview", seen).startsWith("preview TMemo "));
    EXPECT_EQ(WaitForLine(watch->Process, "requests", seen), "requests 1");

    // Each further change is one question.
    const std::unique_ptr<TChild> next = Xclip(environment, {}, "#TC0:1:2");
    EXPECT_EQ(WaitForLine(watch->Process, "change", seen), "change 3 formats=CF_TEXT,CF_OEMTEXT text=" + QByteArray("#TC0:1:2").toHex());
    EXPECT_EQ(WaitForLine(watch->Process, "requests", seen), "requests 2");
    for (const QByteArray &line : seen)
        EXPECT_FALSE(line.startsWith("error")) << line.toStdString();
}

TEST_F(X11Clipboard, DataItsOwnerStopsHandingOverIsUnreadableAndTheNextChangeWorks)
{
    struct TCase {
        QString Mime;
        QByteArray Data;
        QByteArray Formats;
        QByteArray Preview; // how the preview line ends
    };
    const TCase cases[] = {
        {QStringLiteral("text/plain"), "#TC0:1:1", "CF_TEXT,CF_OEMTEXT",
         " text=" + QByteArray(TCustomClipboardViewer::UnknownFormatText).toHex()},
        {QStringLiteral("image/png"), ClipboardContent::Encoded(ClipboardContent::Filled(30, 20, Qt::red), "PNG"),
         "CF_BITMAP", " empty"},
    };
    const std::unique_ptr<TChild> watch = Watch();
    QByteArrayList seen;
    EXPECT_EQ(WaitForLine(watch->Process, "preview", seen), "preview none");
    int changes = 1;
    std::vector<std::unique_ptr<TChild>> xclips;
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.Mime.toStdString());
        // Names its formats, then stops when its data is asked for.
        TChild owner(QStringLiteral(V3721_CLIPBOARD_OWNER), {c.Mime, QString::fromLatin1(c.Data.toHex())}, environment);
        ASSERT_EQ(WaitForLine(owner.Process, "owner", seen), "owner");
        QElapsedTimer away;
        away.start();
        EXPECT_EQ(WaitForLine(watch->Process, "change", seen),
                  "change " + QByteArray::number(++changes) + " formats=" + c.Formats + " text=");
        const QByteArray preview = WaitForLine(watch->Process, "preview", seen);
        EXPECT_TRUE(preview.endsWith(c.Preview)) << preview.toStdString();
        // Qt's clipboard would have waited 5 s for each read.
        EXPECT_LT(away.elapsed(), 2000);

        xclips.push_back(Xclip(environment, {}, "#TC0:1:2"));
        EXPECT_EQ(WaitForLine(watch->Process, "change", seen),
                  "change " + QByteArray::number(++changes) + " formats=CF_TEXT,CF_OEMTEXT text=" + QByteArray("#TC0:1:2").toHex());
        EXPECT_TRUE(WaitForLine(watch->Process, "preview", seen).endsWith(" text=" + QByteArray("#TC0:1:2").toHex()));
        ::kill(pid_t(owner.Process.processId()), SIGCONT);
    }
    for (const QByteArray &line : seen)
        EXPECT_FALSE(line.startsWith("error")) << line.toStdString();
}

TEST_F(X11Clipboard, DataIsReadWholeInOnePieceOrMany)
{
    UseServer();
    // Large data comes as an incremental transfer.
    for (const qsizetype size : {qsizetype(8), qsizetype(6 * 1024 * 1024)}) {
        SCOPED_TRACE(size);
        const QByteArray data(size, 'z');
        const std::unique_ptr<TChild> xclip = Xclip(environment, {}, data);
        ASSERT_TRUE(Serves(environment, data));
        const std::optional<TX11Selection::TValue> value = ReadX11Clipboard("UTF8_STRING", 30000);
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->Data, data);
    }
}

// What waits on the X server off the GUI thread lets go at once when the
// server has stopped, even inside an X call.
TEST_F(X11Clipboard, NothingWaitsOnAStoppedServer)
{
    UseServer();
    const auto ignore = [](const std::optional<QByteArrayList> &) {};
    struct TCase {
        const char *What;
        std::function<void()> Run;
    };
    const TCase cases[] = {
        {"the question's object goes", [&] { TX11ClipboardTargets(nullptr, ignore).Ask(); }},
        {"the question is asked again",
         [&] {
             TX11ClipboardTargets targets(nullptr, ignore);
             targets.Ask();
             targets.Ask();
         }},
        {"data is read", [] { EXPECT_FALSE(ReadX11Clipboard("UTF8_STRING", X11DataTimeoutMs).has_value()); }},
    };
    TStopped stopped(server->Process.processId());
    ASSERT_TRUE(stopped.Stopped);
    for (const TCase &c : cases) {
        SCOPED_TRACE(c.What);
        std::future<void> done = std::async(std::launch::async, c.Run);
        const bool prompt = done.wait_for(std::chrono::seconds(1)) == std::future_status::ready;
        EXPECT_TRUE(prompt) << "held by the stopped server";
        if (!prompt) {
            stopped.Continue(); // so that the call can end
            return;
        }
    }
}
