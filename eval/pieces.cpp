// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Piece terms: mobility, rooks and queens on open files, and king tropism.
#include <mutex>

#include "board/movegen.h"
#include "eval/terms.h"

namespace eval {

namespace {

// Closeness to the enemy king: [piece type - 1][0x88 distance].
int tropism[6][128];
// The same by [piece type - 1][king square][piece square], derived once: the evaluation
// then makes one load per piece, from one 64-byte row per piece type and king square.
uint8_t tropismTable[6][64][64];
// A pawn's closeness is 0, 1 or 2: by king square, the squares where it is at least 1
// and where it is 2, so that the pawns' sum is two population counts.
Bitboard pawnCloseness[2][64];

constexpr TermPair TROPISM_WEIGHT[6] = {{10, -4}, {13, -5}, {9, -3}, {15, -11}, {5, 41}, {18, 14}};

// By the number of open files (rook on an open file), or of open plus half-open files.
constexpr TermPair ROOK_OPEN[9] = {{0, 0}, {68, 42}, {88, 20}, {86, 9}, {82, -2}, {35, -6}, {41, -21}, {3, -45}, {0, 0}};
constexpr TermPair ROOK_HALF_OPEN[9] = {{0, 0},  {25, -42}, {36, 4}, {44, 2}, {55, 8},
                                        {53, 10}, {24, 19},  {0, 20}, {0, 0}};
constexpr TermPair ROOK_KING_FILE(83, 36);
constexpr TermPair ROOK_KING_ADJACENT(54, -21);
constexpr TermPair QUEEN_KING_FILE(16, 111);
constexpr TermPair QUEEN_KING_ADJACENT(7, 39);

// Mobility: a pair per empty-board attack square not held by an own piece, and the
// penalty for a piece with none.
struct MobilityWeights {
    TermPair perSquare;
    TermPair trapped;
};
constexpr MobilityWeights KNIGHT_MOBILITY{{4, 8}, {-13, -55}};
constexpr MobilityWeights BISHOP_MOBILITY{{10, 6}, {-10, -20}};
constexpr MobilityWeights ROOK_MOBILITY{{-2, 13}, {-15, -30}};
constexpr MobilityWeights QUEEN_MOBILITY{{4, 13}, {-30, -60}};

// The same offset in either direction shares an entry; up and down the board differ.
// (16 * rank + file is s + (s & 56).)
int delta88(Square a, Square b) {
    const int d = (a + (a & 56)) - (b + (b & 56));
    return d < 0 ? -d : d;
}

// The files of an 8-bit file mask, as squares.
constexpr Bitboard filesOf(uint8_t mask) { return Bitboard(mask) * 0x0101010101010101ULL; }

// Heavy pieces on open files aimed at the enemy king's file or one beside it, counted
// by file rather than piece by piece.
struct KingFiles {
    Bitboard open;      // the open files
    Bitboard kingFile;  // the enemy king's file, if open
    Bitboard adjacent;  // the open files beside it
};

KingFiles kingFiles(const PawnInfo &pi, Square theirKing) {
    const Bitboard open = filesOf(pi.openFiles), file = fileBB(fileOf(theirKing));
    return {open, open & file, open & (shift<EAST>(file) | shift<WEST>(file))};
}

TermPair kingFileBonus(Bitboard pieces, const KingFiles &k, TermPair onKingFile, TermPair besideKingFile) {
    return onKingFile * popCount(pieces & k.kingFile) + besideKingFile * popCount(pieces & k.adjacent);
}

int tropismOf(int pt, Square s, Square theirKing) { return tropismTable[pt - 1][theirKing][s]; }

// The terms below are sums of per-piece products: they are summed as plain integers
// per piece type and weighted once, which gives the same pair as adding one per piece.
struct TypeSums {
    int squares = 0;    // mobility: empty-board reach not held by own pieces
    int trapped = 0;    // pieces without any such square
    int closeness = 0;  // tropism to the enemy king
};

template <Colour Us, int Pt> TypeSums typeSums(const Board_BB64 &b, Square theirKing) {
    TypeSums t;
    for (Bitboard pcs = b.pieces(Us, Pt); pcs;) {
        const Square s = popLsb(pcs);
        const int n = popCount(emptyBoardReach<Us>(Pt, s) & ~b.pieces(Us));
        t.squares += n;
        t.trapped += n == 0;
        t.closeness += tropismOf(Pt, s, theirKing);
    }
    return t;
}

constexpr TermPair mobility(const TypeSums &t, MobilityWeights w) {
    return w.perSquare * t.squares + w.trapped * t.trapped;
}

// Writes the entries that the squares of `squares` give, seen from a king on `king`.
// Each distance reached replaces what an earlier reference wrote.
void applyReference(Square king, Bitboard squares) {
    const Bitboard zone = kingAttacks[king];
    for (Colour c : {WHITE, BLACK})
        for (Bitboard b = squares; b;) {
            const Square s = popLsb(b);
            if (const Bitboard meet = zone & pawnAttacks[c][s]) tropism[PAWN - 1][delta88(king, s)] = popCount(meet);
        }
    for (Bitboard b = squares; b;) {
        const Square s = popLsb(b);
        const int d = delta88(king, s);
        const Bitboard near = zone & kingAttacks[s];
        if (const Bitboard meet = zone & knightAttacks[s]) tropism[KNIGHT - 1][d] = popCount(meet);
        if (zone & bishopRays[s]) tropism[BISHOP - 1][d] = 1 + popCount(near & bishopRays[s]);
        if (zone & rookRays[s]) tropism[ROOK - 1][d] = 1 + popCount(near & rookRays[s]);
        if (zone & (bishopRays[s] | rookRays[s])) tropism[QUEEN - 1][d] = 1 + popCount(near);
        if (near) tropism[KING - 1][d] = popCount(near);
    }
}

void buildTropism() {
    constexpr Bitboard RANKS_1_TO_6 = 0x0000FFFFFFFFFFFFULL;
    const Bitboard filesAtoF = ~(fileBB(FILE_G) | fileBB(FILE_H));
    const Bitboard filesCtoH = ~(fileBB(FILE_A) | fileBB(FILE_B));
    constexpr Square A8 = 56, B7 = 49, G7 = 54, H8 = 63;
    applyReference(G7, (RANKS_1_TO_6 & ~fileBB(FILE_H)) | (rankBB(RANK_7) & filesAtoF));
    applyReference(H8, rankBB(RANK_1) | (fileBB(FILE_A) & ~rankBB(RANK_1)));
    applyReference(B7, RANKS_1_TO_6 & filesCtoH);
    applyReference(A8, (rankBB(RANK_1) & ~fileBB(FILE_A)) | (fileBB(FILE_H) & ~rankBB(RANK_1) & ~rankBB(RANK_8)));
    for (int pt = 0; pt < 6; ++pt)
        for (Square k = 0; k < 64; ++k)
            for (Square s = 0; s < 64; ++s) tropismTable[pt][k][s] = uint8_t(tropism[pt][delta88(s, k)]);
    for (Square k = 0; k < 64; ++k)
        for (Square s = 0; s < 64; ++s) {
            const int c = tropismTable[PAWN - 1][k][s];
            if (c >= 1) pawnCloseness[0][k] |= squareBB(s);
            if (c >= 2) pawnCloseness[1][k] |= squareBB(s);
        }
}

std::once_flag tropismBuilt;

// Pawns count only while they have not passed the enemy king's rank.
template <Colour Us> TermPair pawnAndKingTropism(const Board_BB64 &b, Square theirKing) {
    // The ranks from the own side up to the enemy king's rank.
    const int rankCount = relativeRank(Us, rankOf(theirKing)) + 1;
    const Bitboard counted = Us == WHITE ? ~Bitboard(0) >> (64 - 8 * rankCount) : ~Bitboard(0) << (64 - 8 * rankCount);
    const Bitboard pawns = b.pieces(Us, PAWN) & counted;
    const int closeness = popCount(pawns & pawnCloseness[0][theirKing]) + popCount(pawns & pawnCloseness[1][theirKing]);
    return TROPISM_WEIGHT[PAWN - 1] * closeness + TROPISM_WEIGHT[KING - 1] * tropismOf(KING, b.kingSquare(Us), theirKing);
}

}  // namespace

void initTropismTables() { std::call_once(tropismBuilt, buildTropism); }

template <Colour Us> void pieceTerms(const Board_BB64 &b, const PawnInfo &pi, PieceTerms &out) {
    const Square theirKing = b.kingSquare(opposite(Us));
    const TypeSums n = typeSums<Us, KNIGHT>(b, theirKing);
    out.knights += mobility(n, KNIGHT_MOBILITY);
    out.tropism += TROPISM_WEIGHT[KNIGHT - 1] * n.closeness;
    const TypeSums bs = typeSums<Us, BISHOP>(b, theirKing);
    out.bishops += mobility(bs, BISHOP_MOBILITY);
    out.tropism += TROPISM_WEIGHT[BISHOP - 1] * bs.closeness;

    // Rooks on open files, with the king-file bonus on top, and on half-open files
    // (never also open); queens get the king-file bonus only.
    const KingFiles k = kingFiles(pi, theirKing);
    const Bitboard rooks = b.pieces(Us, ROOK), queens = b.pieces(Us, QUEEN);
    const TypeSums r = typeSums<Us, ROOK>(b, theirKing);
    out.rooks += ROOK_OPEN[pi.openCount] * popCount(rooks & k.open);
    out.rooks += kingFileBonus(rooks, k, ROOK_KING_FILE, ROOK_KING_ADJACENT);
    out.rooks += ROOK_HALF_OPEN[pi.openCount + pi.halfOpenCount] * popCount(rooks & filesOf(pi.halfOpenFiles));
    out.rooks += mobility(r, ROOK_MOBILITY);
    out.tropism += TROPISM_WEIGHT[ROOK - 1] * r.closeness;
    const TypeSums q = typeSums<Us, QUEEN>(b, theirKing);
    out.queens += kingFileBonus(queens, k, QUEEN_KING_FILE, QUEEN_KING_ADJACENT);
    out.queens += mobility(q, QUEEN_MOBILITY);
    out.tropism += TROPISM_WEIGHT[QUEEN - 1] * q.closeness;
    out.tropism += pawnAndKingTropism<Us>(b, theirKing);
}

template void pieceTerms<WHITE>(const Board_BB64 &, const PawnInfo &, PieceTerms &);
template void pieceTerms<BLACK>(const Board_BB64 &, const PawnInfo &, PieceTerms &);

}  // namespace eval
