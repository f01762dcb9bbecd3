#include "platform/console.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <iostream>
#include <string>

namespace console {

namespace {

// The terminal whose settings the key pause has changed, for the signal handler; -1 otherwise.
volatile std::sig_atomic_t pausedTerminal = -1;
termios savedTerminal{};

// Signals that end the program by default; a pause interrupted by one restores the terminal.
constexpr int kEndingSignals[] = {SIGINT, SIGQUIT, SIGTERM, SIGHUP};
constexpr std::size_t kEndingSignalCount = sizeof(kEndingSignals) / sizeof(kEndingSignals[0]);

void RestoreTerminalAndRaise(int signalNumber) {
    const int fd = pausedTerminal;
    if (fd >= 0) {
        tcsetattr(fd, TCSANOW, &savedTerminal);
    }
    // SA_RESETHAND has put back the default action: the raised signal ends the program as soon
    // as this handler returns.
    raise(signalNumber);
}

// Installs the restoring handler for every ending signal that the program does not ignore.
void CatchEndingSignals(struct sigaction (&previous)[kEndingSignalCount]) {
    struct sigaction restore {};
    restore.sa_handler = RestoreTerminalAndRaise;
    restore.sa_flags = SA_RESETHAND;
    sigemptyset(&restore.sa_mask);
    for (std::size_t i = 0; i < kEndingSignalCount; ++i) {
        sigaction(kEndingSignals[i], nullptr, &previous[i]);
        if (previous[i].sa_handler != SIG_IGN) {
            sigaction(kEndingSignals[i], &restore, nullptr);
        }
    }
}

void ReleaseEndingSignals(const struct sigaction (&previous)[kEndingSignalCount]) {
    for (std::size_t i = 0; i < kEndingSignalCount; ++i) {
        sigaction(kEndingSignals[i], &previous[i], nullptr);
    }
}

bool WriteBytes(AppendFile& file, std::string_view bytes) {
    if (bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file.stream) == bytes.size()) {
        return true;
    }
    if (file.error == 0) {
        file.error = errno != 0 ? errno : EIO;
    }
    return false;
}

}  // namespace

Console StandardConsole() {
    Console con;
    con.in = &std::cin;
    con.out = &std::cout;
    con.err = &std::cerr;
    con.waitForKey = isatty(STDIN_FILENO) == 1;
    return con;
}

bool FillInputLine(Console& con) {
    if (con.next < con.line.size()) {
        return true;
    }
    con.out->flush();
    con.line.clear();
    con.next = 0;
    if (!std::getline(*con.in, con.line)) {
        return false;
    }
    const bool hadLineEnd = !con.in->eof();
    std::erase(con.line, '\r');
    if (hadLineEnd) {
        con.line.push_back('\n');
    }
    return !con.line.empty();
}

void DiscardInputLine(Console& con) {
    con.next = con.line.size();
}

bool ReadTerminalKey() {
    const int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    termios saved{};
    if (tcgetattr(fd, &saved) != 0) {
        close(fd);
        return false;
    }
    // One byte without waiting for Enter and without echo. Signal keys stay active, so that
    // Ctrl-C still ends the program; the handler then restores the terminal.
    termios keyMode = saved;
    keyMode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    keyMode.c_cc[VMIN] = 1;
    keyMode.c_cc[VTIME] = 0;

    savedTerminal = saved;
    std::atomic_signal_fence(std::memory_order_seq_cst);  // saved before the handler can see fd
    pausedTerminal = fd;
    struct sigaction previous[kEndingSignalCount];
    CatchEndingSignals(previous);

    bool gotKey = false;
    if (tcsetattr(fd, TCSANOW, &keyMode) == 0) {
        unsigned char key = 0;
        ssize_t count = 0;
        do {
            count = read(fd, &key, 1);
        } while (count < 0 && errno == EINTR);
        gotKey = count == 1;
        // A function or arrow key sends several bytes; only the first one is the key press.
        tcflush(fd, TCIFLUSH);
        tcsetattr(fd, TCSANOW, &saved);
    }

    ReleaseEndingSignals(previous);
    pausedTerminal = -1;
    close(fd);
    return gotKey;
}

AppendFile::~AppendFile() {
    if (stream != nullptr) {
        std::fclose(stream);
    }
}

bool OpenAppendFile(AppendFile& file, const std::string& name) {
    file.stream = std::fopen(name.c_str(), "a");
    if (file.stream == nullptr) {
        file.error = errno;
        return false;
    }
    return true;
}

void WriteAppendFile(AppendFile& file, std::string_view text) {
    if (file.stream == nullptr) {
        return;
    }
    for (;;) {
        const std::size_t lineEnd = text.find('\n');
        if (!WriteBytes(file, text.substr(0, lineEnd)) || lineEnd == std::string_view::npos ||
            !WriteBytes(file, "\r\n")) {
            return;
        }
        text.remove_prefix(lineEnd + 1);
    }
}

bool CloseAppendFile(AppendFile& file) {
    if (file.stream == nullptr) {
        return false;
    }
    if (std::fclose(file.stream) != 0 && file.error == 0) {
        file.error = errno;
    }
    file.stream = nullptr;
    return file.error == 0;
}

}  // namespace console
