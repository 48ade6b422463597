// Zero-filled memory for the large hash tables (transposition, pawn and perft tables).
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <type_traits>

// The block comes straight from the kernel, so a new table is already clear, and it is
// advised to use huge pages: filling a 64 MB table then costs a few dozen page faults
// instead of sixteen thousand, which is a sizeable share of a short run in a fresh
// process, and random probes miss the TLB far less often.
class LargeTable {
public:
    LargeTable() = default;
    ~LargeTable() { release(); }
    LargeTable(const LargeTable &) = delete;
    LargeTable &operator=(const LargeTable &) = delete;

    // Gives up any earlier block first. Returns the zero-filled block (aligned to at
    // least 64 bytes) or nullptr, holding nothing, when the memory is not available.
    void *allocate(std::size_t bytes);
    void release();
    void *data() const { return data_; }

private:
    void *mapping_ = nullptr;  // what the kernel gave, for unmapping
    std::size_t mappedBytes_ = 0;
    void *data_ = nullptr;
};

// A 64-bit word of a table that threads share without a lock: relaxed atomic loads and
// stores through std::atomic_ref. Unlike std::atomic it is a trivial type, so a table
// of such words is already there, all zero, in a new block from LargeTable: no pass
// that constructs every entry (and writes megabytes of zeros the kernel just wrote).
class SharedWord {
public:
    uint64_t load() const { return std::atomic_ref<uint64_t>(const_cast<uint64_t &>(v_)).load(std::memory_order_relaxed); }
    void store(uint64_t x) { std::atomic_ref<uint64_t>(v_).store(x, std::memory_order_relaxed); }

private:
    alignas(std::atomic_ref<uint64_t>::required_alignment) uint64_t v_;
};
static_assert(std::atomic_ref<uint64_t>::is_always_lock_free);
static_assert(std::is_trivial_v<SharedWord> && sizeof(SharedWord) == 8);
