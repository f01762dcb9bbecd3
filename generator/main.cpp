// zandinst: asks a few questions about one serial board and appends the registry entries and
// image-manifest lines that a Windows CE platform build needs for it to the product's file.
#include "generator/wizard.h"
#include "platform/console.h"

int main(int argc, char** argv) {
    console::Console con = console::StandardConsole();
    return zandinst::RunWizard(con, argc, argv);
}
