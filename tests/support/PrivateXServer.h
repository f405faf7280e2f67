#pragma once

// The X servers the tests start for themselves, and what a test says of a
// program it started when that program did not do what was expected.

#include <QProcess>
#include <QString>
#include <QStringList>

// Arguments of an Xvfb that picks a free display itself and prints its
// number (-displayfd 1). It never resets when its last client leaves (the
// tests' short-lived X clients would otherwise leave it between two of
// them, and a client that connects during the reset is never served), and
// it listens only on its network namespace's own abstract socket: a socket
// file in /tmp/.X11-unix is shared by every namespace, and another
// namespace's server of the same number removes it as it starts and ends.
inline QStringList PrivateXServerArguments(const QString &screen)
{
    return {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-noreset"),
            QStringLiteral("-nolisten"),  QStringLiteral("tcp"), QStringLiteral("-nolisten"),
            QStringLiteral("unix"),       QStringLiteral("-screen"), QStringLiteral("0"),
            screen};
}

// The process's real state: whether it still runs or how it ended, and what
// it wrote to its standard error.
inline QString ProcessReport(QProcess &process)
{
    // Lets QProcess notice an exit that has happened meanwhile.
    process.waitForFinished(200);
    QString state;
    if (process.state() != QProcess::NotRunning)
        state = QStringLiteral("it is still running");
    else if (process.exitStatus() == QProcess::CrashExit)
        state = QStringLiteral("it crashed");
    else
        state = QStringLiteral("it ended with status %1").arg(process.exitCode());
    return state + QStringLiteral("; its standard error: ") + QString::fromLocal8Bit(process.readAllStandardError());
}
