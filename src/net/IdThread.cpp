#include "net/IdThread.h"

#include "framework/GuiHandover.h"

#include <QCoreApplication>
#include <QThread>
#include <system_error>

TIdThread::TIdThread()
{
    try {
        FThread = std::thread([this] { Body(); });
    } catch (const std::system_error &e) {
        throw EThread(QByteArray("Thread creation error: ") + e.what());
    }
}

TIdThread::~TIdThread()
{
    EndThread();
}

void TIdThread::EndThread()
{
    if (!FThread.joinable())
        return;
    if (!Finished())
        Terminate();
    WaitFor();
}

void TIdThread::StartRunning()
{
    if (!IsHalted())
        return;
    {
        std::lock_guard lock(FLock);
        FHalted = false;
    }
    FWake.notify_all();
}

void TIdThread::StopRunning()
{
    if (IsHalted())
        return;
    std::lock_guard lock(FLock);
    if (HaltMode == THaltMode::Terminate)
        FTerminated = true;
    FHalted = true;
}

void TIdThread::Terminate()
{
    {
        std::lock_guard lock(FLock);
        FTerminated = true;
    }
    FWake.notify_all();
}

void TIdThread::EndAndWait()
{
    {
        std::lock_guard lock(FLock);
        FTerminated = true;
        FHalted = true;
    }
    FWake.notify_all();
    WaitFor();
}

void TIdThread::WaitFor()
{
    if (!FThread.joinable())
        return;
    if (FThread.get_id() == std::this_thread::get_id())
        throw EThread("A thread cannot wait for its own end");
    const QCoreApplication *app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread())
        WaitServicingCalls([this] { return Finished(); });
    FThread.join();
}

QByteArray TIdThread::ExitMessage() const
{
    std::lock_guard lock(FLock);
    return FExitMessage;
}

std::exception_ptr TIdThread::FatalException() const
{
    std::lock_guard lock(FLock);
    return FFatalException;
}

void TIdThread::SuspendWhileHalted()
{
    std::unique_lock lock(FLock);
    FSuspended = true;
    FWake.wait(lock, [this] { return !FHalted || FTerminated; });
    FSuspended = false;
}

void TIdThread::Body()
{
    try {
        Execute();
    } catch (...) {
        std::lock_guard lock(FLock);
        FFatalException = std::current_exception();
    }
    {
        std::lock_guard lock(FLock);
        FFinished = true;
    }
    FWake.notify_all();
    WakeServicingWait();
}

void TIdThread::Execute()
{
    try {
        while (!Terminated()) {
            if (IsHalted()) {
                SuspendWhileHalted();
                if (Terminated()) {
                    AfterRunning();
                    break;
                }
            }
            try {
                BeforeRunning();
                while (!IsHalted())
                    RunOnce();
            } catch (...) {
                AfterRunning();
                throw;
            }
            AfterRunning();
        }
    } catch (const Exception &e) {
        {
            std::lock_guard lock(FLock);
            FExitMessage = e.Message();
        }
        if (OnRunException)
            OnRunException(this, e);
        Terminate();
    }
}
