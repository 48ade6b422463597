// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The transposition table: search results by position key, shared by every search
// thread without a lock. Buckets of four 16-byte entries fill one cache line.
#pragma once

#include <atomic>
#include <cstdint>

#include "board/board.h"
#include "board/largetable.h"

enum TTBound : int { TT_EXACT = 1, TT_LOWER = 2, TT_UPPER = 3 };

// One slot. The first word holds the key XOR-ed with the data word, so a reader that
// catches a half-written slot sees a key that matches nothing instead of pairing one
// position's key with another position's data.
struct TTEntry {
    SharedWord keyXorData;
    SharedWord data;  // move | score << 16 | bound << 32 | depth << 48 | age << 56
};
static_assert(sizeof(TTEntry) == 16 && std::is_trivially_default_constructible_v<TTEntry>);

// A slot's contents unpacked.
struct TTData {
    uint64_t key = 0;
    Move move = NO_MOVE;
    int16_t score = 0;
    uint16_t bound = 0;
    uint8_t depth = 0;
    uint8_t age = 0;
};

class TranspositionTable : public HashTableBase<TTEntry, 4> {
public:
    static constexpr uint32_t BUCKET_ENTRIES = 4;
    static_assert(MIN_ENTRIES == BUCKET_ENTRIES);

    TranspositionTable() = default;
    explicit TranspositionTable(uint32_t sizeMB) { resize(sizeMB); }
    TranspositionTable(const TranspositionTable &) = delete;
    TranspositionTable &operator=(const TranspositionTable &) = delete;

    // Largest power-of-two entry count that fits in sizeMB; prints the size line.
    // Does nothing, and answers false, when the table already has that size.
    bool resize(uint32_t sizeMB);
    // Empties every slot, keeping the memory; prints the size line as a new table would.
    void clear();

    // ply: distance from the root; depth: remaining depth of the node. Sets found on a
    // key match and move to the entry's move (when it has one); true when score can
    // end the node.
    bool probe(const Board_BB64 &b, int alpha, int beta, int ply, int depth, int &score, Move &move,
               bool &found) const;
    // lowBound/highBound: the node's mate-distance bounds; alpha/beta: its window.
    void store(const Board_BB64 &b, int lowBound, int highBound, int alpha, int beta, int ply, int depth,
               int score, Move move);

    // Starts loading the bucket of a position that is about to be probed, so that the
    // memory access overlaps with the work before the probe.
    void prefetch(uint64_t key) const {
        if (entries_) __builtin_prefetch(bucketOf(key));
    }

    // Share of used slots among the first 65536, in percent.
    double fillPercent() const;
    // Unpacked copy of slot i (for tests and diagnostics).
    TTData entryAt(uint32_t i) const;

private:
    // The first of the BUCKET_ENTRIES slots a key may use (low 32 bits of the key).
    TTEntry *bucketOf(uint64_t key) const { return entries_ + BUCKET_ENTRIES * (uint32_t(key) & bucketMask_); }

    uint32_t bucketMask_ = 0;
};
