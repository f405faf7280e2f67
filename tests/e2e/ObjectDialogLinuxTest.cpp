// The real program under Xvfb with the real X11 clipboard: an object address
// copied by another X client opens the dialog above the main window, and the
// chosen template reaches the TM server's mailslot.

#include "platform/mailslot/Mailslot.h"
#include "support/PrivateXServer.h"
#include "support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <gtest/gtest.h>

#include <memory>
#include <unistd.h>

namespace {
const QString ProgramPath = QStringLiteral(V3721_TOOLS_DIR "/../src/v3721conf");
const QString ReceiverPath = QStringLiteral(V3721_TOOLS_DIR "/tms-mailslot/tms-mailslot");
const QString MainTitle = QStringLiteral("Конфигуратор щита V3721");
const QString DialogTitle = QStringLiteral("Выберите желамое действие");

// The socket inodes bound to UDP port 971 on this machine.
QSet<QByteArray> Port971Sockets()
{
    QSet<QByteArray> inodes;
    for (const char *table : {"/proc/net/udp", "/proc/net/udp6"}) {
        QFile file(QString::fromLatin1(table));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : file.readAll().split('\n')) {
            const QList<QByteArray> columns = line.simplified().split(' ');
            if (columns.size() > 9 && columns[1].endsWith(":03CB"))
                inodes.insert(columns[9]);
        }
    }
    return inodes;
}

// The process holds a socket bound to UDP port 971.
bool BindsPort971(qint64 pid)
{
    const QSet<QByteArray> inodes = Port971Sockets();
    const QString folder = QStringLiteral("/proc/%1/fd").arg(pid);
    for (const QString &fd : QDir(folder).entryList(QDir::Files | QDir::System)) {
        char target[64] = {};
        const ssize_t n = ::readlink(QFile::encodeName(folder + QLatin1Char('/') + fd).constData(), target, sizeof target - 1);
        const QByteArray link(target, n > 0 ? int(n) : 0);
        if (link.startsWith("socket:[") && inodes.contains(link.mid(8).chopped(1)))
            return true;
    }
    return false;
}

