#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>

#include <cstdint>
#include <sys/resource.h>
#include <unistd.h>

// What the kernel counts for this process (and, for the time stolen by the
// hypervisor, for the machine), for the benchmarks that measure wake-ups,
// processor time and memory.

// Voluntary context switches of every thread of the process: each is one
// wake-up from a wait.
inline int64_t ProcessWakeUps()
{
    int64_t total = 0;
    const QStringList tasks = QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &task : tasks) {
        QFile status(QStringLiteral("/proc/self/task/%1/status").arg(task));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("voluntary_ctxt_switches:"))
                total += line.mid(24).trimmed().toLongLong();
    }
    return total;
}

// User and system processor time of every thread of the process, in seconds.
inline double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Resident memory of the process, in KiB.
inline long ResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    return 0;
}

// How long the calling thread has waited, ready to run, for a processor
// since it started, in nanoseconds (the kernel's run queue delay).
inline int64_t ThreadRunQueueNs()
{
    QFile stat(QStringLiteral("/proc/thread-self/schedstat"));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    // "time on a processor, time waiting on a run queue, time slices"
    return stat.readAll().split(' ').value(1).toLongLong();
}

// Processor time the hypervisor gave to other guests, all processors of the
// machine together, in milliseconds: a virtual machine's figures are only
// comparable when little was stolen while they were taken.
inline double StolenMilliseconds()
{
    QFile stat(QStringLiteral("/proc/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    // "cpu  user nice system idle iowait irq softirq steal ...", in ticks.
    const QList<QByteArray> fields = stat.readLine().simplified().split(' ');
    return fields.size() > 8 ? fields[8].toDouble() * 1000.0 / double(sysconf(_SC_CLK_TCK)) : 0;
}
