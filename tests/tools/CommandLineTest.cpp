// The command line every tool (and the program) has: --help says what it
// does with an example, --version gives the project's version, and a wrong
// argument is one line of reason and then the usage, with exit status 2.
// None of it needs a display.

#include "Version.h"
#include "tools/ToolRun.h"

#include <gtest/gtest.h>

namespace {
struct Tool {
    const char *Name;
    QString Path;
};

const Tool Tools[] = {{"v3721conf", ToolPaths::Program},
                      {"kvip-sim", ToolPaths::KvipSim},
                      {"tms-mailslot", ToolPaths::TmsMailslot},
                      {"reg-tool", ToolPaths::RegTool},
                      {"clipboard-watch", ToolPaths::ClipboardWatch}};

// This process's environment without a display, as in a plain terminal
// session on a machine without one.
QProcessEnvironment WithoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    return environment;
}

QByteArrayList Lines(const QByteArray &text)
{
    QByteArrayList lines = text.split('\n');
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}
} // namespace

TEST(ToolCommandLine, HelpSaysWhatTheToolDoesWithAnExample)
{
    for (const Tool &tool : Tools) {
        SCOPED_TRACE(tool.Name);
        const ToolRun run = RunTool(tool.Path, {QStringLiteral("--help")}, WithoutDisplay());
        EXPECT_EQ(run.Status, 0) << run.Err.constData();
        EXPECT_EQ(run.Err, QByteArray());
        const QByteArrayList lines = Lines(run.Out);
        EXPECT_GE(lines.size(), 3) << run.Out.constData();
        if (lines.size() < 3)
            continue;
        EXPECT_TRUE(lines[0].startsWith(QByteArray("usage: ") + tool.Name)) << lines[0].constData();
        // What it does, in words, and how it is typed.
        EXPECT_GE(run.Out.count(' '), 30);
        EXPECT_TRUE(run.Out.contains(QByteArray("example: ") + tool.Name)) << run.Out.constData();
    }
}

TEST(ToolCommandLine, VersionIsTheProjectVersion)
{
    for (const Tool &tool : Tools) {
        SCOPED_TRACE(tool.Name);
        const ToolRun run = RunTool(tool.Path, {QStringLiteral("--version")}, WithoutDisplay());
        EXPECT_EQ(run.Status, 0) << run.Err.constData();
        EXPECT_EQ(run.Out, QByteArray(tool.Name) + ' ' + ProgramVersion + '\n');
        EXPECT_EQ(run.Err, QByteArray());
    }
}

TEST(ToolCommandLine, AWrongArgumentIsAReasonAndTheUsageWithStatus2)
{
    struct Case {
        const char *Name;
        QString Path;
        QStringList Arguments;
        QByteArray Reason; // the first line of standard error
    };
    const Case cases[] = {
        {"kvip-sim", ToolPaths::KvipSim, {QStringLiteral("--bogus")}, "kvip-sim: unknown option --bogus"},
        {"kvip-sim", ToolPaths::KvipSim, {QStringLiteral("--port")}, "kvip-sim: --port needs a value"},
        {"kvip-sim", ToolPaths::KvipSim, {QStringLiteral("--port"), QStringLiteral("70000")},
         "kvip-sim: --port needs 0..65535"},
        {"kvip-sim", ToolPaths::KvipSim, {QStringLiteral("--reply"), QStringLiteral("x")},
         "kvip-sim: --reply needs G, g or none"},
        {"tms-mailslot", ToolPaths::TmsMailslot, {QStringLiteral("--bogus")}, "tms-mailslot: unknown argument --bogus"},
        {"tms-mailslot", ToolPaths::TmsMailslot, {QStringLiteral("--name")}, "tms-mailslot: --name needs a value"},
        {"tms-mailslot", ToolPaths::TmsMailslot, {QStringLiteral("--count"), QStringLiteral("two")},
         "tms-mailslot: --count needs a number of messages, 1 or more"},
        {"reg-tool", ToolPaths::RegTool, {}, "reg-tool: a command is needed"},
        {"reg-tool", ToolPaths::RegTool, {QStringLiteral("list"), QStringLiteral("HKCU")}, "reg-tool: unknown command list"},
        {"reg-tool", ToolPaths::RegTool, {QStringLiteral("set"), QStringLiteral("HKCU\\Software"), QStringLiteral("Name")},
         "reg-tool: wrong number of arguments for set"},
        {"reg-tool", ToolPaths::RegTool, {QStringLiteral("query"), QStringLiteral("HKXX\\Software")},
         "reg-tool: HKXX\\Software does not start with a root key"},
        {"clipboard-watch", ToolPaths::ClipboardWatch, {QStringLiteral("--bogus")},
         "clipboard-watch: unknown argument --bogus"},
        {"clipboard-watch", ToolPaths::ClipboardWatch, {QStringLiteral("--count"), QStringLiteral("0")},
         "clipboard-watch: --count needs a number of changes, 1 or more"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Reason.constData());
        const ToolRun run = RunTool(c.Path, c.Arguments, WithoutDisplay());
        EXPECT_EQ(run.Status, 2);
        EXPECT_EQ(run.Out, QByteArray());
        const QByteArrayList lines = Lines(run.Err);
        EXPECT_GE(lines.size(), 2) << run.Err.constData();
        if (lines.size() < 2)
            continue;
        EXPECT_EQ(lines[0], c.Reason);
        EXPECT_TRUE(lines[1].startsWith(QByteArray("usage: ") + c.Name)) << lines[1].constData();
    }
}

#ifndef Q_OS_WIN
// Where Qt would find no X display and abort, the program and the viewer say
// so in one line and end with status 1; -platform and -display count before
// QT_QPA_PLATFORM and DISPLAY.
TEST(ToolCommandLine, WithoutADisplayTheProgramSaysSoInOneLine)
{
    QProcessEnvironment environment = WithoutDisplay();
    const ToolRun viewer = RunTool(ToolPaths::ClipboardWatch, {}, environment);
    EXPECT_EQ(viewer.Status, 1);
    EXPECT_EQ(viewer.Err, "clipboard-watch: cannot open the display: DISPLAY is not set\n");
    environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":9973"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const ToolRun program = RunTool(ToolPaths::Program, {"-platform", "xcb", "--display", ":9974"}, environment);
    EXPECT_EQ(program.Status, 1);
    EXPECT_EQ(program.Err, "v3721conf: cannot open the display :9974\n");
}
#endif
