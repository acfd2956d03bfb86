// The drive lists and the tables of contents: what LCDROMInfoProcess finds on simulated drives,
// how untrusted TOC data is read, and how the machine's drives are found.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cd/cd_toc.h"
#include "cd/cdrom_info.h"
#include "cd/sg_io_drives.h"
#include "tests/cd/test_discs.h"
#include "tests/support/cancel_after_view.h"
#include "tests/support/run_process.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

using testing::MakeDisc;

const std::vector<std::uint8_t> kReadToc = {0x43, 0, 0, 0, 0, 0, 0x01, 0x08, 0x00, 0};

TEST(CdromInfoTest, ListsTheTracksOfTheFirstEightDrives) {
    std::vector<DiscImage> discs;
    // An audio track of 61.99 s (4649 blocks), a data track of 2 s, an audio track of 1 block.
    discs.push_back(MakeDisc({4649, 150, 1}, {false, true, false}));
    discs.push_back(DiscImage{});  // no disc
    for (int i = 2; i < 10; ++i) {
        discs.push_back(MakeDisc({75 * i}));
    }
    ImageDriveList drives(std::move(discs));
    LCDROMInfo info;
    LCDROMInfoProcess process("Cargar los CD Drives", drives, info);
    ASSERT_EQ(testing::RunProcess(process), PROCESS_DONE);

    ASSERT_EQ(info.drives.size(), 8u);
    EXPECT_EQ(info.drives[0].track_seconds, (std::vector<std::uint16_t>{61, 2, 0}));
    EXPECT_EQ(info.drives[0].data_tracks, (std::vector<bool>{false, true, false}));
    EXPECT_TRUE(info.drives[1].track_seconds.empty());
    for (std::size_t i = 2; i < 8; ++i) {
        EXPECT_EQ(info.drives[i].track_seconds, std::vector<std::uint16_t>{std::uint16_t(i)});
    }
    // One READ TOC a drive; the drives past the eighth are not touched.
    EXPECT_EQ(drives.Commands(), std::vector<std::vector<std::uint8_t>>(8, kReadToc));
}

TEST(CdromInfoTest, ACancelStopsTheListingBeforeTheNextCommand) {
    ImageDriveList drives({MakeDisc({75}), MakeDisc({75}), MakeDisc({75})});
    LCDROMInfo info;
    LCDROMInfoProcess process("Cargar los CD Drives", drives, info);
    testing::CancelAfter cancel(1);
    EXPECT_EQ(testing::RunProcess(process, &cancel), PROCESS_STOPPED);
    EXPECT_EQ(drives.Commands().size(), 1u);
}

// A TOC whose length field says `length` and which holds descriptors whose starts are `starts`.
std::vector<std::uint8_t> Toc(std::size_t length, const std::vector<std::int32_t>& starts) {
    std::vector<std::uint8_t> bytes = {static_cast<std::uint8_t>(length >> 8),
                                       static_cast<std::uint8_t>(length), 1, 1};
    for (std::int32_t start : starts) {
        const auto value = static_cast<std::uint32_t>(start);
        bytes.insert(bytes.end(),
                     {0, 0x10, 1, 0, static_cast<std::uint8_t>(value >> 24),
                      static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
                      static_cast<std::uint8_t>(value)});
    }
    return bytes;
}

TEST(CdTocTest, ReadsOnlyWhatTheDriveDelivered) {
    CdToc toc;
    // Two tracks and the lead-out, the second track starting before the first.
    ASSERT_TRUE(ParseToc(Toc(2 + 3 * 8, {150, 100, 100 + 75 * 70000}), toc));
    EXPECT_EQ(toc.tracks, 2);
    EXPECT_EQ(toc.TrackBlocks(0), 0);
    EXPECT_EQ(toc.TrackSeconds(1), 65535);  // 70000 s does not fit the field
    EXPECT_EQ(toc.TrackBlocks(2), 0);       // the lead-out is no track
    // Only the lead-out: a disc without tracks.
    ASSERT_TRUE(ParseToc(Toc(2 + 8, {0}), toc));
    EXPECT_EQ(toc.tracks, 0);

    // Broken answers: too short, no descriptor, a length claiming more than arrived.
    for (const auto& bytes :
         {std::vector<std::uint8_t>{0}, Toc(0, {}), Toc(9, {0}), Toc(2 + 3 * 8, {0, 75})}) {
        toc.tracks = 7;
        EXPECT_FALSE(ParseToc(bytes, toc));
        EXPECT_EQ(toc.tracks, 0);
    }

    // A length field of 0xFFFF: at most 255 tracks are read, and the data holds them.
    std::vector<std::int32_t> starts(256);
    for (std::size_t i = 0; i < starts.size(); ++i) {
        starts[i] = static_cast<std::int32_t>(i) * 10;
    }
    ASSERT_TRUE(ParseToc(Toc(0xFFFF, starts), toc));
    EXPECT_EQ(toc.tracks, 255);
    EXPECT_EQ(toc.starts[255], 2550);
    const std::vector<std::uint8_t> full = Toc(0xFFFF, starts);
    EXPECT_FALSE(ParseToc(std::span(full).first(4 + 255 * 8), toc));
}

TEST(SgIoDrivesTest, FindsTheDrivesTheSystemLists) {
    EXPECT_EQ(CdromInfoDriveNames("CD-ROM information, Id: cdrom.c 3.20\n\n"
                                  "drive name:\t\tsr10\tsr1\t../x\tsr0\n"
                                  "drive speed:\t\t24\t24\t24\n"),
              (std::vector<std::string>{"sr0", "sr1", "sr10"}));
    EXPECT_TRUE(CdromInfoDriveNames("drive speed:\t24\n").empty());

    // Without the driver's list, the /dev/sr* devices. These are plain files: they open, and
    // SG_IO on them fails, which makes a drive without tracks.
    testing::ScratchFolder dev;
    for (const char* name : {"sr2", "sda", "sr0", "srx", "sr11"}) {
        std::ofstream(dev.File(name)) << "";
    }
    SgIoDriveList drives(dev.File("no-info"), dev.Path());
    EXPECT_EQ(drives.Names(), (std::vector<std::string>{"sr0", "sr2", "sr11"}));
    EXPECT_EQ(drives.Open(3), nullptr);
    std::filesystem::remove(dev.File("sr2"));
    EXPECT_EQ(drives.Open(1), nullptr);

    LCDROMInfo info;
    LCDROMInfoProcess process("Cargar los CD Drives", drives, info);
    ASSERT_EQ(testing::RunProcess(process), PROCESS_DONE);
    ASSERT_EQ(info.drives.size(), 3u);
    for (const LCDROMInfo::Drive& drive : info.drives) {
        EXPECT_TRUE(drive.track_seconds.empty());
    }
}

}  // namespace
}  // namespace sonvara
