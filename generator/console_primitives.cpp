#include "generator/console_primitives.h"

#include <charconv>
#include <ostream>
#include <string_view>

namespace zandinst {

namespace {

constexpr int kClearLines = 60;
constexpr char kPressAnyKey[] = "\n\n\t\t\tPress any key to continue...";

bool IsNumberSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool IsControl(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code < 0x20 || code == 0x7F;
}

}  // namespace

void ClearConsole(console::Console& con) {
    *con.out << std::string(kClearLines, '\n');
}

void PauseForKey(console::Console& con) {
    *con.out << kPressAnyKey << std::flush;
    if (con.waitForKey) {
        console::ReadTerminalKey();
    }
    DiscardInput(con);
}

bool ReadNumber(console::Console& con, std::int32_t& value) {
    while (console::FillInputLine(con)) {
        const std::string_view rest = std::string_view(con.line).substr(con.next);
        if (IsNumberSpace(rest.front())) {
            ++con.next;
            continue;
        }
        // from_chars takes a minus sign but no plus sign; a plus must be followed by a digit.
        const bool plus = rest.front() == '+';
        if (plus && (rest.size() < 2 || rest[1] == '-')) {
            DiscardInput(con);
            continue;
        }
        std::int32_t number = 0;
        const char* begin = rest.data() + (plus ? 1 : 0);
        const auto [end, error] = std::from_chars(begin, rest.data() + rest.size(), number);
        if (error != std::errc{}) {
            DiscardInput(con);
            continue;
        }
        con.next += static_cast<std::size_t>(end - rest.data());
        value = number;
        return true;
    }
    return false;
}

bool ReadAnswerChar(console::Console& con, char& answer) {
    if (!console::FillInputLine(con)) {
        return false;
    }
    answer = con.line[con.next++];
    return true;
}

bool ReadLine(console::Console& con, std::string& line) {
    if (!console::FillInputLine(con)) {
        return false;
    }
    std::string_view rest = std::string_view(con.line).substr(con.next);
    if (rest.back() == '\n') {
        rest.remove_suffix(1);
    }
    line.clear();
    for (const char c : rest) {
        if (line.size() < kDirectoryLength && !IsControl(c)) {
            line.push_back(c);
        }
    }
    DiscardInput(con);
    return true;
}

void DiscardInput(console::Console& con) {
    console::DiscardInputLine(con);
}

bool IsYes(char answer) {
    return answer == 'y' || answer == 'Y';
}

bool IsNo(char answer) {
    return answer == 'n' || answer == 'N';
}

bool AskNumber(console::Console& con, const char* prompt, std::int32_t& value) {
    *con.out << prompt;
    if (!ReadNumber(con, value)) {
        return false;
    }
    DiscardInput(con);
    return true;
}

bool AskAnswerChar(console::Console& con, const char* prompt, char& answer) {
    *con.out << prompt;
    if (!ReadAnswerChar(con, answer)) {
        return false;
    }
    DiscardInput(con);
    return true;
}

bool AskLine(console::Console& con, const char* prompt, std::string& line) {
    *con.out << prompt;
    return ReadLine(con, line);
}

}  // namespace zandinst
