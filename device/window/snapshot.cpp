#include "device/window/snapshot.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "device/window/terminal_screen.h"
#include "platform/main_window.h"

namespace device {

namespace {

void AppendUtf8(std::string& out, char16_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

}  // namespace

bool WriteSnapshot(const std::string& prefix) {
    bool ok = true;
    const std::string picture = prefix + ".png";
    if (!ui::SaveMainWindowPicture(picture)) {
        std::fprintf(stderr, "termivo: cannot write the window's picture to %s\n", picture.c_str());
        ok = false;
    }
    std::string text;
    for (const std::u16string& row : ScreenRowsText()) {
        for (const char16_t c : row) {
            AppendUtf8(text, c);
        }
        text.push_back('\n');
    }
    const std::string textPath = prefix + ".txt";
    std::ofstream file(textPath, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file) {
        std::fprintf(stderr, "termivo: cannot write the screen's text to %s: %s\n",
                     textPath.c_str(), std::strerror(errno));
        ok = false;
    }
    return ok;
}

}  // namespace device
