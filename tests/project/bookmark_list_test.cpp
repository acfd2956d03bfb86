#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "project/bookmark.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

TEST(BookMarkListTest, TheListFileLiesBesideTheAudioFileAndNeverOnIt) {
    EXPECT_EQ(BookMarkListPath("/a/song.wav"), "/a/song.wbm");
    EXPECT_EQ(BookMarkListPath("/a/song.tar.mp3"), "/a/song.tar.wbm");
    EXPECT_EQ(BookMarkListPath("/a/song"), "/a/song.wbm");
    EXPECT_EQ(BookMarkListPath("/a.b/song"), "/a.b/song.wbm");
    EXPECT_EQ(BookMarkListPath("/a/.hidden"), "/a/.hidden.wbm");
    EXPECT_EQ(BookMarkListPath("/a/song.wbm"), "/a/song.wbm.wbm");
}

// A file's bookmarks go to its list file and come back after those already in the list; the
// list file of a file without bookmarks goes; a file of another version or a short one adds
// nothing.
TEST(BookMarkListTest, AFilesBookMarksComeBackFromItsListFile) {
    testing::ScratchFolder scratch;
    const std::string path = scratch.File("song.wbm");
    const std::vector<LSVBookMark> list = {{"a", "song", 1000, 2, 1700000000},
                                           {"b", "other.wav", 5, 1, 1},
                                           {"c", "song", 0xFFFFFFFF, 255, 7}};
    std::string error;
    ASSERT_TRUE(SaveBookMarkList(path, list, "song", error)) << error;
    EXPECT_EQ(std::filesystem::file_size(path), 2 + 2 * kBookMarkBytes);

    std::vector<LSVBookMark> loaded = {list[1]};
    ASSERT_EQ(LoadBookMarkList(path, loaded), BookMarkListResult::kRead);
    EXPECT_EQ(loaded, (std::vector<LSVBookMark>{list[1], list[0], list[2]}));

    // A name that does not fit is refused and the file stays.
    const std::vector<LSVBookMark> too_long = {{std::string(260, 'x'), "song", 1, 1, 1}};
    EXPECT_FALSE(SaveBookMarkList(path, too_long, "song", error));
    EXPECT_NE(error.find("260 bytes"), std::string::npos) << error;
    EXPECT_EQ(std::filesystem::file_size(path), 2 + 2 * kBookMarkBytes);

    for (const auto& [bytes, expected] :
         {std::pair{std::string("\x01\x01", 2) + std::string(kBookMarkBytes, 'n'),
                    BookMarkListResult::kOtherVersion},
          std::pair{std::string("\x00\x02", 2) + std::string(kBookMarkBytes, 'n'),
                    BookMarkListResult::kDamaged},
          std::pair{std::string(), BookMarkListResult::kDamaged}}) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
        std::vector<LSVBookMark> unchanged = {list[1]};
        EXPECT_EQ(LoadBookMarkList(path, unchanged), expected);
        EXPECT_EQ(unchanged.size(), 1u);
    }

    ASSERT_TRUE(SaveBookMarkList(path, list, "nothing here", error)) << error;
    EXPECT_FALSE(std::filesystem::exists(path));
    std::vector<LSVBookMark> none;
    EXPECT_EQ(LoadBookMarkList(path, none), BookMarkListResult::kAbsent);
}

// The texts read end at the field's last byte even when no zero came before it.
TEST(BookMarkListTest, ATextFieldWithoutItsZeroEndsAtTheFieldsLastByte) {
    BookMarkRecord record;
    record.fill('z');
    const LSVBookMark bookmark = DecodeBookMark(record.data());
    EXPECT_EQ(bookmark.name, std::string(259, 'z'));
    EXPECT_EQ(bookmark.file, std::string(259, 'z'));
}

}  // namespace
}  // namespace sonvara
