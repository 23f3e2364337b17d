// Memory blocks: relocatable handles, cleared growth, failures that keep the old block, BMError
// per thread, and the allocation failure hook.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "host/base/memory.h"
#include "platform/base/memory_faults.h"

namespace {

constexpr Int32 Clear = 2;

class MemoryBlocks : public ::testing::Test {
protected:
    void TearDown() override { BMFailNextAllocations(0, 0); }
};

TEST_F(MemoryBlocks, HandleHoldsItsSizeAndClearedBytes) {
    ZRHandle handle = BMAllocateHandle(16, Clear, 0);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(BMError(), NoError);
    EXPECT_EQ(BMGetHandleSize(handle), 16);
    EXPECT_EQ(std::string(*handle, 16), std::string(16, '\0'));
    BMKillHandle(&handle);
    EXPECT_EQ(handle, nullptr);
    ZRHandle empty = BMAllocateHandle(0, 0, 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_NE(*empty, nullptr);
    EXPECT_EQ(BMGetHandleSize(empty), 0);
    BMKillHandle(&empty);
}

TEST_F(MemoryBlocks, ResizeKeepsTheBytesAndClearsGrowthOnRequest) {
    ZRHandle handle = BMAllocateHandle(4, 0, 0);
    ASSERT_NE(handle, nullptr);
    std::memcpy(*handle, "abcd", 4);
    ASSERT_EQ(BMReallocHandle(handle, 4096, Clear, 0), handle);
    EXPECT_EQ(BMGetHandleSize(handle), 4096);
    EXPECT_EQ(std::string(*handle, 4), "abcd");
    EXPECT_EQ(std::string(*handle + 4, 4092), std::string(4092, '\0'));
    ASSERT_EQ(BMReallocHandle(handle, 2, 0, 0), handle);
    EXPECT_EQ(BMGetHandleSize(handle), 2);
    EXPECT_EQ(std::string(*handle, 2), "ab");
    BMKillHandle(&handle);
}

TEST_F(MemoryBlocks, InvalidArgumentsReportErrParam) {
    EXPECT_EQ(BMAllocateHandle(-1, 0, 0), nullptr);
    EXPECT_EQ(BMError(), ErrParam);
    EXPECT_EQ(BMAllocatePtr(-5, 0, 0), nullptr);
    EXPECT_EQ(BMError(), ErrParam);
    EXPECT_EQ(BMReallocHandle(nullptr, 4, 0, 0), nullptr);
    EXPECT_EQ(BMError(), ErrParam);
    EXPECT_EQ(BMGetHandleSize(nullptr), 0);
    EXPECT_EQ(BMError(), ErrParam);
    ZRHandle handle = BMAllocateHandle(1, 0, 0);
    EXPECT_EQ(BMReallocHandle(handle, -1, 0, 0), nullptr);
    EXPECT_EQ(BMGetHandleSize(handle), 1);
    BMKillHandle(&handle);
    BMKillHandle(&handle);  // a second kill finds nothing to free
    EXPECT_EQ(BMError(), NoError);
}

TEST_F(MemoryBlocks, FailedResizeKeepsTheOldBlock) {
    ZRHandle handle = BMAllocateHandle(3, 0, 0);
    std::memcpy(*handle, "xyz", 3);
    char* before = *handle;
    BMFailNextAllocations(0, 1);
    EXPECT_EQ(BMReallocHandle(handle, 1000, Clear, 0), nullptr);
    EXPECT_EQ(BMError(), ErrMemoryFull);
    EXPECT_EQ(*handle, before);
    EXPECT_EQ(BMGetHandleSize(handle), 3);
    EXPECT_EQ(std::string(*handle, 3), "xyz");
    BMKillHandle(&handle);
}

TEST_F(MemoryBlocks, FailuresComeAfterTheSkippedAllocationsAndThenStop) {
    BMFailNextAllocations(2, 2);
    ZRPtr results[5];
    for (ZRPtr& result : results) result = BMAllocatePtr(8, 0, 0);
    EXPECT_NE(results[0], nullptr);
    EXPECT_NE(results[1], nullptr);
    EXPECT_EQ(results[2], nullptr);
    EXPECT_EQ(results[3], nullptr);
    EXPECT_NE(results[4], nullptr);
    EXPECT_EQ(BMError(), NoError);
    EXPECT_EQ(BMPendingAllocationFailures(), 0u);
    for (ZRPtr& result : results) BMKillPtr(&result);
    EXPECT_EQ(results[4], nullptr);
}

TEST_F(MemoryBlocks, ErrorIsPerThread) {
    BMFailNextAllocations(0, 1);
    EXPECT_EQ(BMAllocateHandle(1, 0, 0), nullptr);
    ZRErrCode otherThread = ErrParam;
    std::thread([&] { otherThread = BMError(); }).join();
    EXPECT_EQ(otherThread, NoError);
    EXPECT_EQ(BMError(), ErrMemoryFull);
}

TEST_F(MemoryBlocks, CopyMemoryHandlesOverlap) {
    char bytes[] = "abcdef";
    BNCopyMemory(bytes + 1, bytes, 4);
    EXPECT_STREQ(bytes, "aabcdf");
    BNCopyMemory(nullptr, nullptr, 0);
}

}  // namespace
