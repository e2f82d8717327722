// The wait that decode threads hand work over through must never lose a
// wake: the C++ library's own atomic wait did on Windows, and two-thread
// decodes hung there.
#include <gtest/gtest.h>

#include <cstdint>
#include <thread>

#include "base/wait_word.h"

namespace {

template <class T>
class WaitWordTest : public testing::Test {
};

using WordTypes = testing::Types<int32_t, int64_t, uint64_t>;
TYPED_TEST_SUITE(WaitWordTest, WordTypes);

// Two threads take turns through one word: each waits for its count,
// stores the next and wakes the other. A lost wake leaves both asleep; with
// the library's wait, Windows lost one within a few thousand turns.
TYPED_TEST(WaitWordTest, TwoThreadsTakingTurnsNeverLoseAWake)
{
    constexpr TypeParam turns = 200000;
    WaitWord<TypeParam> word;
    const auto play = [&word](TypeParam first) {
        for (TypeParam mine = first; mine < turns; mine += 2) {
            for (TypeParam seen = word.load(); seen != mine; seen = word.load())
                word.waitWhile(seen);
            word.store(mine + 1);
            word.wakeAll();
        }
    };
    std::thread other(play, TypeParam{1});
    play(TypeParam{0});
    other.join();
    EXPECT_EQ(word.load(), turns);
}

TYPED_TEST(WaitWordTest, ReturnsAtOnceWhenTheWordHoldsAnotherValue)
{
    WaitWord<TypeParam> word;
    word.store(TypeParam{7});
    word.waitWhile(TypeParam{6});
    EXPECT_EQ(word.load(), TypeParam{7});
}

}  // namespace
