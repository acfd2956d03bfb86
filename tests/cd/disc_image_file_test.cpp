// Disc images in a folder: the drives they make, and the descriptions they refuse (the fuzz
// target disc_image_toc checks the order of the tracks whatever the text).

#include <gtest/gtest.h>

#include <fstream>

#include "cd/cd_commands.h"
#include "cd/cdrom_info.h"
#include "cd/disc_image_file.h"
#include "tests/support/run_process.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

TEST(DiscImageFileTest, EachDescriptionInAFolderIsADrive) {
    testing::ScratchFolder folder;
    // Two tracks of 100 and 50.5 blocks (the part sector reads as zeros), the second one data.
    std::string sectors(150 * kCdSectorBytes + kCdSectorBytes / 2, '\x5A');
    std::ofstream(folder.File("a.bin"), std::ios::binary) << sectors;
    std::ofstream(folder.File("a.toc")) << "# test disc\ntrack 0\n  track 100 data # data\r\n"
                                        << "fail 120\n";
    std::ofstream(folder.File("b.toc")) << "# an empty drive\n";
    std::ofstream(folder.File("c.bin")) << sectors;
    std::ofstream(folder.File("c.toc")) << "track 0\ntrack 20 audio\n";
    std::ofstream(folder.File("d.toc")) << "track 0\n";
    std::ofstream(folder.File("notes.txt")) << "track 0\n";

    std::vector<std::string> errors;
    const std::vector<DiscImage> discs = LoadDiscImages(folder.Path(), errors);
    ASSERT_EQ(discs.size(), 4u);
    ASSERT_EQ(discs[0].tracks.size(), 2u);
    EXPECT_EQ(discs[0].tracks[1].start, 100);
    EXPECT_TRUE(discs[0].tracks[1].data);
    EXPECT_FALSE(discs[0].tracks[0].data);
    EXPECT_EQ(discs[0].LeadOut(), 151);
    EXPECT_EQ(discs[0].failing_block, 120);
    EXPECT_EQ(discs[0].sectors[150 * kCdSectorBytes + kCdSectorBytes / 2], 0);
    for (std::size_t i = 1; i < discs.size(); ++i) {
        EXPECT_TRUE(discs[i].tracks.empty());
    }
    EXPECT_EQ(errors, (std::vector<std::string>{folder.File("c.toc") +
                                                    ": línea 2: se esperaba "
                                                    "\"track BLOQUE [data]\" o \"fail BLOQUE\"",
                                                folder.File("d.toc") + ": falta d.bin"}));

    ImageDriveList drives(discs);
    LCDROMInfo info;
    LCDROMInfoProcess process("Cargar los CD Drives", drives, info);
    ASSERT_EQ(testing::RunProcess(process), PROCESS_DONE);
    EXPECT_EQ(info.drives[0].track_seconds, (std::vector<std::uint16_t>{1, 0}));

    errors.clear();
    EXPECT_TRUE(LoadDiscImages(folder.File("missing"), errors).empty());
    EXPECT_EQ(errors.size(), 1u);
}

}  // namespace
}  // namespace sonvara
