// The user-interface thread of a window program: start-up with a display check, the event
// loop, handing work to that thread, and waits of that thread that keep serving events.
//
// Threads: StartUi, EndUi, RunEventLoop, ServeEventsUntil and YieldToEvents belong to the thread
// that called StartUi (the user-interface thread). PostToUi, WakeUi, QuitEventLoop and OnUiThread
// may be called from any thread. Widgets are only ever touched on the user-interface thread;
// the other modules of platform/ hand work to it through PostToUi.
#pragma once

#include <functional>
#include <string_view>

namespace ui {

// Creates the application on this thread. Without a display it writes a plain explanation to
// standard error (`program` and the `hint` on what to do instead) and returns false, instead
// of letting the toolkit abort.
bool StartUi(int argc, char** argv, std::string_view program, std::string_view hint);
// Frees the windows still waiting to be deleted, then the application. Call it before main
// returns: the toolkit cannot be taken down safely by the destructors that run after main.
void EndUi();

// Whether StartUi has succeeded in this process (a run without a window never calls it).
bool UiStarted();
bool OnUiThread();

// Runs the event loop until QuitEventLoop; returns its code. QuitEventLoop does nothing while
// RunEventLoop is not running (tests drive the window without it).
int RunEventLoop();
void QuitEventLoop(int code);

// Runs `work` on the user-interface thread, after the events already queued. Dropped when
// the user interface is not running.
void PostToUi(std::function<void()> work);

// Serves events on the user-interface thread until `done` holds. `done` is looked at once at
// the start and again after each WakeUi, so whoever changes what it tests calls WakeUi.
void ServeEventsUntil(const std::function<bool()>& done);
void WakeUi();

// Handles the events that are waiting, then returns.
void YieldToEvents();

}  // namespace ui
