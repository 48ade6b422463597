// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Hash-table sizing, the retry at half size when memory runs short, clearing and fill.
#include <gtest/gtest.h>

#include <cstring>
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include "board/largetable.h"
#include "tests/test_support.h"

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
    for (const CaseFields &c : readCases("board/table_sizes.txt")) {
        std::vector<uint64_t> n;
        for (const std::string &field : c) n.push_back(std::stoull(field));
        if (n.size() == 4) {
            EXPECT_EQ(tableEntriesFor(uint32_t(n[0]), uint32_t(n[1]), uint32_t(n[2])), n[3]) << n[0];
        } else {
            EXPECT_EQ(tableMBWithin(uint32_t(n[0]), n[1]), n[2]) << n[0] << " " << n[1];
        }
    }
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
    for (const std::size_t bytes : {std::size_t(64) << 10, std::size_t(80) << 20}) {  // one thread, several
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
