// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Move-generator verification: leaf counts of the legal move tree ("perft"), the same
// split by root move ("divide"), and the table of subtree counts that speeds them up.
#pragma once

#include <cstdint>
#include <vector>

#include "board/board.h"
#include "board/largetable.h"

struct AttackInfo;

// depthAndKey holds the depth in its low 16 bits and key bits 16-63 above them, so the
// entry is count (bytes 0-7), depth (8-9), key check (10-15). A zero key check marks an
// empty entry.
struct PerftEntry {
    uint64_t count;
    uint64_t depthAndKey;
    uint64_t keyHigh() const { return depthAndKey >> 16; }
    uint32_t depth() const { return uint32_t(depthAndKey & 0xFFFF); }
};
static_assert(sizeof(PerftEntry) == 16);

// Subtree leaf counts by (position key, remaining depth), buckets of four 16-byte
// entries. Used by the main thread only, so it needs no atomics.
class PerftHash : public HashTableBase<PerftEntry, 4> {
public:
    static constexpr uint32_t DEFAULT_SIZE_MB = 64;

    // What the first call made: its size and whether it got memory (counting goes on
    // without the table if not). Later calls only clear (made stays false), so counts
    // never carry over from one run to the next.
    struct Prepared {
        bool made = false;
        uint32_t sizeMB = 0;
        bool allocated = true;
    };
    // A run that stores about expectedEntries subtrees uses only as much of the table
    // as holds twice that many (at least one huge page): a short count then neither
    // waits for the whole table to come into memory nor walks it out of the cache.
    Prepared prepare(uint32_t requestedMB, uint64_t expectedEntries = UINT64_MAX);
    bool exists() const { return entries_ != nullptr; }

    bool probe(uint64_t key, uint32_t depth, uint64_t &count) const;
    void store(uint64_t key, uint32_t depth, uint64_t count);

    // Share of the table's entries in use, in percent, estimated from the first 65536.
    double fillPercent() const;

private:
    using Entry = PerftEntry;
    uint32_t bucketMask_ = 0;
    uint64_t usedEntries_ = 0;  // the front of the table the current run uses
};

// A root move's leaves, as divide reports them.
struct RootMoveCount {
    Move move;
    uint64_t leaves;
};

// One counting run: the board it walks, the table it caches in, the interior nodes it
// has visited and, for divide, the root moves' counts. The board's
// perftKeys[perftIndex] must hold its current key.
struct PerftContext {
    Board_BB64 &board;
    PerftHash &hash;
    uint64_t nodes = 0;
    std::vector<RootMoveCount> rootCounts = {};
};

// Leaves of the tree below the position (Us to move, in check when checkers is not
// empty) to the given depth (at least 1).
template <Colour Us> uint64_t perft(PerftContext &ctx, const AttackInfo &checkers, uint32_t depth);
// The same for the root of "divide": adds each root move's count to ctx.rootCounts in
// generation order, no caching.
template <Colour Us> uint64_t divideRoot(PerftContext &ctx, const AttackInfo &checkers, uint32_t depth);
// Computes the root checkers and runs perft or divideRoot for the side to move.
uint64_t countFromRoot(PerftContext &ctx, uint32_t depth, bool divide);

// About how many subtrees a count to this depth stores: the root's moves to the power
// of the plies above the last two.
uint64_t perftExpectedEntries(Board_BB64 &b, uint32_t depth);

// The deepest run the board's perft key stack has room for (isPlayable, board/movegen.h,
// says whether a board can be walked at all).
uint32_t perftMaxDepth(const Board_BB64 &b);

enum class PerftStatus : uint8_t {
    COUNTED,
    NO_DEPTH,          // a depth below 1
    ILLEGAL_POSITION,  // a board the generators cannot walk (isPlayable)
    TOO_DEEP           // beyond perftMaxDepth
};

// What a "perft" or "divide" run found, for the face to word.
struct PerftRun {
    PerftStatus status = PerftStatus::NO_DEPTH;
    PerftHash::Prepared table;
    std::vector<RootMoveCount> rootCounts;  // divide only
    uint64_t leaves = 0, nodes = 0;
    uint32_t elapsedCs = 0;
    double hashFillPercent = 0.0;
};

// The body of the "perft" and "divide" commands: checks the depth and the position,
// rebuilds the board's keys and counts, timed (centiseconds). Prints nothing.
PerftRun perftCommand(Board_BB64 &b, PerftHash &hash, uint32_t hashMB, int depth, bool divide);
