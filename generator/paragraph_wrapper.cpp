#include "generator/paragraph_wrapper.h"

#include <ostream>
#include <string>

namespace zandinst {

void PrintWrapped(console::Console& con, std::string_view text, std::size_t width,
                  int indentLevels) {
    const std::string indent(static_cast<std::size_t>(indentLevels > 0 ? indentLevels : 0), '\t');
    std::string_view rest = text;
    bool firstLine = true;
    for (;;) {
        const bool cut = rest.size() > width;
        std::string_view line = rest;
        if (cut && rest[width] != ' ') {
            line = rest.substr(0, rest.find(' ', width));
        } else if (cut) {
            line = rest.substr(0, width);
        }
        rest.remove_prefix(line.size());
        if (!firstLine && !line.empty()) {
            line.remove_prefix(1);
        }
        *con.out << '\n' << indent << line;
        firstLine = false;
        // A last word that crosses the width uses up the text: no empty line follows it.
        if (!cut || rest.empty()) {
            return;
        }
    }
}

}  // namespace zandinst
