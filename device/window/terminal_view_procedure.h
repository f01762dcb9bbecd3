// What the terminal view does with its notifications: paint the screen under the screen
// lock, rebuild the screen on a size change, keep a caret on the cursor cell while it has the
// focus, send typed characters to the open port (nothing is echoed), and scroll by the steps
// of the scroll bars.
#pragma once

#include "platform/terminal_view.h"

namespace device {

ui::TerminalViewHandlers TerminalViewProcedure();

}  // namespace device
