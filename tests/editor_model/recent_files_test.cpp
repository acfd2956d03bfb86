#include "editor_model/recent_files.h"

#include <gtest/gtest.h>

#include "core/settings.h"

namespace sonvara {
namespace {

class RecentFilesTest : public ::testing::Test {
  protected:
    RecentFilesTest() : previous_(UseSettingsStore(std::make_shared<MemorySettingsStore>())) {}
    ~RecentFilesTest() override { UseSettingsStore(previous_); }

    static std::string PathIn(int slot) {
        return ReadString("Recent", "RecentFile " + std::to_string(slot), "");
    }
    static std::string DateIn(int slot) {
        return ReadString("Recent", "RecentFileDate" + std::to_string(slot), "");
    }

    std::shared_ptr<SettingsStore> previous_;
};

TEST_F(RecentFilesTest, ElevenSlotsThenTheOldestDateMakesRoom) {
    for (int n = 1; n <= 11; ++n) {
        AddToRecentFileList("/audio/p" + std::to_string(n) + ".wav", 100 + n);
    }
    AddToRecentFileList("", 150);  // untitled files are not noted
    ASSERT_EQ(RecentFiles().size(), 11u);
    EXPECT_EQ(PathIn(11), "/audio/p11.wav");
    EXPECT_EQ(DateIn(11), "111");

    // The same path in other letter case only refreshes the date and keeps the slot.
    AddToRecentFileList("/AUDIO/P3.WAV", 200);
    EXPECT_EQ(PathIn(3), "/audio/p3.wav");
    EXPECT_EQ(DateIn(3), "200");

    AddToRecentFileList("/audio/p12.wav", 300);
    EXPECT_EQ(PathIn(1), "/audio/p12.wav");
    AddToRecentFileList("/audio/p13.wav", 301);
    EXPECT_EQ(PathIn(2), "/audio/p13.wav");  // slot 3 was refreshed, slot 2 is the oldest now

    // A missing date counts as now, so that slot is not the oldest.
    WriteString("Recent", "RecentFileDate4", "");
    AddToRecentFileList("/audio/p14.wav", 400);
    EXPECT_EQ(PathIn(4), "/audio/p4.wav");
    EXPECT_EQ(PathIn(5), "/audio/p14.wav");

    const std::vector<RecentFile> files = RecentFiles();
    ASSERT_EQ(files.size(), 11u);
    for (std::size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(files[i].slot, static_cast<int>(i) + 1);  // slot order, not date order
    }
}

TEST_F(RecentFilesTest, AGapIsFilledFirst) {
    AddToRecentFileList("/a.wav", 1);
    AddToRecentFileList("/b.wav", 2);
    WriteString("Recent", "RecentFile 1", "");
    AddToRecentFileList("/c.wav", 3);
    EXPECT_EQ(PathIn(1), "/c.wav");
    EXPECT_EQ(PathIn(2), "/b.wav");
    EXPECT_EQ(RecentFiles().size(), 2u);
}

}  // namespace
}  // namespace sonvara
