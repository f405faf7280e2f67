#include "platform/beep/MessageBeep.h"

#include "platform/beep/BeepHandler.h"
#include "platform/beep/SoundTheme.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace {
// Names of the sounds in the freedesktop sound theme.
const char *EventId(uint32_t kind)
{
    return kind == BeepKind::Asterisk ? "dialog-information" : "bell";
}

// Plays the sounds on a thread of its own. Opening the sound system can take
// a while (a server that is slow to answer, or none at all), so the GUI
// thread only queues the request.
class TSoundPlayer {
public:
    ~TSoundPlayer()
    {
        {
            std::lock_guard lock(FMutex);
            FStopping = true;
        }
        FWake.notify_one();
        if (FThread.joinable())
            FThread.join();
    }

    void Play(uint32_t kind)
    {
        std::lock_guard lock(FMutex);
        // Beeps beyond a few waiting ones would only be heard late, and
        // those of a quiet spell would not be heard at all: drop them here.
        if (FStopping || FQueue.size() >= MaxWaiting || Clock::now() < FQuietUntil)
            return;
        if (!FThread.joinable())
            FThread = std::thread([this] { Run(); });
        FQueue.push_back(kind);
        FWake.notify_one();
    }

private:
    using Clock = std::chrono::steady_clock;
    static constexpr size_t MaxWaiting = 8;
    static constexpr std::chrono::seconds QuietAfterFailure{60};

    void Run()
    {
        TSoundTheme sounds;
        for (;;) {
            uint32_t kind;
            {
                std::unique_lock lock(FMutex);
                FWake.wait(lock, [this] { return FStopping || !FQueue.empty(); });
                if (FStopping)
                    break;
                kind = FQueue.front();
                FQueue.pop_front();
            }
            // Playing opens the sound device each time. Without one, every
            // attempt costs time, so after a failure the sounds stay silent
            // for a while before the next try (a sound server may have
            // started meanwhile).
            if (!sounds.Play(EventId(kind))) {
                std::lock_guard lock(FMutex);
                FQueue.clear();
                FQuietUntil = Clock::now() + QuietAfterFailure;
            }
        }
    }

    std::mutex FMutex;
    std::condition_variable FWake;
    std::deque<uint32_t> FQueue;
    bool FStopping = false;
    Clock::time_point FQuietUntil;
    std::thread FThread;
};
} // namespace

void MessageBeep(uint32_t kind)
{
    if (BeepTakenByHandler(kind))
        return;
    static TSoundPlayer player;
    player.Play(kind);
}