class ObjectDialogE2E : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char *tool : {"Xvfb", "xclip", "xdotool", "xwininfo", "xprop", "xmessage"})
            ASSERT_FALSE(QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
                << tool << " is missing: scripts/deps installs it";
        ASSERT_TRUE(QFileInfo::exists(ProgramPath));

        // -displayfd 1: the server picks a free display and prints its number.
        Start(FXvfb, QStringLiteral("Xvfb"), PrivateXServerArguments(QStringLiteral("1024x768x24")),
              QProcessEnvironment::systemEnvironment());
        ASSERT_TRUE(WaitUntil([this] { return FXvfb.waitForReadyRead(50) || FXvfb.canReadLine(); }, 10000, 20));
        const QByteArray number = FXvfb.readLine().trimmed();
        ASSERT_FALSE(number.isEmpty());
        FEnvironment = QProcessEnvironment::systemEnvironment();
        FEnvironment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":") + QString::fromLatin1(number));
        FEnvironment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        FEnvironment.remove(QStringLiteral("WAYLAND_DISPLAY"));

        Start(FReceiver, ReceiverPath, {QStringLiteral("--json"), QStringLiteral("--count"), QStringLiteral("1")},
              FEnvironment);
        const QString socket = MailslotDirectory() + QStringLiteral("/tms.ms");
        ASSERT_TRUE(WaitUntil([&] { return QFileInfo::exists(socket); }, 10000, 20));
    }

    void TearDown() override
    {
        for (QProcess *process : {&FProgram, &FOther, &FReceiver, &FXvfb}) {
            if (process->state() != QProcess::NotRunning) {
                process->terminate();
                if (!process->waitForFinished(3000)) {
                    process->kill();
                    process->waitForFinished(3000);
                }
            }
        }
    }

    void Start(QProcess &process, const QString &program, const QStringList &arguments,
               const QProcessEnvironment &environment)
    {
        process.setProcessEnvironment(environment);
        process.start(program, arguments);
        ASSERT_TRUE(process.waitForStarted(5000)) << program.toStdString();
    }

    // Runs an X client to its end; its standard output, trimmed.
    QString Run(const QString &program, const QStringList &arguments, const QByteArray &input = {})
    {
        QProcess process;
        process.setProcessEnvironment(FEnvironment);
        process.start(program, arguments);
        if (!process.waitForStarted(5000))
            return {};
        if (!input.isNull()) {
            process.write(input);
            process.closeWriteChannel();
        }
        if (!process.waitForFinished(10000)) {
            process.kill();
            process.waitForFinished();
        }
        return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
    }

    // The X window with this title, 0 when none appears within the time.
    unsigned long WaitForWindow(const QString &title, int timeoutMs = 10000)
    {
        unsigned long window = 0;
        WaitUntil(
            [&] {
                const QString found = Run(QStringLiteral("xdotool"),
                                          {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                           QStringLiteral("--name"), QStringLiteral("^") + title + QStringLiteral("$")});
                window = found.section(QLatin1Char('\n'), 0, 0).toULong();
                return window != 0;
            },
            timeoutMs, 20);
        return window;
    }

    unsigned long FocusWindow() { return Run(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")}).toULong(); }

    bool WaitForFocus(unsigned long window)
    {
        return WaitUntil([&] { return FocusWindow() == window; }, 10000, 20);
    }

    void Xdotool(const QStringList &arguments) { Run(QStringLiteral("xdotool"), arguments); }

    void Copy(const QByteArray &text)
    {
        Run(QStringLiteral("xclip"), {QStringLiteral("-selection"), QStringLiteral("clipboard")}, text);
    }

    // The top-level windows from the top of the stack down.
    QList<unsigned long> StackingOrder()
    {
        QList<unsigned long> order;
        const QStringList lines = Run(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-children")})
                                      .split(QLatin1Char('\n'));
        for (const QString &line : lines) {
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(QStringLiteral("0x")))
                order << trimmed.section(QLatin1Char(' '), 0, 0).toULong(nullptr, 16);
        }
        return order;
    }

    // Starts the program, types the gateway address and presses "Пуск".
    void StartProgram()
    {
        // Another program on this machine may hold the port for a while.
        ASSERT_TRUE(WaitUntil([] { return Port971Sockets().isEmpty(); }, 60000, 20)) << "UDP port 971 stays in use";
        Start(FProgram, ProgramPath, {}, FEnvironment);
        // Start-up may take a while on a busy machine.
        FMainWindow = WaitForWindow(MainTitle, 30000);
        ASSERT_NE(FMainWindow, 0u) << "the main window did not appear; " << ProcessReport(FProgram).toStdString();
        const QString main = QString::number(FMainWindow);
        Xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), main});
        // The address field is first in the tab order. Nothing listens on the
        // discard port: the link is up without an answer.
        Xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("20"), QStringLiteral("127.0.0.1:9")});
        Xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), main, QStringLiteral("358"),
                 QStringLiteral("34"), QStringLiteral("click"), QStringLiteral("1")});
        ASSERT_TRUE(WaitUntil([this] { return BindsPort971(FProgram.processId()); }, 10000, 20))
            << "\"Пуск\" did not bind UDP port 971 (sockets on the port: " << Port971Sockets().size() << ")";
    }

    // What the receiver got, as hex; empty when nothing came within the time.
    QByteArray ReceivedHex(int timeoutMs)
    {
        if (!FReceiver.waitForFinished(timeoutMs))
            return {};
        const QJsonObject message = QJsonDocument::fromJson(FReceiver.readAllStandardOutput()).object();
        return message.value(QStringLiteral("hex")).toString().toLatin1();
    }

    QProcess FXvfb, FReceiver, FProgram, FOther;
    QProcessEnvironment FEnvironment;
    unsigned long FMainWindow = 0;
};
} // namespace

