#include "effects/point_list.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/folders.h"
#include "core/settings.h"
#include "tests/document/document_fixture.h"
#include "tests/support/file_contents.h"
#include "tests/support/run_process.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::FileBytes;
using testing::WriteFileBytes;
const Bytes kFlatBytes{2, 0, 128, 255, 128};

// A private data folder and settings store, and a cut tank for the envelope runs.
class PointListTest : public testing::DocumentTest {
  protected:
    PointListTest() : previous_store_(UseSettingsStore(nullptr)) {}
    ~PointListTest() override { UseSettingsStore(previous_store_); }

    static std::string DataFile(std::string_view name) {
        return GetFolder("Current") + "/" + std::string(name);
    }

    testing::ScopedEnv home_{"HOME", scratch_.File("home")};
    testing::ScopedEnv data_home_{"XDG_DATA_HOME", scratch_.File("data")};

  private:
    std::shared_ptr<SettingsStore> previous_store_;
};

TEST_F(PointListTest, FilesHoldTheCountAndPairsAndLoadTakesOnlyWhatIsThere) {
    const std::string path = scratch_.File("points.dat");
    PointList list;
    list.n_points = 3;
    list.points[2] = {200, 7};
    ASSERT_TRUE(list.Save(path));
    EXPECT_EQ(FileBytes(path), (Bytes{3, 0, 128, 255, 128, 200, 7}));
    PointList back;
    ASSERT_TRUE(back.Load(path));
    ASSERT_EQ(back.n_points, 3);
    EXPECT_EQ(back.points[2], (PointList::Point{200, 7}));
    EXPECT_FALSE(list.Save(scratch_.File("no such folder/points.dat")));

    EXPECT_FALSE(back.Load(scratch_.File("missing.dat")));
    EXPECT_EQ(back.n_points, 0);
    WriteFileBytes(path, {});
    back.Load(path);
    EXPECT_EQ(back.n_points, 0);
    // Five points promised, three and a half there: the three whole pairs.
    WriteFileBytes(path, {5, 1, 2, 3, 4, 5, 6, 7});
    back.Load(path);
    ASSERT_EQ(back.n_points, 3);
    EXPECT_EQ(back.points[2], (PointList::Point{5, 6}));
    // 200 points promised and there: no more than 64 are taken.
    Bytes many{200};
    for (int i = 0; i < 400; ++i) {
        many.push_back(static_cast<std::uint8_t>(i));
    }
    WriteFileBytes(path, many);
    back.Load(path);
    ASSERT_EQ(back.n_points, kPointListMax);
    EXPECT_EQ(back.points[63], (PointList::Point{126, 127}));
    EXPECT_EQ(back.ToBytePointList().points.size(), 64u);
}

TEST_F(PointListTest, ValidateCapsTheCountAndKeepsXFromGoingBack) {
    PointList list;
    list.n_points = 70;
    for (int i = 0; i < kPointListMax; ++i) {
        // Every odd point lies 2 behind the point before it.
        list.points[i] = {static_cast<std::uint8_t>(i % 2 == 0 ? 10 + 3 * i : 5 + 3 * i),
                          static_cast<std::uint8_t>(i)};
    }
    list.points[10] = {0, 99};  // far behind point 9, itself raised to point 8's x
    list.Validate();
    ASSERT_EQ(list.n_points, kPointListMax);
    EXPECT_EQ(list.points[10], (PointList::Point{34, 99})) << "raised, its y kept";
    EXPECT_EQ(list.points[11].x, 38) << "ahead of the raised point 10: left alone";
    for (int i = 1; i < kPointListMax; i += 2) {
        if (i != 11) {
            EXPECT_EQ(list.points[i].x, list.points[i - 1].x) << i;
        }
    }
}

TEST_F(PointListTest, StoredListsAreValidatedAndAnEmptyOneBecomesTheDefaultOnDisk) {
    const std::string path = DataFile(kEqualizerPointsFile);
    for (const Bytes& stored : {Bytes{}, Bytes{0}, Bytes{0, 1, 2}}) {
        std::remove(path.c_str());
        if (!stored.empty()) {
            WriteFileBytes(path, stored);
        }
        const PointList list = LoadStoredPointList(kEqualizerPointsFile);
        ASSERT_EQ(list.n_points, 2);
        EXPECT_EQ(list.points[1], (PointList::Point{255, 128}));
        EXPECT_EQ(FileBytes(path), kFlatBytes) << stored.size() << " bytes stored";
    }

    Bytes seventy{70};
    for (int i = 0; i < 70; ++i) {
        seventy.push_back(static_cast<std::uint8_t>(i == 5 ? 0 : 3 * i));  // point 5 goes back
        seventy.push_back(100);
    }
    WriteFileBytes(path, seventy);
    const PointList list = LoadStoredPointList(kEqualizerPointsFile);
    ASSERT_EQ(list.n_points, kPointListMax);
    EXPECT_EQ(list.points[5].x, 12);
    EXPECT_EQ(list.points[6].x, 18);
    EXPECT_EQ(FileBytes(path), seventy) << "a list with points is not written back";
}

TEST_F(PointListTest, TheStoredEnvelopeTakesItsPointsFromEnvelopeDat) {
    const std::string path = DataFile(kEnvelopePointsFile);
    WriteFileBytes(path, {2, 0, 128, 255, 0});
    LCutListAudio fading = FromSamples(std::vector<Sample>(5000, 0x10000), 1);
    LEfStoredEnvelope fade(fading, {0, 5000});
    ASSERT_EQ(testing::RunProcess(fade), PROCESS_DONE);
    const std::vector<Sample> faded = ReadList(fading);
    EXPECT_EQ(faded.front(), 0x10000);
    EXPECT_NEAR(faded[2500], 0x8000, 0x100);
    EXPECT_LT(faded.back(), 0x40);

    // Without a file: the flat default, which leaves the audio as it was, and is written back.
    std::remove(path.c_str());
    LCutListAudio document = Staircase(5000);
    const std::vector<Sample> before = ReadList(document);
    LEfStoredEnvelope unity(document, {0, 5000});
    ASSERT_EQ(testing::RunProcess(unity), PROCESS_DONE);
    EXPECT_EQ(ReadList(document), before);
    EXPECT_EQ(FileBytes(path), kFlatBytes);

    // A single point is no envelope: refused.
    WriteFileBytes(path, {1, 0, 0});
    LEfStoredEnvelope one_point(document, {0, 5000});
    EXPECT_EQ(testing::RunProcess(one_point), PROCESS_FAILED);
    EXPECT_EQ(ReadList(document), before);
}

}  // namespace
}  // namespace sonvara
