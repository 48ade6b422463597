// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Perft and divide: the leaf counter, its subtree table and the command around them.
#include "tools/perft.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "board/movegen.h"
#include "search/movepick.h"
#include "search/limits.h"

void PerftHash::prepare(uint32_t requestedMB) {
    if (entries_) {
        clearEntries();
        return;
    }
    std::printf("# new size of Perft hash: %u MB\n", sizeMBFor(requestedMB));
    if (!allocate(requestedMB)) {
        // Counting still works without the table, only slower.
        std::printf("# failed to allocate the Perft hash, counting without it\n");
        std::fflush(stdout);
    }
    bucketMask_ = entryCount_ ? uint32_t(entryCount_ / 4 - 1) : 0;
    // The count should not stall on page faults, one per probe of a new page.
    waitFaulted();
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

double PerftHash::fillPercent() const {
    return sampledFill([](const Entry &e) { return e.keyHigh() != 0; });
}

namespace {

// Leaves below move m, which leaves `depth` plies to count after it (0: m is a leaf).
template <Colour Us> inline uint64_t countAfter(PerftContext &ctx, Move m, uint32_t depth) {
    Board_BB64 &b = ctx.board;
    AttackInfo childCheckers;
    checkersAfter<Us>(b, m, childCheckers);
    UndoInfo undo;
    b.makePerftMove<Us>(m, undo);
    const uint64_t count = depth == 0 ? 1 : perft<opposite(Us)>(ctx, childCheckers, depth);
    b.unmakePerftMove<Us>(m, undo);
    return count;
}

}  // namespace

template <Colour Us> uint64_t perft(PerftContext &ctx, const AttackInfo &checkers, uint32_t depth) {
    Board_BB64 &b = ctx.board;
    ++ctx.nodes;

    // The probe comes before the picker's set-up: a hit then skips the pin computation.
    const uint64_t key = b.perftKeys[b.perftIndex];
    uint64_t sum = 0;
    if (depth > 1 && ctx.hash.probe(key, depth, sum)) return sum;

    MovePicker picker;
    initPicker(picker, checkers.count ? PICK_EVASIONS : PICK_ALL_LEGAL, b, checkers);
    // Leaves are counted from the generated list without being visited.
    if (depth == 1) return countMoves(picker);

    for (Move m = nextMove(picker); m != NO_MOVE; m = nextMove(picker)) sum += countAfter<Us>(ctx, m, depth - 1);
    ctx.hash.store(key, depth, sum);
    return sum;
}

template <Colour Us> uint64_t divideRoot(PerftContext &ctx, const AttackInfo &checkers, uint32_t depth) {
    Board_BB64 &b = ctx.board;
    ++ctx.nodes;

    MovePicker picker;
    initPicker(picker, checkers.count ? PICK_EVASIONS : PICK_ALL_LEGAL, b, checkers);
    uint64_t total = 0;
    for (Move m = nextMove(picker); m != NO_MOVE; m = nextMove(picker)) {
        const uint64_t count = countAfter<Us>(ctx, m, depth - 1);
        total += count;
        char text[8];
        moveToText(m, ctx.notation, text);
        std::printf("%s %" PRIu64 "\n", text, count);
    }
    std::fflush(stdout);
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

bool perftPositionOk(const Board_BB64 &b) {
    if (b.sideToMove > BLACK) return false;
    if (popCount(b.pieces(WHITE, KING)) != 1 || popCount(b.pieces(BLACK, KING)) != 1) return false;
    return !isAttackedBy(b, b.side(), b.kingSquare(opposite(b.side())));
}

uint32_t perftMaxDepth(const Board_BB64 &b) {
    // Each ply of the walk pushes one key, down to the last make (divide makes moves at
    // depth 1 too).
    return b.perftIndex < uint32_t(PERFT_KEYS_SIZE) ? uint32_t(PERFT_KEYS_SIZE) - 1 - b.perftIndex : 0;
}

namespace {

void printReport(uint64_t leaves, uint64_t nodes, uint32_t elapsedCs, double fill, bool divide) {
    const char *prefix = divide ? "" : "# ";
    const uint64_t nps = elapsedCs ? nodes * 100 / elapsedCs : 0;
    std::printf("%sTotal leaves: %" PRIu64 "\n", prefix, leaves);
    std::printf("%sTotal nodes:  %" PRIu64 "\n", prefix, nodes);
    std::printf("%sTime elapsed: %u.%02u s\n", prefix, elapsedCs / 100, elapsedCs % 100);
    std::printf("%sNodes/second: %" PRIu64 "\n", prefix, nps);
    std::printf("# perftHashFull%%:  %g\n", fill);
    std::fflush(stdout);
}

}  // namespace

bool perftCommand(Board_BB64 &b, PerftHash &hash, uint32_t hashMB, int depth, bool divide, SearchLimits &clock,
                  CastlingText castlingText) {
    if (depth < 1) return false;
    if (!perftPositionOk(b)) {
        std::printf("Error (illegal position for perft)\n");
        return false;
    }
    if (uint32_t(depth) > perftMaxDepth(b)) {
        std::printf("Error (depth too large for perft): %d\n", depth);
        return false;
    }
    // The run is timed on the engine's own clock, which it resets.
    clock.clockRunning = false;
    clock.elapsed = 0;
    startClock(clock);
    hash.prepare(hashMB);
    b.rebuildKeys();
    PerftContext ctx{b, hash};
    ctx.notation = MoveNotation(b.castling, castlingText);
    const uint64_t leaves = countFromRoot(ctx, uint32_t(depth), divide);
    stopClock(clock);
    printReport(leaves, ctx.nodes, clock.elapsed, hash.fillPercent(), divide);
    return true;
}

template uint64_t perft<WHITE>(PerftContext &, const AttackInfo &, uint32_t);
template uint64_t perft<BLACK>(PerftContext &, const AttackInfo &, uint32_t);
template uint64_t divideRoot<WHITE>(PerftContext &, const AttackInfo &, uint32_t);
template uint64_t divideRoot<BLACK>(PerftContext &, const AttackInfo &, uint32_t);
