// The batch converter's command list: its edits against a plain vector, and its changed flag and
// name through saving and opening.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <numeric>
#include <random>

#include "batch/batch_command_list.h"
#include "batch/batch_script.h"
#include "tests/support/scratch_folder.h"

namespace sonvara {
namespace {

TEST(BatchCommandList, RandomEditsKeepTheOrderAPlainVectorKeeps) {
    std::mt19937 random(29);
    LBatchCommandList list;
    std::vector<std::uint32_t> model;
    auto ids = [&list] {
        std::vector<std::uint32_t> listed;
        for (const LBatchCommandItem& item : list.Items()) {
            listed.push_back(item.id);
        }
        return listed;
    };
    for (int step = 0; step < 400; ++step) {
        const int count = static_cast<int>(model.size());
        switch (random() % 3) {
            case 0: {
                const auto id = static_cast<std::uint32_t>(random() % 18);
                list.Add(id);
                model.push_back(id);
                break;
            }
            case 1: {  // a few rows, repeated and out of range ones among them
                std::vector<int> rows;
                for (int i = 0; i < 3; ++i) {
                    rows.push_back(static_cast<int>(random() % (count + 2)) - 1);
                }
                list.Remove(rows);
                std::sort(rows.begin(), rows.end());
                rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
                for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
                    if (*row >= 0 && *row < count) {
                        model.erase(model.begin() + *row);
                    }
                }
                break;
            }
            default: {
                std::vector<int> order(static_cast<std::size_t>(count));
                std::iota(order.begin(), order.end(), 0);
                std::shuffle(order.begin(), order.end(), random);
                if (random() % 4 == 0 && count > 1) {
                    order[0] = order[1];  // not a permutation: ignored
                } else {
                    std::vector<std::uint32_t> reordered;
                    for (const int row : order) {
                        reordered.push_back(model[static_cast<std::size_t>(row)]);
                    }
                    model = reordered;
                }
                list.Reorder(order);
            }
        }
        ASSERT_EQ(ids(), model) << "step " << step;
    }
}

TEST(BatchCommandList, SavingAndOpeningNameTheListAndClearItsChanges) {
    testing::ScratchFolder scratch;
    LBatchCommandList list;
    EXPECT_TRUE(list.IsUntitled());
    EXPECT_EQ(list.Path(), "Untitled.svb");
    list.Add(kBatchEcho);
    list.Reorder({0});  // the same order is no change, but the add was one
    EXPECT_TRUE(list.Changed());
    const std::string path = scratch.File("echo.svb");
    ASSERT_TRUE(list.SaveAs(path));
    EXPECT_FALSE(list.Changed());
    EXPECT_EQ(list.Path(), path);

    // A failed save keeps the name and the change.
    list.Replace(0, MakeBatchItem(*FindBatchCommand(kBatchEcho), {100, 30}));
    EXPECT_FALSE(list.SaveAs(scratch.File("missing/x.svb")));
    EXPECT_TRUE(list.Changed());
    EXPECT_EQ(list.Path(), path);

    LBatchCommandList reopened;
    EXPECT_EQ(reopened.Open(path), "");
    EXPECT_EQ(reopened.Items(), (std::vector<LBatchCommandItem>{{kBatchEcho, {}}}));
    EXPECT_FALSE(reopened.Changed());

    const std::string other = scratch.File("other.svb");
    std::ofstream(other) << '\x01';
    EXPECT_EQ(reopened.Open(other), kBatchScriptVersionMessage);
    EXPECT_TRUE(reopened.Items().empty());
    EXPECT_TRUE(reopened.IsUntitled());
}

}  // namespace
}  // namespace sonvara
