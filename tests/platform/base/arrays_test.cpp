// The arrays' exceptions: positions outside, the last element of an empty array, failed growth.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/base/arrays.h"

namespace {

template <class ArrayType>
std::vector<int> Contents(const ArrayType& array) {
    return std::vector<int>(array.begin(), array.end());
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
