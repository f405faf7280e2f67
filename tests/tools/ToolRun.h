#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include "support/QStringPrinter.h"

// The program and the tools as built, for the tests of their command lines.
namespace ToolPaths {
inline const QString Program = QStringLiteral(V3721_TOOLS_DIR "/../src/v3721conf");
inline const QString KvipSim = QStringLiteral(V3721_TOOLS_DIR "/kvip-sim/kvip-sim");
inline const QString TmsMailslot = QStringLiteral(V3721_TOOLS_DIR "/tms-mailslot/tms-mailslot");
inline const QString RegTool = QStringLiteral(V3721_TOOLS_DIR "/reg-tool/reg-tool");
inline const QString ClipboardWatch = QStringLiteral(V3721_TOOLS_DIR "/clipboard-watch/clipboard-watch");
} // namespace ToolPaths

// A tool run to its end: its exit status and what it printed.
struct ToolRun {
    int Status = -1;
    QByteArray Out;
    QByteArray Err;
};

// Runs `program` with `arguments` (standard input empty) in this process's
// environment, or in `environment` when one is given.
inline ToolRun RunTool(const QString &program, const QStringList &arguments,
                       const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start(program, arguments);
    ToolRun run;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.Status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.Out = process.readAllStandardOutput();
    run.Err = process.readAllStandardError();
    return run;
}
