// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Perft and divide: the leaf counter, its subtree table and the command around them.
#include "tools/perft.h"

#include <algorithm>

#include "board/movegen.h"
#include "search/limits.h"

PerftHash::Prepared PerftHash::prepare(uint32_t requestedMB, uint64_t expectedEntries) {
    // One 2 MB huge page: the least a run uses, and more than the 65536 entries the fill
    // is sampled over.
    constexpr uint64_t MIN_USED_ENTRIES = (uint64_t(2) << 20) / sizeof(Entry);
    Prepared p;
    if (entries_) {
        // Only the front the last run used can hold anything.
        clearEntries(usedEntries_);
    } else {
        p.made = true;
        p.sizeMB = sizeMBFor(requestedMB);
        // Pages come in as the runs reach them: most runs use only the front.
        p.allocated = allocate(requestedMB, LargeTable::Faulting::ON_USE) != 0;
    }
    if (!entries_) return p;
    const uint64_t wanted = std::max(MIN_USED_ENTRIES, std::min(expectedEntries, UINT64_MAX / 2) * 2);
    usedEntries_ = entryCount_;
    while (usedEntries_ / 2 >= wanted) usedEntries_ /= 2;
    bucketMask_ = uint32_t(usedEntries_ / 4 - 1);
    // The count should not stall on page faults, one per probe of a new page.
    faultInEntries(usedEntries_);
    return p;
}

bool PerftHash::probe(uint64_t key, uint32_t depth, uint64_t &count) const {
    if (!entries_) return false;
    const Entry *bucket = &entries_[(key & bucketMask_) * 4];
    for (int i = 0; i < 4; ++i) {
        if (bucket[i].keyHigh() != key >> 16) continue;
        if (bucket[i].depth() != depth) return false;
        count = bucket[i].count;
        return true;
    }
    return false;
}

void PerftHash::store(uint64_t key, uint32_t depth, uint64_t count) {
    if (!entries_) return;
    Entry *bucket = &entries_[(key & bucketMask_) * 4];
    Entry *slot = nullptr;
    for (int i = 0; i < 4 && !slot; ++i)
        if (bucket[i].keyHigh() == key >> 16) slot = &bucket[i];
    for (int i = 0; i < 4 && !slot; ++i)
        if (bucket[i].keyHigh() == 0) slot = &bucket[i];
    if (!slot) {
        slot = &bucket[0];
        for (int i = 1; i < 4; ++i)
            if (bucket[i].depth() < slot->depth()) slot = &bucket[i];
    }
    slot->count = count;
    slot->depthAndKey = (key & ~uint64_t(0xFFFF)) | (depth & 0xFFFF);
}

// Sampled in the front the last run used, and given as a share of the whole table.
double PerftHash::fillPercent() const {
    const double fill = sampledFill([](const Entry &e) { return e.keyHigh() != 0; });
    return entryCount_ ? fill * double(usedEntries_) / double(entryCount_) : fill;
}

namespace {

// The check information of the side to move, given its checkers.
template <Colour Us> CheckInfo checkInfo(const Board_BB64 &b, const AttackInfo &checkers) {
    CheckInfo info;
    info.checkers = checkers;
    computePins<Us>(b, info);
    return info;
}

// The moves walked below a node: the evasions in check, else every legal move.
template <Colour Us> void listMoves(Board_BB64 &b, const CheckInfo &info, MoveList &moves) {
    if (info.inCheck()) generateEvasions<Us>(b, info, moves);
    else generateAllLegal<Us>(b, info, moves);
}

// A node one ply above the leaves: its moves are counted, not visited.
template <Colour Us> uint64_t countLastPly(PerftContext &ctx, const AttackInfo &checkers) {
    ++ctx.nodes;
    return countLegalMoves<Us>(ctx.board, checkInfo<Us>(ctx.board, checkers));
}

// Leaves below move m, which leaves `depth` plies to count after it (0: m is a leaf).
template <Colour Us> inline uint64_t countAfter(PerftContext &ctx, Move m, uint32_t depth) {
    Board_BB64 &b = ctx.board;
    AttackInfo childCheckers;
    checkersAfter<Us>(b, m, childCheckers);
    UndoInfo undo;
    if (depth > 1) {
        b.makePerftMove<Us>(m, undo);
        const uint64_t count = perft<opposite(Us)>(ctx, childCheckers, depth);
        b.unmakePerftMove<Us>(m, undo);
        return count;
    }
    // The child's key would never be looked up.
    b.makeUnkeyedMove<Us>(m, undo);
    const uint64_t count = depth ? countLastPly<opposite(Us)>(ctx, childCheckers) : 1;
    b.unmakeUnkeyedMove<Us>(m, undo);
    return count;
}

}  // namespace

