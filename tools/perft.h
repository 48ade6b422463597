// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Move-generator verification: leaf counts of the legal move tree ("perft"), the same
// split by root move ("divide"), and the table of subtree counts that speeds them up.
#pragma once

#include <cstdint>

#include "board/board.h"
#include "board/largetable.h"

struct AttackInfo;
struct SearchLimits;

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

    // First call: allocate (printing the "# new size of Perft hash" line). Later calls
    // only clear, so counts never carry over from one run to the next.
    void prepare(uint32_t requestedMB);
    bool exists() const { return entries_ != nullptr; }

    bool probe(uint64_t key, uint32_t depth, uint64_t &count) const;
    void store(uint64_t key, uint32_t depth, uint64_t count);

    // Share of used entries among the first 65536, in percent.
    double fillPercent() const;

private:
    using Entry = PerftEntry;
    uint32_t bucketMask_ = 0;
};

// One counting run: the board it walks, the table it caches in, and the interior
// nodes it has visited. The board's perftKeys[perftIndex] must hold its current key.
struct PerftContext {
    Board_BB64 &board;
    PerftHash &hash;
    uint64_t nodes = 0;
    MoveNotation notation{};  // of divide's lines
};

// Leaves of the tree below the position (Us to move, in check when checkers is not
// empty) to the given depth (at least 1).
template <Colour Us> uint64_t perft(PerftContext &ctx, const AttackInfo &checkers, uint32_t depth);
// The same for the root of "divide": prints "<move> <leaves>" per root move, no caching.
template <Colour Us> uint64_t divideRoot(PerftContext &ctx, const AttackInfo &checkers, uint32_t depth);
// Computes the root checkers and runs perft or divideRoot for the side to move.
uint64_t countFromRoot(PerftContext &ctx, uint32_t depth, bool divide);

// Counting needs one king per side, a side to move and the side not to move out of
// check. Other positions (which a failed or odd FEN can leave) are refused rather than
// walked, since the generators assume all of that.
bool perftPositionOk(const Board_BB64 &b);
// The deepest run the board's perft key stack has room for.
uint32_t perftMaxDepth(const Board_BB64 &b);

// The body of the "perft" and "divide" commands: rebuilds the board's keys, counts,
// prints the report. A depth below 1 gives false with nothing printed; a refused
// position or a depth beyond perftMaxDepth gives false with an error line.
// Divide writes castling in the given style.
bool perftCommand(Board_BB64 &b, PerftHash &hash, uint32_t hashMB, int depth, bool divide, SearchLimits &clock,
                  CastlingText castlingText = CastlingText::KING_DESTINATION);
