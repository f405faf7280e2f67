#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>

#include <optional>

// A tool started by a test, read line by line. Every wait keeps the test's
// own event loop running, so that the window under test goes on receiving
// datagrams and timer ticks meanwhile.
class ChildProcess {
public:
    explicit ChildProcess(const QString &program, const QStringList &arguments = {})
    {
        FProcess.setProcessChannelMode(QProcess::SeparateChannels);
        // Text mode: a Windows tool's "\r\n" line ends are read as "\n".
        FProcess.start(program, arguments, QIODevice::ReadWrite | QIODevice::Text);
        FProcess.waitForStarted(5000);
    }
    ~ChildProcess()
    {
        if (FProcess.state() != QProcess::NotRunning) {
            FProcess.terminate();
            if (!FProcess.waitForFinished(2000))
                FProcess.kill();
            FProcess.waitForFinished(2000);
        }
    }
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    bool Running() const { return FProcess.state() == QProcess::Running; }
    void Write(const QByteArray &line) { FProcess.write(line + '\n'); }

    // The next line of standard output (without its line end), or nothing
    // when none comes within timeoutMs.
    std::optional<QByteArray> ReadLine(int timeoutMs)
    {
        const QDeadlineTimer deadline(timeoutMs);
        for (;;) {
            if (FProcess.canReadLine())
                return FProcess.readLine().chopped(1);
            if (deadline.hasExpired())
                return std::nullopt;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            FProcess.waitForReadyRead(10);
        }
    }

    // Reads lines until one contains `text`; every line read is kept in Seen.
    std::optional<QByteArray> WaitForLine(const QByteArray &text, int timeoutMs)
    {
        const QDeadlineTimer deadline(timeoutMs);
        while (const std::optional<QByteArray> line = ReadLine(int(deadline.remainingTime()))) {
            Seen << *line;
            if (line->contains(text))
                return line;
        }
        return std::nullopt;
    }

    QByteArray ErrorOutput() { return FProcess.readAllStandardError(); }
    QByteArrayList Seen;

private:
    QProcess FProcess;
};
