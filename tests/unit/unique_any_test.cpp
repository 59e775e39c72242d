#include "platform/unique_any.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// Handles are ints here; every close is recorded, so a double close or a missed one shows.
std::vector<int> g_closed;
void RecordClose(int h) noexcept {
    g_closed.push_back(h);
}

using Owner = platform::UniqueAny<int, RecordClose>;
// A handle type whose empty value is -1, as file handles have INVALID_HANDLE_VALUE.
struct MinusOneIsEmpty {
    static constexpr int Value() noexcept { return -1; }
};
using FileLikeOwner = platform::UniqueAny<int, RecordClose, MinusOneIsEmpty>;

class UniqueAnyTest : public ::testing::Test {
protected:
    void SetUp() override { g_closed.clear(); }
};

TEST_F(UniqueAnyTest, EveryHandleIsClosedExactlyOnce) {
    {
        Owner a(7);
        Owner b(std::move(a)); // moved: only b closes
        EXPECT_FALSE(a);
        EXPECT_EQ(b.get(), 7);
        Owner c(8);
        c = std::move(b); // c's own handle closes now, 7 when c goes
        EXPECT_EQ(g_closed, (std::vector<int>{8}));
        Owner& self = c;
        c = std::move(self); // a move onto itself keeps the handle
        EXPECT_EQ(c.get(), 7);
        Owner empty;
    }
    EXPECT_EQ(g_closed, (std::vector<int>{8, 7}));
}

TEST_F(UniqueAnyTest, ResetClosesTheOldHandleAndReleaseClosesNone) {
    Owner a(3);
    a.reset(4);
    EXPECT_EQ(g_closed, (std::vector<int>{3}));
    const int handedOver = a.release();
    EXPECT_EQ(handedOver, 4);
    EXPECT_FALSE(a);
    a.reset();
    EXPECT_EQ(g_closed, (std::vector<int>{3}));
}

TEST_F(UniqueAnyTest, TheEmptyValueIsNeverClosed) {
    {
        FileLikeOwner none;
        FileLikeOwner failed(-1);
        FileLikeOwner first(0); // 0 is a real handle where -1 means none
        EXPECT_FALSE(none);
        EXPECT_FALSE(failed);
        EXPECT_TRUE(first);
        EXPECT_EQ(none.get(), -1);
        EXPECT_EQ(first.release(), 0);
        EXPECT_EQ(first.get(), -1);
        FileLikeOwner kept(5);
    }
    EXPECT_EQ(g_closed, (std::vector<int>{5}));
    {
        Owner zero(0); // with the null rule, 0 is no handle
        EXPECT_FALSE(zero);
    }
    EXPECT_EQ(g_closed, (std::vector<int>{5}));
}

} // namespace
