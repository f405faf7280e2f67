#include "platform/x11/X11Errand.h"

#include <cerrno>
#include <cstdint>
#include <sys/eventfd.h>
#include <system_error>
#include <thread>
#include <unistd.h>

std::shared_ptr<TX11Errand> TX11Errand::Start(std::function<void(TX11Errand &)> work)
{
    std::shared_ptr<TX11Errand> errand(new TX11Errand);
    errand->FCancel = ::eventfd(0, EFD_CLOEXEC);
    if (errand->FCancel < 0)
        return nullptr;
    try {
        std::thread([errand, work = std::move(work)] {
            work(*errand);
            const std::lock_guard lock(errand->FLock);
            errand->FDone = true;
            errand->FReturned.notify_all();
        }).detach();
    } catch (const std::system_error &) {
        return nullptr;
    }
    return errand;
}

TX11Errand::~TX11Errand()
{
    if (FCancel >= 0)
        ::close(FCancel);
}

void TX11Errand::Deliver(const std::function<void()> &deliver)
{
    const std::lock_guard lock(FLock);
    if (!FDropped)
        deliver();
}

bool TX11Errand::Wait(QDeadlineTimer deadline)
{
    std::unique_lock lock(FLock);
    return FReturned.wait_until(lock, deadline.deadline<std::chrono::steady_clock>(), [this] { return FDone; });
}

void TX11Errand::Drop()
{
    {
        const std::lock_guard lock(FLock);
        FDropped = true;
    }
    const uint64_t wake = 1;
    while (::write(FCancel, &wake, sizeof wake) < 0 && errno == EINTR) {
    }
}
