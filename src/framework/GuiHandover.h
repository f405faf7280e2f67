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

// Runs every queued call (an exception is kept for its requester); answers
// whether any ran. GUI thread only: raises EThread on any other.
bool ServicePendingCalls();

// GUI thread only: blocks until `done` answers true, running queued calls as
// they arrive. `done` is asked under the queue's lock, so it must be quick
// and must not hand over; whoever makes it true calls WakeServicingWait()
// afterwards.
void WaitServicingCalls(const std::function<bool()> &done);
void WakeServicingWait();
