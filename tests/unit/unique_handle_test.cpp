#include "base/unique_handle.h"

#include <gtest/gtest.h>

#include <vector>

namespace torva {
namespace {

std::vector<int> closed;
void Record(int value) noexcept { closed.push_back(value); }
using Owned = UniqueAny<int, &Record, -1>;

TEST(UniqueAny, ClosesEachValueOnceWhateverMovesIt) {
    closed.clear();
    {
        Owned none;
        EXPECT_FALSE(none);
        Owned a(1);
        Owned b(std::move(a));
        EXPECT_FALSE(a);
        EXPECT_EQ(b.Get(), 1);
        Owned c(2);
        c = std::move(b);  // 2 closes, 1 moves over
        EXPECT_EQ(closed, std::vector<int>{2});
        c.Reset(3);                 // 1 closes
        *c.Put() = 4;               // 3 closes; 4 is written in place
        EXPECT_EQ(c.Release(), 4);  // handed over: never closed here
        c.Reset(5);
    }
    EXPECT_EQ(closed, (std::vector<int>{2, 1, 3, 5}));
}

}  // namespace
}  // namespace torva
