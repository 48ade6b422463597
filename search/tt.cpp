// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The transposition table: sizing, the bucket probe and the replacement rule.
#include "search/tt.h"

#include <algorithm>

namespace {

uint64_t pack(Move move, int score, int bound, int depth, int age) {
    return uint64_t(move) | uint64_t(uint16_t(int16_t(score))) << 16 | uint64_t(uint16_t(bound)) << 32 |
           uint64_t(uint8_t(depth)) << 48 | uint64_t(uint8_t(age)) << 56;
}

TTData unpack(uint64_t keyXorData, uint64_t data) {
    TTData d;
    d.key = keyXorData ^ data;
    d.move = Move(data);
    d.score = int16_t(uint16_t(data >> 16));
    d.bound = uint16_t(data >> 32);
    d.depth = uint8_t(data >> 48);
    d.age = uint8_t(data >> 56);
    return d;
}

TTData read(const TTEntry &e) {
    const uint64_t data = e.data.load();
    return unpack(e.keyXorData.load(), data);
}

// Mate scores are kept relative to the node that stored them, so they stay right when
// the same position is reached at another distance from the root.
int scoreToTable(int score, int ply) {
    if (score > MATE_BOUND) return score + ply;
    if (score < -MATE_BOUND) return score - ply;
    return score;
}

int scoreFromTable(int score, int ply) {
    if (score > MATE_BOUND) return score - ply;
    if (score < -MATE_BOUND) return score + ply;
    return score;
}

}  // namespace

bool TranspositionTable::resize(uint32_t sizeMB) {
    sizeMB = std::min(sizeMB, MAX_SIZE_MB);
    if (entries_ && sizeMB == this->sizeMB()) return false;  // a rounded-down request still reallocates
    allocate(sizeMB);
    bucketMask_ = entryCount_ ? uint32_t(entryCount_ / BUCKET_ENTRIES - 1) : 0;
    return true;
}

void TranspositionTable::clear() {
    clearEntries();
}

bool TranspositionTable::probe(const Board_BB64 &b, int alpha, int beta, int ply, int depth, int &score,
                               Move &move, bool &found) const {
    if (!entries_) return false;
    const uint64_t key = b.key();
    const TTEntry *bucket = bucketOf(key);
    for (uint32_t i = 0; i < BUCKET_ENTRIES; ++i) {
        const TTData d = read(bucket[i]);
        if (d.key != key) continue;
        found = true;
        if (d.move != NO_MOVE) move = d.move;
        if (d.depth < depth) return false;
        const int s = scoreFromTable(d.score, ply);
        const bool usable = d.bound == TT_EXACT || (d.bound == TT_LOWER && s >= beta) ||
                            (d.bound == TT_UPPER && s <= alpha);
        if (usable) score = s;
        return usable;
    }
    return false;
}

void TranspositionTable::store(const Board_BB64 &b, int lowBound, int highBound, int alpha, int beta, int ply,
                               int depth, int score, Move move) {
    if (!entries_) return;
    int bound = TT_EXACT;
    if (beta <= score && score < highBound) bound = TT_LOWER;
    else if (lowBound < score && score <= alpha) bound = TT_UPPER;
    const int age = int((b.historyIndex - uint32_t(ply)) & 255);

    const uint64_t key = b.key();
    TTEntry *bucket = bucketOf(key);
    TTEntry *slot = nullptr;
    for (uint32_t i = 0; i < BUCKET_ENTRIES && !slot; ++i)
        if (read(bucket[i]).key == key) slot = &bucket[i];
    for (uint32_t i = 0; i < BUCKET_ENTRIES && !slot; ++i)
        if (read(bucket[i]).key == 0) slot = &bucket[i];
    if (!slot) {
        int leastWorth = 0;
        for (uint32_t i = 0; i < BUCKET_ENTRIES; ++i) {
            const TTData d = read(bucket[i]);
            const int worth = d.depth * 256 + 256 - d.age;
            if (!slot || worth < leastWorth) {
                slot = &bucket[i];
                leastWorth = worth;
            }
        }
    }
    const uint64_t data = pack(move, scoreToTable(score, ply), bound, depth, age);
    slot->data.store(data);
    slot->keyXorData.store(key ^ data);
}

double TranspositionTable::fillPercent() const {
    return sampledFill([](const TTEntry &e) { return read(e).key != 0; });
}

TTData TranspositionTable::entryAt(uint32_t i) const {
    return i < entryCount_ ? read(entries_[i]) : TTData{};
}
