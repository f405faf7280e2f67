#pragma once

#include <QDeadlineTimer>
#include <QThread>

#include <functional>

// Waits until `condition` answers true, asking it every `pollMs`, without
// running the event loop: the GUI thread runs no handed-over call, timer or
// posted event meanwhile. `timeoutMs` only guards against a condition that
// never comes true. Returns whether it came true.
inline bool WaitUntil(const std::function<bool()> &condition, int timeoutMs = 10000, int pollMs = 1)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(pollMs);
    }
    return true;
}
