// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Hash-table sizing, the retry at half size when memory runs short, clearing and fill.
#include <gtest/gtest.h>

#include <cstring>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "board/largetable.h"

namespace {

struct Entry16 {
    uint64_t key;
    uint64_t data;
};

// The smallest table the base allows: enough to reach every protected member.
class TestTable : public HashTableBase<Entry16, 4> {
public:
    uint64_t make(uint32_t sizeMB) { return allocate(sizeMB); }
    Entry16 *entries() { return entries_; }
    double fill() const {
        return sampledFill([](const Entry16 &e) { return e.key != 0; });
    }
};

bool allZero(const void *p, std::size_t n) {
    const auto *b = static_cast<const unsigned char *>(p);
    return n == 0 || (b[0] == 0 && std::memcmp(b, b + 1, n - 1) == 0);
}

TEST(TableSize, LargestPowerOfTwoWithinTheRequestCappedAndAtLeastTheMinimum) {
    const struct {
        uint32_t mb, entryBytes, minEntries;
        uint64_t entries;
    } sizes[] = {{0, 16, 1, 1},          {0, 16, 4, 4},        {1, 16, 4, 65536},
                 {3, 16, 4, 131072},     {256, 16, 4, 1 << 24}, {18432, 16, 1, uint64_t(1) << 30},
                 {TABLE_MAX_MB, 16, 1, uint64_t(1) << 32}, {100000, 16, 1, uint64_t(1) << 32}, {3, 32, 1, 65536}};
    for (const auto &c : sizes) EXPECT_EQ(tableEntriesFor(c.mb, c.entryBytes, c.minEntries), c.entries) << c.mb;
    // A request beyond the machine's memory (0: unknown) is cut to 3/4 of it, at least 1 MB.
    constexpr uint64_t GB = uint64_t(1) << 30;
    const struct {
        uint32_t mb;
        uint64_t memory;
        uint32_t within;
    } cuts[] = {{65536, 24 * GB, 18432}, {65536, 128 * GB, 65536}, {16, 24 * GB, 16}, {256, 0, 256}, {256, 1 << 20, 1}};
    for (const auto &c : cuts) EXPECT_EQ(tableMBWithin(c.mb, c.memory), c.within) << c.mb << " " << c.memory;
    TestTable t;
    EXPECT_TRUE(t.make(3) == 131072u && t.sizeMB() == 2u);
    EXPECT_TRUE(t.make(0) == 4u && t.sizeMB() == 0u);
}

#ifndef _WIN32
TEST(TableSize, AnAllocationThatFailsIsRetriedAtHalfSize) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers' own mappings need the address space this test takes away";
#endif
    // Address space for the process plus about 40 MB: 1024 MB cannot be had, 32 MB can.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &old), 0);
    std::FILE *f = std::fopen("/proc/self/statm", "r");
    ASSERT_NE(f, nullptr);
    unsigned long pages = 0;
    ASSERT_EQ(std::fscanf(f, "%lu", &pages), 1);
    std::fclose(f);
    rlimit tight = old;
    tight.rlim_cur = pages * 4096 + (40ul << 20);
    if (old.rlim_max != RLIM_INFINITY && tight.rlim_cur > old.rlim_max) GTEST_SKIP() << "address space limited";
    ASSERT_EQ(setrlimit(RLIMIT_AS, &tight), 0);
    TestTable t;
    const uint32_t got = t.make(1024);
    ASSERT_EQ(setrlimit(RLIMIT_AS, &old), 0);
    ASSERT_GE(got, tableEntriesFor(8, 16, 4));
    EXPECT_LE(got, tableEntriesFor(32, 16, 4));
    EXPECT_EQ(t.entryCount(), got);
    t.entries()[got - 1].key = 1;  // the smaller table is all there
}
#endif

TEST(LargeTable, ClearEmptiesTheBlockAndKeepsIt) {
    for (const std::size_t bytes : {std::size_t(64) << 10, std::size_t(24) << 20}) {  // one thread, several
        LargeTable t;
        auto *p = static_cast<unsigned char *>(t.allocate(bytes));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 64, 0u);
        EXPECT_TRUE(allZero(p, bytes));  // whatever the fault-in threads are doing
        t.waitFaulted();  // plain writes from here on
        std::memset(p, 0x5A, bytes);
        t.clear();
        EXPECT_EQ(t.data(), p);
        EXPECT_EQ(t.bytes(), bytes);
        EXPECT_TRUE(allZero(p, bytes));
        EXPECT_NE(t.allocate(bytes / 2), nullptr);  // a new block replaces it
        EXPECT_EQ(t.bytes(), bytes / 2);
        t.release();
        EXPECT_EQ(t.data(), nullptr);
        t.clear();  // nothing to clear: no effect
    }
}

TEST(LargeTable, FillIsTakenOverTheSampleWhateverTheTableSize) {
    TestTable big, small;
    big.make(4);
    small.make(0);
    EXPECT_EQ(big.fill(), 0.0);
    for (uint32_t i = 0; i < 65536 * 2; i += 4) big.entries()[i].key = i + 1;  // a quarter of the sample and beyond
    EXPECT_DOUBLE_EQ(big.fill(), 25.0);
    small.entries()[3].key = 7;
    EXPECT_DOUBLE_EQ(small.fill(), 100.0 / 65536);
}

}  // namespace
