#include "device/window/snapshot.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "device/utf8_text.h"
#include "device/window/terminal_screen.h"
#include "platform/main_window.h"

namespace device {

bool WriteSnapshot(const std::string& prefix) {
    bool ok = true;
    const std::string picture = prefix + ".png";
    if (!ui::SaveMainWindowPicture(picture)) {
        std::fprintf(stderr, "termivo: cannot write the window's picture to %s\n", picture.c_str());
        ok = false;
    }
    std::string text;
    for (const std::u16string& row : ScreenRowsText()) {
        text += ToUtf8(row) + "\n";
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
