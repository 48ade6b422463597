// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Zero-filled memory for the large hash tables (transposition, pawn and perft tables),
// and the sizing, allocation and occupancy sampling those tables share.
#pragma once

#include "board/relaxed.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <thread>
#include <type_traits>

// The block comes straight from the kernel, so a new table is already clear, and it is
// advised to use huge pages: filling a 64 MB table then costs a few dozen page faults
// instead of sixteen thousand, and random probes miss the TLB far less often.
// The kernel hands a page over only when it is first written, which would otherwise
// happen in the first search, inside its clock: a new block is faulted in at once.
class LargeTable {
public:
    LargeTable() = default;
    ~LargeTable() { release(); }
    LargeTable(const LargeTable &) = delete;
    LargeTable &operator=(const LargeTable &) = delete;

    // How a new block's pages come into memory: all of them at once (in the background
    // for a large block), or each when it is first used (a table that often uses only
    // part of its block faults that part in with faultInFront).
    enum class Faulting : uint8_t { ALL, ON_USE };
    // Gives up any earlier block first. Returns the zero-filled block (aligned to at
    // least 64 bytes) or nullptr, holding nothing, when the memory is not available.
    // A large block is faulted in by background threads, which never change its
    // contents: it may be used at once through atomic accesses, and waitFaulted()
    // waits for them.
    void *allocate(std::size_t bytes, Faulting faulting = Faulting::ALL);
    // Returns once every page of the block is in memory.
    void waitFaulted();
    // Puts the first bytes of the block in memory now, on a few threads when they are
    // many.
    void faultInFront(std::size_t bytes);
    // Zero-fills the block again (or only its first `bytes`, where it was used), on a
    // few threads when it is large. Only while no other thread uses the block.
    void clear(std::size_t bytes = SIZE_MAX);
    void release();
    void *data() const { return data_; }
    std::size_t bytes() const { return bytes_; }

private:
    void *mapping_ = nullptr;  // what the kernel gave, for unmapping
    std::size_t mappedBytes_ = 0;
    void *data_ = nullptr;
    std::size_t bytes_ = 0;
    std::thread faulter_;
    std::atomic<bool> stopFaulting_{false};  // the block goes: leave the rest unfaulted
};

// Sizing shared by the hash tables: the largest power-of-two count of entryBytes-sized
// entries that fits in sizeMB megabytes (capped at TABLE_MAX_MB, 64 GiB), and at least
// minEntries.
constexpr uint32_t TABLE_MAX_MB = 65536;
uint64_t tableEntriesFor(uint32_t sizeMB, std::size_t entryBytes, uint32_t minEntries);
// What a request may have on a machine with memoryBytes (0: unknown, the request as it
// is): at most three quarters of the memory, so that a size the machine cannot hold is
// cut to one it can rather than pushing the engine out of memory when its pages are
// faulted in.
uint32_t tableMBWithin(uint32_t requestedMB, uint64_t memoryBytes);

// The storage of a hash table: a power-of-two count of Entry in a LargeTable.
template <class Entry, uint32_t MinEntries> class HashTableBase {
public:
    static constexpr uint32_t MAX_SIZE_MB = TABLE_MAX_MB;
    static constexpr uint32_t MIN_ENTRIES = MinEntries;
    // Occupancy is estimated from this many leading entries, and always given as a
    // share of this many, so a smaller table never reports a high fill.
    static constexpr uint32_t FILL_SAMPLE = 65536;

    static uint64_t entriesFor(uint32_t sizeMB) { return tableEntriesFor(sizeMB, sizeof(Entry), MinEntries); }
    // The size a request for sizeMB makes, in whole megabytes.
    static uint32_t sizeMBFor(uint32_t sizeMB) { return uint32_t((uint64_t(entriesFor(sizeMB)) * sizeof(Entry)) >> 20); }
    uint64_t entryCount() const { return entryCount_; }
    uint32_t sizeMB() const { return uint32_t((uint64_t(entryCount_) * sizeof(Entry)) >> 20); }
    // Waits until a new block is all in memory, so that a search does not stall on its
    // page faults.
    void waitFaulted() { memory_.waitFaulted(); }

private:
    LargeTable memory_;  // first, so that entries_ sits next to a derived table's mask

protected:
    // Gives up the old block, then maps entriesFor(sizeMB) empty entries. A failed
    // allocation is retried at half the size, down to MinEntries, rather than leaving
    // the engine without a table. Returns the entry count made, 0 when none.
    uint64_t allocate(uint32_t sizeMB, LargeTable::Faulting faulting = LargeTable::Faulting::ALL) {
        entries_ = nullptr;
        entryCount_ = 0;
        uint64_t count = entriesFor(sizeMB);
        void *raw = nullptr;
        while (!(raw = memory_.allocate(std::size_t(count) * sizeof(Entry), faulting)) && count > MinEntries)
            count /= 2;
        if (!raw) return 0;
        entries_ = static_cast<Entry *>(raw);  // zero-filled: every entry empty
        entryCount_ = count;
        return count;
    }
    // Empties every entry (or the first `count`, where the others are known empty),
    // keeping the block (and its pages).
    void clearEntries(uint64_t count = UINT64_MAX) {
        memory_.clear(count < entryCount_ ? std::size_t(count) * sizeof(Entry) : SIZE_MAX);
    }
    // Puts the first count entries in memory now.
    void faultInEntries(uint64_t count) { memory_.faultInFront(std::size_t(count) * sizeof(Entry)); }
    // Percentage of FILL_SAMPLE taken by the used entries among the first FILL_SAMPLE.
    template <class Used> double sampledFill(Used used) const {
        const uint32_t sample = entryCount_ < FILL_SAMPLE ? uint32_t(entryCount_) : FILL_SAMPLE;
        uint32_t n = 0;
        for (uint32_t i = 0; i < sample; ++i)
            if (used(entries_[i])) ++n;
        return double(n) * 100.0 / double(FILL_SAMPLE);
    }

    Entry *entries_ = nullptr;
    uint64_t entryCount_ = 0;
};

