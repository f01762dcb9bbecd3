// haberon: the desktop loopback tester. Without arguments it opens its window; with options it
// runs the test without one (headless_run.h).
#include "desktop/frm_main.h"
#include "desktop/headless_run.h"

int main(int argc, char** argv) {
    if (argc > 1) {
        return haberon::RunFromCommandLine(argc, argv);
    }
    return haberon::RunWindow(argc, argv);
}
