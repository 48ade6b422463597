// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Pawn structure (isolated, doubled, backward pawns and file masks, cached in the pawn
// hash) and passed pawns (computed on every call, since they depend on the pieces).
#include <algorithm>
#include <mutex>

#include "eval/terms.h"

namespace eval {

namespace {

// [colour][square]. Front span stops before the last rank; the forward file and the
// passed mask run up to it.
Bitboard frontSpan[2][64];
Bitboard forwardFile[2][64];
Bitboard passedMask[2][64];
Bitboard supportMask[2][64];

constexpr TermPair ISOLATED(-31, -13);
constexpr TermPair DOUBLED(-6, -30);
constexpr TermPair BACKWARD_ATTACKED(-24, -13);
constexpr TermPair BACKWARD_BLOCKED(12, -5);

// Indexed by the moves a pawn needs to promote, counting occupied squares on its way.
constexpr TermPair PASSED[12] = {{0, 0},  {97, 188}, {76, 133}, {20, 84},   {16, 57}, {8, 36},
                                 {32, 20}, {15, 32},  {26, 40}, {-15, -60}, {1, 2},   {1, 1}};
constexpr TermPair UNSTOPPABLE[12] = {{0, 0},     {193, 420}, {143, 339}, {95, 90}, {-33, 72}, {-38, 47},
                                      {-9, 55}, {0, 0},     {0, 0},     {0, 0},   {0, 0},    {0, 0}};

constexpr Bitboard adjacentFiles(int f) {
    return (f > FILE_A ? fileBB(f - 1) : 0) | (f < FILE_H ? fileBB(f + 1) : 0);
}

void buildMasks() {
    for (Colour c : {WHITE, BLACK})
        for (Square s = 0; s < 64; ++s) {
            const int f = fileOf(s), rel = relativeRank(c, rankOf(s));
            for (int r = rel + 1; r <= RANK_8; ++r) {
                const Bitboard rank = relativeRankBB(c, r);
                forwardFile[c][s] |= rank & fileBB(f);
                passedMask[c][s] |= rank & (fileBB(f) | adjacentFiles(f));
                if (r < RANK_8) frontSpan[c][s] |= rank & fileBB(f);
            }
            for (int r = RANK_2; r <= rel; ++r) supportMask[c][s] |= relativeRankBB(c, r) & adjacentFiles(f);
        }
}

std::once_flag masksBuilt;

// Pawns on every file, one bit per file.
uint8_t fileSet(Bitboard pawns) {
    pawns |= pawns >> 32;
    pawns |= pawns >> 16;
    pawns |= pawns >> 8;
    return uint8_t(pawns);
}

// Isolated and doubled files; returns the isolated-files mask.
uint8_t isolatedAndDoubled(Bitboard own, TermPair &sum) {
    const uint8_t files = fileSet(own);
    uint8_t isolated = 0;
    for (int f = FILE_A; f <= FILE_H; ++f) {
        if (!(files & (1 << f))) continue;
        const uint8_t neighbours = uint8_t(((f > FILE_A ? 1 << (f - 1) : 0) | (f < FILE_H ? 1 << (f + 1) : 0)));
        if (!(files & neighbours)) {
            isolated |= uint8_t(1 << f);
            sum += ISOLATED;
        }
        if (moreThanOne(own & fileBB(f))) sum += DOUBLED;
    }
    return isolated;
}

// A pawn that cannot be guarded by a pawn beside or behind it, whose way up to the
// next friendly pawn on a neighbouring file is attacked or blocked by enemy pawns.
template <Colour Us> TermPair backwardPawns(Bitboard own, Bitboard theirs, uint8_t isolated) {
    constexpr int TheirUp = pawnPush(opposite(Us));
    const Bitboard attackedByThem = shift<TheirUp + EAST>(theirs) | shift<TheirUp + WEST>(theirs);
    const Bitboard upToRank7 = ~relativeRankBB(Us, RANK_8);
    TermPair sum;
    for (Bitboard b = own; b;) {
        const Square s = popLsb(b);
        const int f = fileOf(s);
        if ((isolated & (1 << f)) || relativeRank(Us, rankOf(s)) > RANK_5) continue;
        if (own & supportMask[Us][s]) continue;
        const Bitboard ahead = passedMask[Us][s] & ~fileBB(f) & own & upToRank7;
        Bitboard path = frontSpan[Us][s];
        if (ahead) {
            const Square nearest = Us == WHITE ? lsb(ahead) : msb(ahead);
            path &= ~frontSpan[Us][makeSquare(f, rankOf(nearest))];
        }
        const bool attacked = path & attackedByThem;
        const bool blocked = path & theirs;
        if (attacked) sum += BACKWARD_ATTACKED;
        if (blocked) sum += BACKWARD_BLOCKED;
    }
    return sum;
}

}  // namespace

void initPawnMasks() { std::call_once(masksBuilt, buildMasks); }

void computePawnStructure(const Board_BB64 &b, PawnInfo &pi) {
    const Bitboard white = b.pieces(WHITE, PAWN), black = b.pieces(BLACK, PAWN);
    const uint8_t wFiles = fileSet(white), bFiles = fileSet(black);
    pi.openFiles = uint8_t(~(wFiles | bFiles));
    pi.halfOpenFiles = uint8_t(wFiles ^ bFiles);

    TermPair w, k;
    const uint8_t wIsolated = isolatedAndDoubled(white, w);
    const uint8_t bIsolated = isolatedAndDoubled(black, k);
    w += backwardPawns<WHITE>(white, black, wIsolated);
    k += backwardPawns<BLACK>(black, white, bIsolated);
    pi.weakOf[WHITE] = w;
    pi.weakOf[BLACK] = k;
    pi.weak = w - k;
}

void probePawnStructure(const Board_BB64 &b, PawnHashTable &table, uint32_t hitLane, PawnInfo &pi) {
    const uint64_t key = b.pawnKey();
    PawnEntryData data;
    pi.hit = table.probe(key, data, hitLane);
    if (pi.hit) {
        pi.weak = data.weak;
        pi.openFiles = data.openFiles;
        pi.halfOpenFiles = data.halfOpenFiles;
    } else {
        computePawnStructure(b, pi);
        data.weak = pi.weak;
        data.openFiles = pi.openFiles;
        data.halfOpenFiles = pi.halfOpenFiles;
        table.store(key, data);
    }
    pi.openCount = popCount(pi.openFiles);
    pi.halfOpenCount = popCount(pi.halfOpenFiles);
}

// Squares where a pawn of colour Us is not passed: those behind an enemy pawn, seen
// from Us, on its file or a file beside it. One fill replaces a mask test per pawn.
template <Colour Us> Bitboard stoppedSquares(Bitboard theirPawns) {
    Bitboard b = theirPawns | shift<WEST>(theirPawns) | shift<EAST>(theirPawns);
    if constexpr (Us == WHITE) {
        b >>= 8;
        b |= b >> 8;
        b |= b >> 16;
        b |= b >> 32;
    } else {
        b <<= 8;
        b |= b << 8;
        b |= b << 16;
        b |= b << 32;
    }
    return b;
}

template <Colour Us> TermPair passedPawns(const Board_BB64 &b, const MaterialInfo &mi) {
    constexpr Colour Them = opposite(Us);
    const Bitboard theirPawns = b.pieces(Them, PAWN), theirs = b.pieces(Them), occupied = b.occupied();
    // The enemy king can only be outrun when it has no piece to help it.
    const bool onlyKingAndPawns = mi.count(Them, MaterialInfo::MINORS) + mi.count(Them, MaterialInfo::MAJORS) == 0;
    const Square theirKing = b.kingSquare(Them);
    TermPair sum;
    for (Bitboard own = b.pieces(Us, PAWN) & ~stoppedSquares<Us>(theirPawns); own;) {
        const Square s = popLsb(own);
        const int rel = relativeRank(Us, rankOf(s));
        const Bitboard way = forwardFile[Us][s];
        // Pawns on the first rank only come from hand-made FENs; keep them in the table.
        const int steps = std::min(11, (rel == RANK_2 ? 5 : 7 - rel) + popCount(way & occupied));
        const bool blocked = way & theirs;
        const TermPair p = PASSED[steps];
        sum += blocked ? TermPair(p.mg() / 4, p.eg() / 4) : p;
        if (blocked || !onlyKingAndPawns) continue;
        const Square promotion = makeSquare(fileOf(s), relativeRank(Us, RANK_8));
        const int d = kingDistance(theirKing, promotion) - (b.side() == Them ? 1 : 0);
        if (d > steps) sum += UNSTOPPABLE[steps];
    }
    return sum;
}

template TermPair passedPawns<WHITE>(const Board_BB64 &, const MaterialInfo &);
template TermPair passedPawns<BLACK>(const Board_BB64 &, const MaterialInfo &);

}  // namespace eval
