// Console services of the configuration wizard: answers read a line at a time, the unechoed
// key press of the pause, and text files appended to with CR LF line ends.
//
// The wizard reads and writes through a Console record. The program fills it with the standard
// streams; tests fill it with string streams, so that a whole session runs in memory. Input is
// buffered one line at a time: what a reader leaves of a line stays buffered until it is read or
// discarded, and the next line is read only when the current one is used up. All of this is for
// the one thread of the wizard.
#pragma once

#include <cstddef>
#include <cstdio>
#include <iosfwd>
#include <string>
#include <string_view>

namespace console {

struct Console {
    std::istream* in = nullptr;
    std::ostream* out = nullptr;
    std::ostream* err = nullptr;
    // Whether the key pause waits for a key of the controlling terminal.
    bool waitForKey = false;
    // The current input line; it ends with "\n" unless it was the last line and had no line end.
    // Every carriage return is dropped, so that answers typed on any system read the same and
    // no CR of an answer can reach a file whose lines end in CR LF.
    std::string line;
    // Index in line of the first character not yet read.
    std::size_t next = 0;
};

// The standard streams. The key pause waits only when standard input itself is a terminal:
// answers piped in from a shell must not stop at every pause for a key of the shell's terminal.
Console StandardConsole();

// Makes sure that an unread character is buffered, reading the next line when the current one
// is used up; false at the end of input. Flushes the output first, so that a prompt is on
// screen before the wait.
bool FillInputLine(Console& con);

// Throws away what is left of the current line; never reads further input.
void DiscardInputLine(Console& con);

// Waits for one key press on the controlling terminal, without echo and without Enter, and
// throws away the rest of the key's bytes (the tail of an escape sequence). The terminal's
// settings are restored afterwards, also when a signal ends the program during the wait.
// Returns false at once when there is no controlling terminal.
bool ReadTerminalKey();

// A text file opened for appending whose line feeds are stored as CR LF.
struct AppendFile {
    AppendFile() = default;
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;
    ~AppendFile();

    std::FILE* stream = nullptr;
    // errno of the first failure (open, write or close); 0 while everything went well.
    int error = 0;
};

// Opens name for appending: created when missing, never truncated, every write at its end.
bool OpenAppendFile(AppendFile& file, const std::string& name);

// Appends text, storing each "\n" as "\r\n". Does nothing when the file is not open.
void WriteAppendFile(AppendFile& file, std::string_view text);

// Closes the file; true when it was open and every write reached it.
bool CloseAppendFile(AppendFile& file);

}  // namespace console
