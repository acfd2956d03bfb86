#include "core/llist.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/captured_diagnostics.h"

namespace sonvara {
namespace {

// Counts live instances, to see that copies copy and clears free.
struct Counted {
    static inline int live = 0;
    int value;
    explicit Counted(int v) : value(v) { ++live; }
    Counted(const Counted& other) : value(other.value) { ++live; }
    Counted(Counted&& other) noexcept : value(other.value) { ++live; }
    Counted& operator=(const Counted&) = default;
    ~Counted() { --live; }
};

std::vector<int> Values(LList<Counted>& list) {
    std::vector<int> values;
    for (auto it = list.First(); it.Valid(); it.Next()) {
        values.push_back(it.Current().value);
    }
    return values;
}

TEST(LList, InsertDetachAndDeleteKeepOrderAndMoveTheIteratorOn) {
    LList<Counted> list;
    list.Append(Counted(1));
    list.Append(Counted(3));
    auto it = list.First();
    it.Next();
    list.InsertBefore(it, Counted(2));
    EXPECT_EQ(it.Current().value, 3);
    EXPECT_EQ(Values(list), (std::vector<int>{1, 2, 3}));

    it = list.First();
    std::optional<Counted> detached = list.Detach(it);
    ASSERT_TRUE(detached.has_value());
    EXPECT_EQ(detached->value, 1);
    EXPECT_EQ(it.Current().value, 2);

    list.Delete(it);
    EXPECT_EQ(it.Current().value, 3);
    list.Delete(it);
    EXPECT_FALSE(it.Valid());
    EXPECT_TRUE(list.IsEmpty());

    // Inserting before the end appends.
    list.InsertBefore(it, Counted(9));
    EXPECT_EQ(Values(list), (std::vector<int>{9}));
}

TEST(LList, CopyIsDeepAndClearFreesEveryElement) {
    Counted::live = 0;
    {
        LList<Counted> list;
        for (int i = 0; i < 5; ++i) {
            list.Append(Counted(i));
        }
        EXPECT_EQ(Counted::live, 5);
        LList<Counted> copy = list;
        EXPECT_EQ(Counted::live, 10);
        copy.First().Current().value = 42;
        EXPECT_EQ(list.First().Current().value, 0);
        list.Clear();
        EXPECT_EQ(Counted::live, 5);
        EXPECT_EQ(copy.Count(), 5u);
    }
    EXPECT_EQ(Counted::live, 0);
}

TEST(LList, MisuseIsDiagnosedAndHarmless) {
    testing::CapturedDiagnostics diagnostics;
    LList<Counted> list;
    auto it = list.First();
    it.Next();
    list.Delete(it);
    EXPECT_FALSE(list.Detach(it).has_value());

    LList<Counted> other;
    other.Append(Counted(1));
    auto foreign = other.First();
    list.Delete(foreign);
    EXPECT_EQ(other.Count(), 1u);

    EXPECT_TRUE(
        diagnostics.Contains("LList<T>::Iterator::Next() called when iterator is not valid"));
    EXPECT_TRUE(diagnostics.Contains("LList<T>::Delete() called when iterator is not valid"));
    EXPECT_TRUE(diagnostics.Contains("LList<T>::Detach() called when iterator is not valid"));
}

TEST(LListDeathTest, ReadingAnInvalidIteratorStops) {
    LList<int> list;
    auto it = list.First();
    EXPECT_DEATH(it.Current(), "");
}

}  // namespace
}  // namespace sonvara
