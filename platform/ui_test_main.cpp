// The main of test programs that start the offscreen user interface: runs the tests, then
// takes the interface down while the toolkit is still whole.
#include <gtest/gtest.h>

#include "platform/ui_app.h"

// Read by ThreadSanitizer in its builds. The toolkit's libraries are not built with it, so the
// memory and descriptors they handle among their own threads, synchronised in ways it cannot
// see, are left out; our code that calls them stays checked.
extern "C" const char* __tsan_default_suppressions() {
    return "called_from_lib:libQt6Core.so\n"
           "called_from_lib:libQt6Gui.so\n"
           "called_from_lib:libQt6Widgets.so\n"
           "called_from_lib:libQt6DBus.so\n"
           "called_from_lib:libglib-2.0.so\n";
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    ui::EndUi();
    return result;
}
