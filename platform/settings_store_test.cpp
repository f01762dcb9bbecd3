// The per-user settings store gives back every value exactly as it was stored.
#include "platform/settings_store.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace settings {
namespace {

class SettingsStore : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/settings-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        home = pattern;
        setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("XDG_CONFIG_HOME");
        std::filesystem::remove_all(home);
    }

    std::string home;
};

TEST_F(SettingsStore, AMissingKeyGivesTheFallback) {
    EXPECT_EQ(SettingsFilePath("Harbex"), home + "/Harbex/Harbex.conf");
    EXPECT_EQ(GetSetting("Harbex", "Settings", "Baud", "5"), "5");
    ASSERT_TRUE(SaveSetting("Harbex", "Settings", "Top", "0"));
    EXPECT_EQ(GetSetting("Harbex", "Settings", "Baud", "5"), "5");
    EXPECT_EQ(GetSetting("Harbex", "Other", "Top", "x"), "x") << "sections are apart";
}

TEST_F(SettingsStore, ValuesComeBackExactlyAsStored) {
    const char* values[] = {"",
                            "0",
                            " 7 ",
                            "abc",
                            "1, 2",
                            "a,b",
                            "@Variant(x)",
                            "\"q\"",
                            "x;y",
                            "back\\slash",
                            "tab\there",
                            "\u00e9 \u00fcn",
                            "=",
                            "[Settings]",
                            "#not a comment",
                            "1552.5",
                            "-1",
                            "line\nbreak"};
    for (const char* value : values) {
        ASSERT_TRUE(SaveSetting("Harbex", "Settings", "LowerPort", value)) << value;
        EXPECT_EQ(GetSetting("Harbex", "Settings", "LowerPort", "fallback"), value);
    }
}

TEST_F(SettingsStore, TheFileIsAnIniFileWithTheSectionAsItsGroup) {
    ASSERT_TRUE(SaveSetting("Harbex", "Settings", "Top", "1200"));
    std::stringstream text;
    text << std::ifstream(home + "/Harbex/Harbex.conf").rdbuf();
    EXPECT_NE(text.str().find("[Settings]\nTop=1200\n"), std::string::npos) << text.str();
}

TEST_F(SettingsStore, AListWrittenByHandReadsBackAsItsText) {
    std::filesystem::create_directories(home + "/Harbex");
    std::ofstream(home + "/Harbex/Harbex.conf") << "[Settings]\nLowerPort=1, 2\n";
    EXPECT_EQ(GetSetting("Harbex", "Settings", "LowerPort", ""), "1, 2");
}

TEST_F(SettingsStore, AFileThatCannotBeWrittenIsReported) {
    // A directory where the file should be: no permission bits stop root, this does.
    std::filesystem::create_directories(home + "/Harbex/Harbex.conf");
    EXPECT_FALSE(SaveSetting("Harbex", "Settings", "Top", "0"));
}

}  // namespace
}  // namespace settings
