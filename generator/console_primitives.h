// The wizard's console primitives: clearing the screen, the key pause, the three answer readers,
// the discarding of the rest of an answer line, and the prompt pattern built from them.
//
// Readers return false at the end of input; the wizard then ends its session. Each prompt writes
// its text, reads the answer and (except for directory lines) discards the rest of the line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/console.h"

namespace zandinst {

// Longest directory answer kept; the rest of a longer line is read and dropped.
inline constexpr std::size_t kDirectoryLength = 255;

// Sixty line feeds: the only way the screen is cleared.
void ClearConsole(console::Console& con);

// Asks for any key, waits for it when the console waits for keys, then calls DiscardInput.
void PauseForKey(console::Console& con);

// Reads a signed 32-bit decimal number. Blanks, tabs and line ends before it are skipped, so an
// empty line is no answer; reading stops at the first character that cannot continue the number
// and leaves it buffered. A line whose next character cannot begin a number, or whose number
// does not fit in 32 bits, is thrown away like an empty line and the wait goes on.
bool ReadNumber(console::Console& con, std::int32_t& value);

// Reads the next character as it is: an empty answer line yields "\n".
bool ReadAnswerChar(console::Console& con, char& answer);

// Reads the rest of the line without its line end. Control characters (NUL, tab and the rest
// below 0x20, and DEL) are dropped: the line goes into a file line whose fields are separated
// by blanks, and no such character belongs in a directory name. Of what remains, at most
// kDirectoryLength characters are kept.
bool ReadLine(console::Console& con, std::string& line);

// Throws away the rest of the current answer line; later lines stay buffered.
void DiscardInput(console::Console& con);

bool IsYes(char answer);
bool IsNo(char answer);

// The prompt pattern: write the prompt, read the answer, discard the rest of its line.
bool AskNumber(console::Console& con, const char* prompt, std::int32_t& value);
bool AskAnswerChar(console::Console& con, const char* prompt, char& answer);
// Directory lines are consumed whole by ReadLine; callers discard where the dialogue says so.
bool AskLine(console::Console& con, const char* prompt, std::string& line);

}  // namespace zandinst
