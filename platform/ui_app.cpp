#include "platform/ui_app.h"

#include <QApplication>
#include <QEventLoop>
#include <QThread>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace ui {

namespace {

// The application keeps a reference to its argument count for its whole life.
int applicationArgc = 0;
std::unique_ptr<QApplication> application;
// The nested loops of ServeEventsUntil, innermost last; touched on the user-interface thread.
std::vector<QEventLoop*> servingLoops;

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
    application = std::make_unique<QApplication>(applicationArgc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    return true;
}

void EndUi() {
    application.reset();
}

bool UiStarted() {
    return application != nullptr;
}

bool OnUiThread() {
    return application != nullptr && QThread::currentThread() == application->thread();
}

int RunEventLoop() {
    return QApplication::exec();
}

void QuitEventLoop(int code) {
    PostToUi([code] { QApplication::exit(code); });
}

void PostToUi(std::function<void()> work) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        return;
    }
    QMetaObject::invokeMethod(app, std::move(work), Qt::QueuedConnection);
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
