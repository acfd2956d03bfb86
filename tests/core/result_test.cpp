// Result: a value or the message of a failure, and the checks' Result<void>.

#include "core/result.h"

#include <gtest/gtest.h>

#include <memory>

namespace sonvara {
namespace {

Result<int> Half(int n) {
    if (n % 2 != 0) {
        return Failure(std::to_string(n) + " es impar");
    }
    return n / 2;
}

TEST(Result, HoldsAValueOrTheMessageOfAFailure) {
    for (int n : {-4, 0, 7, 10}) {
        const Result<int> half = Half(n);
        EXPECT_EQ(half.Ok(), n % 2 == 0) << n;
        EXPECT_EQ(static_cast<bool>(half), half.Ok());
        if (half) {
            EXPECT_EQ(*half, n / 2);
            EXPECT_EQ(half.Message(), "");
        } else {
            EXPECT_EQ(half.Message(), std::to_string(n) + " es impar");
        }
    }
    // A failure with an empty message is still a failure.
    EXPECT_FALSE(Result<void>(Failure("")));
    EXPECT_TRUE(Result<void>());
    EXPECT_EQ(Result<void>(Failure("no")).Message(), "no");

    // Values that only move are moved out.
    Result<std::unique_ptr<int>> owned = std::make_unique<int>(3);
    std::unique_ptr<int> taken = std::move(owned).Value();
    EXPECT_EQ(*taken, 3);
}

}  // namespace
}  // namespace sonvara
