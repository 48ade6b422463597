// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The lookup tables behind the index functions, built once. The numbering orders below are
// those the files were written with, so each loop's direction matters.
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <mutex>

#include "tablebase/index.h"

namespace tbindex {

Tables tables;

namespace {

std::atomic<bool> built{false};
std::once_flag buildOnce;

bool kingsTouch(Square a, Square b) {
    return std::abs(fileOf(a) - fileOf(b)) <= 1 && std::abs(rankOf(a) - rankOf(b)) <= 1;
}

// The transformations that bring a king pair into canonical form: the first king onto the
// a1-d1-d4 triangle, and, with the first king on the long diagonal, the second king on or
// below it.
unsigned canonicalFlags(Square a, Square b) {
    unsigned flags = 0;
    if (fileOf(a) >= FILE_E) flags |= MIRROR_FILES;
    a = transformSquare(a, flags);
    b = transformSquare(b, flags);
    if (rankOf(a) >= RANK_5) flags |= MIRROR_RANKS;
    a = transformSquare(a, flags & MIRROR_RANKS);
    b = transformSquare(b, flags & MIRROR_RANKS);
    if (fileOf(a) < rankOf(a) || (fileOf(a) == rankOf(a) && fileOf(b) < rankOf(b))) flags |= MIRROR_DIAGONAL;
    return flags;
}

bool buildKingPairs() {
    for (Square a = 0; a < 64; ++a)
        for (Square b = 0; b < 64; ++b) {
            tables.symmetry[a][b] = uint8_t(canonicalFlags(a, b));
            tables.kingPair[a][b] = -1;
        }
    int next = 0;
    for (Square a = 0; a < 64; ++a)
        for (Square b = 0; b < 64; ++b) {
            if (a == b || kingsTouch(a, b)) continue;
            const unsigned flags = tables.symmetry[a][b];
            const Square ca = transformSquare(a, flags), cb = transformSquare(b, flags);
            if (tables.kingPair[ca][cb] >= 0) continue;
            if (next == KING_PAIRS) return false;
            tables.kingPairSquares[next][0] = uint8_t(ca);
            tables.kingPairSquares[next][1] = uint8_t(cb);
            tables.kingPair[ca][cb] = int16_t(next++);
        }
    return next == KING_PAIRS;
}

bool buildLikePieces() {
    int pairs = 0, triples = 0;
    for (Square x = 0; x < 64; ++x)
        for (Square y = x + 1; y < 64; ++y, ++pairs) {
            if (pairIndex(x, y) != uint32_t(pairs)) return false;
            tables.pairLow[pairs] = uint8_t(x);
        }
    for (Square z = 2; z < 64; ++z)
        for (Square y = 1; y < z; ++y)
            for (Square x = 0; x < y; ++x, ++triples) {
                if (tripleIndex(x, y, z) != uint32_t(triples)) return false;
                tables.tripleSquares[triples][0] = uint8_t(x);
                tables.tripleSquares[triples][1] = uint8_t(y);
                tables.tripleSquares[triples][2] = uint8_t(z);
            }
    return pairs == PAIRS && triples == TRIPLES;
}

bool buildTwoPawns() {
    for (auto &row : tables.twoPawnSlot)
        for (auto &slot : row) slot = -1;
    int next = 0;
    for (Square a = 55; a >= 9; --a) {
        if (fileOf(a) < FILE_E) continue;
        for (Square b = a - 1; b >= 8; --b) {
            Square anchor = isTwoPawnAnchor(a, b) ? a : b, other = anchor == a ? b : a;
            if (fileOf(anchor) >= FILE_E) anchor ^= 7, other ^= 7;
            int16_t &slot = tables.twoPawnSlot[whitePawnSlot(anchor)][(other ^ 56) - 8];
            if (slot >= 0) continue;
            if (next == TWO_PAWN_SLOTS) return false;
            tables.twoPawnSquares[next][0] = uint8_t(anchor);
            tables.twoPawnSquares[next][1] = uint8_t(other);
            slot = int16_t(next++);
        }
    }
    return next == TWO_PAWN_SLOTS;
}

// Pairs of White pawns beside a Black pawn, numbered from h7-g7 down to b2-a2.
bool buildPawnPairs() {
    int next = 0;
    for (Square a = 55; a >= 9; --a)
        for (Square b = a - 1; b >= 8; --b, ++next) {
            const int ra = a - 8, rb = b - 8;
            if (PAWN_PAIRS - ra * (ra + 1) / 2 + (ra - 1 - rb) != next) return false;
            tables.pawnPairSquares[next][0] = uint8_t(a);
            tables.pawnPairSquares[next][1] = uint8_t(b);
        }
    return next == PAWN_PAIRS;
}

// Three White pawns: list positions run over files h-e, ranks 7 down to 2, then files d-a.
// Only triples whose two later pawns stand on files a-d are numbered.
Square threePawnListSquare(int position) {
    const int half = position / 24, rest = position % 24;
    const int rank = RANK_7 - rest / 4, file = half == 0 ? FILE_H - rest % 4 : FILE_D - rest % 4;
    return makeSquare(file, rank);
}

bool buildThreePawns() {
    int next = 0;
    for (int i = 0; i < 48; ++i)
        for (int j = 0; j < 48; ++j)
            for (int k = 0; k < 48; ++k) tables.threePawnSlot[i][j][k] = -1;
    for (int i = 0; i < 48; ++i)
        for (int j = std::max(i + 1, 24); j < 48; ++j)
            for (int k = j + 1; k < 48; ++k) {
                if (next == THREE_PAWN_SLOTS) return false;
                tables.threePawnSlot[i][j][k] = int16_t(next);
                tables.threePawnSquares[next][0] = uint8_t(threePawnListSquare(i));
                tables.threePawnSquares[next][1] = uint8_t(threePawnListSquare(j));
                tables.threePawnSquares[next][2] = uint8_t(threePawnListSquare(k));
                ++next;
            }
    return next == THREE_PAWN_SLOTS;
}

}  // namespace

bool isTwoPawnAnchor(Square p, Square q) {
    if (rankOf(p) != rankOf(q)) return rankOf(p) > rankOf(q);
    const int dp = std::max(fileOf(p), 7 - fileOf(p)), dq = std::max(fileOf(q), 7 - fileOf(q));
    return dp != dq ? dp > dq : p < q;
}

bool tablesBuilt() { return built.load(std::memory_order_acquire); }

}  // namespace tbindex

bool tbBuildIndexTables() {
    using namespace tbindex;
    std::call_once(buildOnce, [] {
        const bool ok = buildKingPairs() && buildLikePieces() && buildTwoPawns() && buildPawnPairs() &&
                        buildThreePawns();
        built.store(ok, std::memory_order_release);
    });
    return tablesBuilt();
}
