// termivo's main window for a benchmark: built as the program builds it, on the offscreen
// platform, so that the screen's repaint marks are made, gathered and painted for real. The
// terminal connects to a device through the port map, as Connect does. Everything here runs
// on the user-interface thread, the benchmark's main thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace bench {

// Starts the user interface on the offscreen platform and opens the main window with an empty
// screen. Aborts when either fails.
void StartTerminalWindow();
// Ends the connection and the window, then the user interface.
void EndTerminalWindow();

// Connects the terminal to COM11 as Connect does, with `target` (a device path, or a virtual
// line such as "loopback") behind that name in the port map: the port is opened with the
// terminal's settings and its reader thread starts. Aborts on failure.
void ConnectTerminal(const std::string& target);
// Disconnects and waits, serving events, until the reader has ended.
void DisconnectTerminal();

// Serves events until `done` holds. `done` is looked at once at the start and then after each
// ui::WakeUi, so whatever makes it true must wake the user-interface thread.
void ServeEventsUntil(const std::function<bool()>& done);

// What the screen shows: its rows (trailing spaces cut) and the cursor.
struct ScreenPicture {
    std::vector<std::u16string> rows;
    int cursorRow = 0;
    int cursorCol = 0;

    bool operator==(const ScreenPicture&) const = default;
};
ScreenPicture CurrentScreen();
void ClearTerminalScreen();

// The screen that `text` leaves on an empty screen, fed straight to PutScreenChar from a
// worker thread as the reader would, while this thread serves events. The screen is empty
// again afterwards.
ScreenPicture ScreenLeftBy(const std::vector<unsigned char>& text);

}  // namespace bench
