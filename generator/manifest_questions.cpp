#include "generator/manifest_questions.h"

#include <string>

#include "generator/console_primitives.h"
#include "generator/text_format.h"

namespace zandinst {

namespace {

constexpr char kTermivoLine[] = "\nTermivo.exe  %s\\Termivo.exe  NK S";

}  // namespace

bool AskTermivoAndDriver(console::Console& con, console::AppendFile& file,
                         const DriverFile& driver) {
    char answer = 0;
    std::string directory;
    if (!AskAnswerChar(con, kTermivoPrompt, answer)) {
        return false;
    }
    if (IsYes(answer)) {
        if (!AskLine(con, kTermivoDirectoryPrompt, directory)) {
            return false;
        }
        console::WriteAppendFile(file, FormatText(kTermivoLine, directory.c_str()));
    }
    if (!AskLine(con, driver.directoryPrompt, directory)) {
        return false;
    }
    DiscardInput(con);
    console::WriteAppendFile(file, FormatText(driver.line, directory.c_str()));
    return true;
}

}  // namespace zandinst