template <Colour Us> uint64_t perft(PerftContext &ctx, const AttackInfo &checkers, uint32_t depth) {
    if (depth == 1) return countLastPly<Us>(ctx, checkers);
    Board_BB64 &b = ctx.board;
    ++ctx.nodes;

    // The probe comes first: a hit skips the pin computation.
    const uint64_t key = b.perftKeys[b.perftIndex];
    uint64_t sum = 0;
    if (ctx.hash.probe(key, depth, sum)) return sum;

    const CheckInfo info = checkInfo<Us>(b, checkers);
    MoveList moves;
    listMoves<Us>(b, info, moves);
    for (const ScoredMove &sm : moves) sum += countAfter<Us>(ctx, sm.move, depth - 1);
    ctx.hash.store(key, depth, sum);
    return sum;
}

template <Colour Us> uint64_t divideRoot(PerftContext &ctx, const AttackInfo &checkers, uint32_t depth) {
    Board_BB64 &b = ctx.board;
    ++ctx.nodes;

    MoveList moves;
    listMoves<Us>(b, checkInfo<Us>(b, checkers), moves);
    uint64_t total = 0;
    for (const ScoredMove &sm : moves) {
        const uint64_t count = countAfter<Us>(ctx, sm.move, depth - 1);
        total += count;
        ctx.rootCounts.push_back({sm.move, count});
    }
    return total;
}

uint64_t countFromRoot(PerftContext &ctx, uint32_t depth, bool divide) {
    const Board_BB64 &b = ctx.board;
    const Colour us = b.side();
    AttackInfo checkers;
    isAttackedBy(b, opposite(us), b.kingSquare(us), checkers);
    if (us == WHITE) return divide ? divideRoot<WHITE>(ctx, checkers, depth) : perft<WHITE>(ctx, checkers, depth);
    return divide ? divideRoot<BLACK>(ctx, checkers, depth) : perft<BLACK>(ctx, checkers, depth);
}

uint64_t perftExpectedEntries(Board_BB64 &b, uint32_t depth) {
    CheckInfo info;
    computeCheckInfo(b, info);
    const uint64_t legal = b.side() == WHITE ? countLegalMoves<WHITE>(b, info) : countLegalMoves<BLACK>(b, info);
    const uint64_t moves = std::max<uint64_t>(legal, 2);
    uint64_t entries = 1;
    for (uint32_t ply = 2; ply < depth && entries < (uint64_t(1) << 40); ++ply) entries *= moves;
    return entries;
}

uint32_t perftMaxDepth(const Board_BB64 &b) {
    // Each ply of the walk pushes at most one key.
    return b.perftIndex < uint32_t(PERFT_KEYS_SIZE) ? uint32_t(PERFT_KEYS_SIZE) - 1 - b.perftIndex : 0;
}

PerftRun perftCommand(Board_BB64 &b, PerftHash &hash, uint32_t hashMB, int depth, bool divide) {
    PerftRun run;
    if (depth < 1) return run;
    run.status = !isPlayable(b)                       ? PerftStatus::ILLEGAL_POSITION
                 : uint32_t(depth) > perftMaxDepth(b) ? PerftStatus::TOO_DEEP
                                                      : PerftStatus::COUNTED;
    if (run.status != PerftStatus::COUNTED) return run;
    const uint32_t startCs = timestampNow();
    b.rebuildKeys();
    run.table = hash.prepare(hashMB, perftExpectedEntries(b, uint32_t(depth)));
    PerftContext ctx{b, hash};
    run.leaves = countFromRoot(ctx, uint32_t(depth), divide);
    run.elapsedCs = timestampNow() - startCs;
    run.nodes = ctx.nodes;
    run.rootCounts = std::move(ctx.rootCounts);
    run.hashFillPercent = hash.fillPercent();
    return run;
}

template uint64_t perft<WHITE>(PerftContext &, const AttackInfo &, uint32_t);
template uint64_t perft<BLACK>(PerftContext &, const AttackInfo &, uint32_t);
template uint64_t divideRoot<WHITE>(PerftContext &, const AttackInfo &, uint32_t);
template uint64_t divideRoot<BLACK>(PerftContext &, const AttackInfo &, uint32_t);
