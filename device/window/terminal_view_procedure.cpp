#include "device/window/terminal_view_procedure.h"

#include <mutex>

#include "device/connection/device_state.h"
#include "device/connection/reader_thread.h"
#include "device/window/terminal_screen.h"

namespace device {

ui::TerminalViewHandlers TerminalViewProcedure() {
    ui::TerminalViewHandlers handlers;
    handlers.paint = [](ui::PaintContext& context, const ui::Rect& area) {
        std::lock_guard lock(deviceState.screenLock);
        ui::HideCaret();
        PaintScreen(context, area);
        ui::ShowCaret();
    };
    handlers.sized = [] { CreateScreen(); };
    handlers.focusGained = [] {
        std::lock_guard lock(deviceState.screenLock);
        const TerminalScreen& s = terminalScreen;
        ui::CreateCaret(s.charWidth, s.charHeight);
        ui::SetCaretPosition((s.cursorCol - s.leftCol) * s.charWidth,
                             (s.cursorRow - s.topRow) * s.charHeight);
        ui::ShowCaret();
    };
    handlers.focusLost = [] {
        ui::HideCaret();
        ui::DestroyCaret();
    };
    handlers.character = [](unsigned code) {
        if (deviceState.portHandle != serial::INVALID_HANDLE_VALUE) {
            SendChar(code);
        }
    };
    handlers.verticalScroll = [](int code, int thumb) {
        ScrollScreenRows(VerticalScrollStep(code, thumb));
    };
    handlers.horizontalScroll = [](int code, int thumb) {
        ScrollScreenColumns(HorizontalScrollStep(code, thumb));
    };
    return handlers;
}

}  // namespace device
