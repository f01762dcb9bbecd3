#include "platform/ui_app.h"

#include <QApplication>
#include <QEventLoop>
#include <QSocketNotifier>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace ui {

namespace {

// The application keeps a reference to its argument count for its whole life. It is ended by
// EndUi, never by a static destructor: at exit the toolkit's own statics may be gone first.
int applicationArgc = 0;
QApplication* application = nullptr;
// The thread that started the application. OnUiThread is asked for every byte the terminal
// shows, so it compares thread ids instead of asking the toolkit.
std::thread::id uiThread;
// The nested loops of ServeEventsUntil, innermost last; touched on the user-interface thread.
std::vector<QEventLoop*> servingLoops;
// Work handed to the user-interface thread travels in this queue, under a standard lock, and
// an eventfd wakes that thread: other threads never touch a toolkit object, and the hand-over
// stays visible to the thread checkers.
std::mutex postedLock;
std::deque<std::function<void()>> posted;
bool wakePending = false;  // the eventfd has been written and not yet read
int wakeFd = -1;
QSocketNotifier* wakeNotifier = nullptr;

void Wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = write(wakeFd, &one, sizeof one);
}

// Whether RunEventLoop is running; only then does QuitEventLoop end anything.
std::atomic<bool> mainLoopRunning{false};

// Whether a local X server answers at `display` (":0", ":1.0", "unix:0"). A remote display
// is taken on trust; the toolkit reports what goes wrong there.
bool LocalXServerAnswers(std::string display) {
    if (display.starts_with("unix:")) {
        display.erase(0, 4);
    }
    if (!display.starts_with(":")) {
        return true;
    }
    const std::string number = display.substr(1, display.find('.') - 1);
    const std::string path = "/tmp/.X11-unix/X" + number;
    for (const bool abstract : {false, true}) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        // An abstract socket's name starts with a NUL byte; Xorg and Xvfb listen on both.
        std::memcpy(address.sun_path + (abstract ? 1 : 0), path.c_str(), path.size());
        const socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) +
                                                        path.size() + (abstract ? 1 : 0));
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            return true;
        }
        const bool answered = connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0;
        close(fd);
        if (answered) {
            return true;
        }
    }
    return false;
}

// Runs the work posted so far, oldest first, then returns to the event loop: work posted
// meanwhile waits for the next wake, so a stream of posts cannot starve paints and input.
// While more work is queued a wake stays pending, so that work which serves events itself (a
// nested loop) still lets later work run, in order. One wake serves a whole batch: a reader
// that ticks the lamp row after every line event costs one pass of the event loop, not six.
void RunPosted() {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t n = read(wakeFd, &count, sizeof count);
    std::size_t batch = 0;
    {
        std::lock_guard guard(postedLock);
        wakePending = false;
        batch = posted.size();
    }
    for (; batch > 0; --batch) {
        std::function<void()> work;
        {
            std::lock_guard guard(postedLock);
            if (posted.empty()) {
                return;  // a nested loop has run the rest
            }
            work = std::move(posted.front());
            posted.pop_front();
            if (!posted.empty() && !wakePending) {
                wakePending = true;
                Wake();
            }
        }
        work();
    }
}

bool HasDisplay() {
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform != nullptr && *platform != '\0') {
        return true;  // offscreen, vnc, ...: the user chose a platform that needs no display
    }
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland != nullptr && *wayland != '\0') {
        return true;
    }
    return x11 != nullptr && *x11 != '\0' && LocalXServerAnswers(x11);
}

}  // namespace

bool StartUi(int argc, char** argv, std::string_view program, std::string_view hint) {
    if (!HasDisplay()) {
        std::fprintf(stderr,
                     "%.*s: no display to open its window on (DISPLAY is not set, or no X "
                     "server answers there).\n"
                     "Run it inside a desktop session, or on a virtual display: "
                     "xvfb-run -a %.*s\n%.*s",
                     static_cast<int>(program.size()), program.data(),
                     static_cast<int>(program.size()), program.data(),
                     static_cast<int>(hint.size()), hint.data());
        return false;
    }
    applicationArgc = argc;
    application = new QApplication(applicationArgc, argv);
    uiThread = std::this_thread::get_id();
    wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    wakeNotifier = new QSocketNotifier(wakeFd, QSocketNotifier::Read, application);
    QObject::connect(wakeNotifier, &QSocketNotifier::activated, RunPosted);
    QApplication::setQuitOnLastWindowClosed(false);
    return true;
}

void EndUi() {
    if (application == nullptr) {
        return;
    }
    // Windows waiting to be deleted go first, while the toolkit is whole.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::lock_guard guard(postedLock);
    delete application;  // the notifier with it
    application = nullptr;
    close(wakeFd);
    wakeFd = -1;
    posted.clear();
}

bool UiStarted() {
    return application != nullptr;
}

bool OnUiThread() {
    return application != nullptr && std::this_thread::get_id() == uiThread;
}

int RunEventLoop() {
    mainLoopRunning = true;
    const int code = QApplication::exec();
    mainLoopRunning = false;
    return code;
}

void QuitEventLoop(int code) {
    PostToUi([code] {
        if (mainLoopRunning) {
            QApplication::exit(code);
        }
    });
}

void PostToUi(std::function<void()> work) {
    std::lock_guard guard(postedLock);
    if (application == nullptr) {
        return;
    }
    posted.push_back(std::move(work));
    if (!wakePending) {
        wakePending = true;
        Wake();
    }
}

void ServeEventsUntil(const std::function<bool()>& done) {
    while (!done()) {
        QEventLoop loop;
        servingLoops.push_back(&loop);
        loop.exec();
        servingLoops.pop_back();
    }
}

void WakeUi() {
    PostToUi([] {
        for (QEventLoop* loop : servingLoops) {
            loop->quit();
        }
    });
}

void YieldToEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace ui
