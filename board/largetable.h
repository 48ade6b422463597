// Zero-filled memory for the large hash tables (transposition, pawn and perft tables).
#pragma once

#include <cstddef>

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
