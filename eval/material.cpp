// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Material balance, piece counts, game phase and the can-win flags.
#include <algorithm>

#include "eval/evaluate.h"

namespace {

// Middle-game and end-game values of pawn .. queen.
constexpr int VALUE_MG[5] = {127, 424, 402, 621, 1220};
constexpr int VALUE_EG[5] = {100, 376, 403, 594, 1223};
constexpr int PHASE_WEIGHT[5] = {0, 1, 1, 2, 4};
constexpr TermPair BISHOP_PAIR(42, 69);

// Nibble word of one colour from its counts of pawn .. queen. Each field is capped at
// 15 so that a hand-made FEN with sixteen queens cannot spill into the next field.
uint32_t countWord(const int (&n)[5], int men) {
    const int fields[8] = {n[0], n[1], n[2], n[3], n[4], n[1] + n[2], n[3] + n[4], men};
    uint32_t word = 0;
    for (int i = 0; i < 8; ++i) word |= uint32_t(std::clamp(fields[i], 0, 15)) << (4 * i);
    return word;
}

bool canWin(const MaterialInfo &mi, Colour c) {
    if (mi.count(c, MaterialInfo::PAWNS) > 0 || mi.count(c, MaterialInfo::MAJORS) > 0) return true;
    const int minors = mi.count(c, MaterialInfo::MINORS);
    return minors >= 3 || (minors == 2 && mi.count(c, MaterialInfo::BISHOPS) > 0);
}

MaterialInfo materialFromCounts(const Board_BB64 &b, const int (&n)[2][5]) {
    MaterialInfo mi;
    mi.counts[WHITE] = countWord(n[WHITE], popCount(b.pieces(WHITE)) - 1);
    mi.counts[BLACK] = countWord(n[BLACK], popCount(b.pieces(BLACK)) - 1);

    int phase = 0, mg = 0, eg = 0;
    for (int i = 0; i < 5; ++i) {
        mg += (n[WHITE][i] - n[BLACK][i]) * VALUE_MG[i];
        eg += (n[WHITE][i] - n[BLACK][i]) * VALUE_EG[i];
        phase += (n[WHITE][i] + n[BLACK][i]) * PHASE_WEIGHT[i];
    }
    mi.phase = uint32_t(std::min(phase, 24));

    if (n[WHITE][BISHOP - 1] > 1) mg += BISHOP_PAIR.mg(), eg += BISHOP_PAIR.eg();
    if (n[BLACK][BISHOP - 1] > 1) mg -= BISHOP_PAIR.mg(), eg -= BISHOP_PAIR.eg();

    // Knights gain and rooks lose with every own pawn above five.
    const int wP = n[WHITE][PAWN - 1], bP = n[BLACK][PAWN - 1];
    const int knightAdj = n[WHITE][KNIGHT - 1] * (wP - 5) - n[BLACK][KNIGHT - 1] * (bP - 5);
    const int rookAdj = n[WHITE][ROOK - 1] * (wP - 5) - n[BLACK][ROOK - 1] * (bP - 5);
    mg += 7 * knightAdj - 15 * rookAdj;
    eg += 6 * knightAdj - 12 * rookAdj;

    mi.materialMg = int16_t(mg);
    mi.materialEg = int16_t(eg);
    mi.canWin[WHITE] = canWin(mi, WHITE);
    mi.canWin[BLACK] = canWin(mi, BLACK);
    return mi;
}

// The counts of pawn .. queen of each colour, and a key that holds every count in six
// bits: with both kings on the board no count reaches 64.
uint64_t countPieces(const Board_BB64 &b, int (&n)[2][5]) {
    uint64_t key = 0;
    for (Colour c : {WHITE, BLACK})
        for (int pt = PAWN; pt <= QUEEN; ++pt) {
            n[c][pt - 1] = popCount(b.pieces(c, pt));
            key = key << 6 | uint64_t(n[c][pt - 1]);
        }
    return key;
}

}  // namespace

MaterialInfo computeMaterial(const Board_BB64 &b) {
    int n[2][5];
    countPieces(b, n);
    return materialFromCounts(b, n);
}

MaterialInfo MaterialCache::probe(const Board_BB64 &b) {
    int n[2][5];
    const uint64_t key = countPieces(b, n);
    // Kings are not in the key (the count of men is): only positions with one king a
    // side, all that the evaluation scores, go through the cache.
    const bool cacheable = popCount(b.pieces(WHITE, KING)) == 1 && popCount(b.pieces(BLACK, KING)) == 1;
    Entry &e = entries_[(key * 0x9E3779B97F4A7C15ULL) >> 54];
    if (cacheable && e.key == key) return e.info;
    const MaterialInfo mi = materialFromCounts(b, n);
    if (cacheable) e.key = key, e.info = mi;
    return mi;
}