TEST_F(ObjectDialogE2E, CopiedObjectIsSentWithTheDefaultTemplateOnEnter)
{
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Copy("#TC0:1:1");
    const unsigned long dialog = WaitForWindow(DialogTitle);
    ASSERT_NE(dialog, 0u) << "the dialog did not appear; " << ProcessReport(FProgram).toStdString();

    // Above the main window, asked to stay above, and holding the focus.
    const QList<unsigned long> stack = StackingOrder();
    ASSERT_TRUE(stack.contains(dialog) && stack.contains(FMainWindow));
    EXPECT_LT(stack.indexOf(dialog), stack.indexOf(FMainWindow));
    EXPECT_TRUE(Run(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(dialog), QStringLiteral("_NET_WM_STATE")})
                    .contains(QStringLiteral("_NET_WM_STATE_ABOVE")));
    ASSERT_TRUE(WaitForFocus(dialog));
    if (const QString shot = qEnvironmentVariable("V3721_E2E_SCREENSHOT"); !shot.isEmpty())
        Run(QStringLiteral("import"), {QStringLiteral("-window"), QStringLiteral("root"), shot});

    Xdotool({QStringLiteral("key"), QStringLiteral("Return")});
    const QByteArray expected =
        "hw`TMSTATION`TMD83000000`TMADAPT$VorQT.TM_AS_$VorQT=127.0.0.1`TMPORT$QZR_0`_RQL_MUX3.qzrexMux3Idx=0"
        "`_RQL_MUX2.qzrexMux2Idx=0`TMO_QZREX_STATUS_20.qzrexSt2Num=0`TMO_QZREX_ST2_IND.qzrexSt2IndNum=0\r\n"
        "qzrexSt2TmsCh=0`qzrexSt2TmsRtu=1`qzrexSt2TmsPoint=1`qzrexSt2OvrrClass=0\r\n";
    EXPECT_EQ(ReceivedHex(5000), QByteArray(expected.constData(), expected.size() + 1).toHex());

    // The dialog is gone and the main window, which had the focus, has it back.
    EXPECT_TRUE(WaitUntil([&] { return WaitForWindow(DialogTitle, 0) == 0; }, 10000, 20));
    EXPECT_TRUE(WaitForFocus(FMainWindow));
}

TEST_F(ObjectDialogE2E, FocusGoesBackToTheProgramTheObjectWasCopiedFrom)
{
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Start(FOther, QStringLiteral("xmessage"), {QStringLiteral("-title"), QStringLiteral("TM server"), QStringLiteral("#TC1:2:3")},
          FEnvironment);
    const unsigned long other = WaitForWindow(QStringLiteral("TM server"));
    ASSERT_NE(other, 0u);
    Xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::number(other)});
    ASSERT_TRUE(WaitForFocus(other));

    Copy("#TC1:2:3");
    const unsigned long dialog = WaitForWindow(DialogTitle);
    ASSERT_NE(dialog, 0u) << "the dialog did not appear; " << ProcessReport(FProgram).toStdString();
    EXPECT_LT(StackingOrder().indexOf(dialog), StackingOrder().indexOf(other));
    ASSERT_TRUE(WaitForFocus(dialog));
    // "Не обращать внимания" is fourth in the tab order.
    Xdotool({QStringLiteral("key"), QStringLiteral("Tab"), QStringLiteral("Tab"), QStringLiteral("Tab"), QStringLiteral("space")});
    EXPECT_TRUE(WaitForFocus(other));
    EXPECT_TRUE(ReceivedHex(500).isEmpty());
}

TEST_F(ObjectDialogE2E, BothWindowsCarryTheProgramsIcon)
{
    ASSERT_NO_FATAL_FAILURE(StartProgram());
    Copy("#TC0:1:1");
    const unsigned long dialog = WaitForWindow(DialogTitle);
    ASSERT_NE(dialog, 0u) << "the dialog did not appear; " << ProcessReport(FProgram).toStdString();
    for (const unsigned long window : {FMainWindow, dialog}) {
        // The icons the window offers the window manager and the taskbar,
        // from the title bar's size to the largest (all of them: xprop
        // shows only the first few kilobytes of a property by default).
        const QString icons = Run(QStringLiteral("xprop"), {QStringLiteral("-len"), QStringLiteral("4000000"),
                                                            QStringLiteral("-id"), QString::number(window),
                                                            QStringLiteral("_NET_WM_ICON")});
        for (const int size : {16, 24, 32, 48, 256})
            EXPECT_TRUE(icons.contains(QStringLiteral("Icon (%1 x %1)").arg(size)))
                << "window " << window << " has no " << size << "x" << size << " icon: " << icons.left(200).toStdString();
    }
}
