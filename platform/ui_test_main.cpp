// The main of test programs that start the offscreen user interface: runs the tests, then
// takes the interface down while the toolkit is still whole.
#include <gtest/gtest.h>

#include "platform/ui_app.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    ui::EndUi();
    return result;
}
