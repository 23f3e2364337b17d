// The arrays: Array from 0, VAArray from 1, removal shifting, and the exceptions at the bounds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/base/arrays.h"

namespace {

template <class ArrayType>
std::vector<int> Contents(const ArrayType& array) {
    return std::vector<int>(array.begin(), array.end());
}

TEST(VAArray, PositionsStartAtOneAndRemovalShifts) {
    ZR::VAArray<int> array;
    for (int value : {10, 20, 30, 40}) array.Push(value);
    EXPECT_EQ(array[1], 10);
    EXPECT_EQ(array[4], 40);
    array.Delete(2);
    EXPECT_EQ(Contents(array), (std::vector<int>{10, 30, 40}));
    EXPECT_EQ(array[2], 30);
    array.Insert(1, 5);
    array.Insert(5, 50);  // the position after the last appends
    EXPECT_EQ(Contents(array), (std::vector<int>{5, 10, 30, 40, 50}));
    EXPECT_EQ(array.GetLast(), 50);
}

TEST(VAArray, PositionsOutsideRaise) {
    ZR::VAArray<int> array;
    array.Push(1);
    EXPECT_THROW(array[0], ZR::IndexOutOfRangeException);
    EXPECT_THROW(array[2], ZR::IndexOutOfRangeException);
    EXPECT_THROW(array.Delete(0), ZR::IndexOutOfRangeException);
    EXPECT_THROW(array.Insert(0, 1), ZR::IndexOutOfRangeException);
    EXPECT_THROW(array.Insert(3, 1), ZR::IndexOutOfRangeException);
    EXPECT_EQ(Contents(array), (std::vector<int>{1}));
}

TEST(Array, EmptyArrayHasNoLastElement) {
    ZR::Array<int> array;
    EXPECT_THROW(array.GetLast(), ZR::IndexOutOfRangeException);
    EXPECT_THROW(array.DeleteLast(), ZR::IndexOutOfRangeException);
    const ZR::Array<int>& constant = array;
    EXPECT_THROW(constant.GetLast(), ZR::IndexOutOfRangeException);
}

// Elements so large that no count above 2^31 fits in memory: growth fails without allocating.
struct Huge {
    char bytes[size_t(1) << 32];
};

TEST(Array, FailedGrowthRaisesTheArrayException) {
    ZR::Array<Huge> array;
    EXPECT_THROW(array.Reserve(0xFFFFFFFFu), ZR::BMOutOfMemoryException);
    EXPECT_TRUE(array.IsEmpty());
}

}  // namespace
