#include "core/settings.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <string>

namespace sonvara {
namespace {

// Each test reads and writes a fresh in-memory store, and puts the previous one back after.
class SettingsTest : public ::testing::Test {
  protected:
    SettingsTest() : previous_(UseSettingsStore(store_)) {}
    ~SettingsTest() override { UseSettingsStore(previous_); }

    std::shared_ptr<MemorySettingsStore> store_ = std::make_shared<MemorySettingsStore>();

  private:
    std::shared_ptr<SettingsStore> previous_;
};

TEST_F(SettingsTest, ReadStringGivesTheDefaultOnlyForMissingValues) {
    EXPECT_EQ(ReadString("Settings", "OpenFileDir", "/home"), "/home");
    WriteString("Settings", "OpenFileDir", "");
    EXPECT_EQ(ReadString("Settings", "OpenFileDir", "/home"), "");
    EXPECT_EQ(ReadString("Other", "OpenFileDir", "none"), "none") << "sections are apart";
}

TEST_F(SettingsTest, ReadIntFollowsAtoiAndClampsBeyondInt) {
    struct Case {
        const char* stored;
        int expected;
    };
    for (const Case& c : {
             Case{"", 77},  // empty gives the default
             Case{"abc", 0},
             Case{" 12x", 12},
             Case{"-3", -3},
             Case{"+5", 5},
             Case{"\t\n\v\f\r 8", 8},
             Case{"- 5", 0},
             Case{"0x1F", 0},
             Case{"-2147483648", INT_MIN},
             Case{"2147483648", INT_MAX},
             Case{"-99999999999999999999999", INT_MIN},
             Case{"00000000000000000000042", 42},
         }) {
        WriteString("Recorder", "Threshold", c.stored);
        EXPECT_EQ(ReadInt("Recorder", "Threshold", 77), c.expected) << '"' << c.stored << '"';
    }
    EXPECT_EQ(ReadInt("Recorder", "Missing", -9), -9);
    WriteInt("Player", "Device", INT_MIN);
    EXPECT_EQ(ReadString("Player", "Device", ""), "-2147483648");
}

TEST_F(SettingsTest, ReadBoolIsTrueUnlessTheTextStartsWithZero) {
    for (const char* stored : {"0", "07"}) {
        WriteString("MainWindow", "Maximized", stored);
        EXPECT_FALSE(ReadBool("MainWindow", "Maximized", true)) << stored;
    }
    for (const char* stored : {"no", "false", "1"}) {
        WriteString("MainWindow", "Maximized", stored);
        EXPECT_TRUE(ReadBool("MainWindow", "Maximized", false)) << stored;
    }
    WriteString("MainWindow", "Maximized", "");
    EXPECT_TRUE(ReadBool("MainWindow", "Maximized", true));
    EXPECT_FALSE(ReadBool("MainWindow", "Maximized", false));
    WriteBool("Recorder", "Autotrim", true);
    WriteBool("MainWindow", "Maximized", false);
    EXPECT_EQ(ReadString("Recorder", "Autotrim", ""), "1");
    EXPECT_EQ(ReadString("MainWindow", "Maximized", ""), "0");
}

TEST_F(SettingsTest, NamesMatchWithoutCaseAndKeepTheirFirstSpelling) {
    WriteString("StoreValues", "ConvertSampleRate", "22050");
    EXPECT_EQ(ReadString("storevalues", "CONVERTSAMPLERATE", ""), "22050");
    WriteString("STOREVALUES", "convertsamplerate", "8000");
    EXPECT_EQ(ReadString("StoreValues", "ConvertSampleRate", ""), "8000");

    const SettingsContent content = store_->Content();
    ASSERT_EQ(content.size(), 1u);
    EXPECT_EQ(content.begin()->first, "StoreValues");
    ASSERT_EQ(content.begin()->second.size(), 1u);
    EXPECT_EQ(content.begin()->second.begin()->first, "ConvertSampleRate");
    // Only ASCII letters fold; other bytes must match exactly.
    WriteString("StoreValues", "\xc3\x84", "upper");
    EXPECT_EQ(ReadString("StoreValues", "\xc3\xa4", "none"), "none");
}

TEST_F(SettingsTest, UseSettingsStoreSwapsTheStoreBehindTheFreeFunctions) {
    WriteString("Settings", "A", "in the first");
    EXPECT_EQ(UseSettingsStore(nullptr), store_);
    EXPECT_NE(dynamic_cast<MemorySettingsStore*>(CurrentSettingsStore().get()), nullptr);
    EXPECT_EQ(ReadString("Settings", "A", "missing"), "missing") << "null installs a fresh store";
    WriteString("Settings", "A", "in the second");
    EXPECT_EQ(store_->Read("Settings", "A"), "in the first");
}

}  // namespace
}  // namespace sonvara
