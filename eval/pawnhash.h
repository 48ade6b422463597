// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The pawn hash: pawn-only evaluation terms cached by pawn key. Shared by all search
// threads without a lock.
#pragma once

#include <atomic>
#include <cstdint>
#include "board/largetable.h"
#include "board/types.h"

// What the pawn hash caches for one pawn structure.
struct PawnEntryData {
    TermPair weak;         // isolated + doubled + backward, White minus Black
    uint8_t openFiles = 0;      // bit f: no pawn on file f
    uint8_t halfOpenFiles = 0;  // bit f: pawns of exactly one colour on file f
};

// One slot. The check word holds key XOR data, so a reader that sees the words of two
// different writes fails the key test instead of trusting mixed data.
struct PawnHashEntry {
    SharedWord check;
    SharedWord data;
};
static_assert(sizeof(PawnHashEntry) == 16 && std::is_trivially_default_constructible_v<PawnHashEntry>);

class PawnHashTable : public HashTableBase<PawnHashEntry, 1> {
public:
    PawnHashTable() = default;
    explicit PawnHashTable(uint32_t sizeMB) { resize(sizeMB); }
    PawnHashTable(const PawnHashTable &) = delete;
    PawnHashTable &operator=(const PawnHashTable &) = delete;

    // Reallocates (zero-filled) with entriesFor(sizeMB) entries. Returns false if that
    // allocation fails, in which case the table keeps the largest smaller size that
    // could be had.
    bool resize(uint32_t sizeMB);
    // Empties every entry and the hit counts, keeping the memory.
    void clear();

    // Hits are counted per search thread, each counter on a cache line of its own, so
    // that threads probing at the same time do not pass one line back and forth: the
    // caller names its counter by its search thread index (hitLane).
    uint64_t hits() const;
    // Entries with a non-zero key among the first min(entryCount, 65536), as a
    // percentage of 65536.
    double fillPercent() const;

    // True on a hit (full-key match); counts the hit in the caller's lane.
    bool probe(uint64_t key, PawnEntryData &out, uint32_t hitLane);
    // Always overwrites the entry at the key's index.
    void store(uint64_t key, const PawnEntryData &data);

private:
    using Entry = PawnHashEntry;
    Entry &slot(uint64_t key) { return entries_[uint32_t(key) & mask_]; }

    uint32_t mask_ = 0;
    // Updated with a relaxed load and store, which avoids a locked instruction. More
    // threads than lanes share lanes, and an increment may then be lost: acceptable
    // for a statistic.
    static constexpr uint32_t HIT_LANES = 8;
    struct alignas(64) HitCounter {
        Relaxed<uint64_t> n = 0;
    };
    HitCounter hits_[HIT_LANES];
    void resetHits();
};
