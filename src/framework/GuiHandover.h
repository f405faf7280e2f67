#pragma once

#include "framework/Exception.h"

#include <functional>

// A thread operation that cannot be done: a call on the wrong thread, or a
// thread the platform refuses to create.
class EThread : public Exception {
public:
    using Exception::Exception;
};

// The GUI hand-over: another thread asks the GUI thread (the thread of the
// application object) to run a call and waits until it has run.
//
// The GUI thread runs the queued calls, first in first out, whenever it is
// woken for them, before its event loop goes idle, in every nested loop
// (dialogs and message boxes included) and while it waits for another
// thread's end (WaitServicingCalls). A call may itself open a dialog: the
// dialog's loop goes on running the calls queued after it.

// On the GUI thread, runs `call` at once. On any other thread, queues it,
// wakes the GUI thread and waits, without time limit, until it has run; an
// exception raised by the call is raised again here. Raises EThread when
// there is no application object.
void RunOnGuiThread(const std::function<void()> &call);

// How many handed-over calls wait to be run. Any thread may ask.
int PendingCallCount();

// Runs the queued calls (an exception is kept for its requester) for at most
// a couple of milliseconds, so that the event loop gets its turn between the
// bursts of a flood; the calls left then run on the loop's next turn. Answers
// whether any ran. GUI thread only: raises EThread on any other.
bool ServicePendingCalls();

// After its last queued call the GUI thread watches a moment for the next
// request before it goes back to its event loop: a requester that asks again
// at once (the listener during a burst of datagrams) is then served without a
// wake-up of either thread. On by default; switched off, every request after
// an empty queue wakes the GUI thread anew.
void SetWatchForNextRequest(bool watch);

// GUI thread only: blocks until `done` answers true, running queued calls as
// they arrive. `done` is asked under the queue's lock, so it must be quick
// and must not hand over; whoever makes it true calls WakeServicingWait()
// afterwards.
void WaitServicingCalls(const std::function<bool()> &done);
void WakeServicingWait();
