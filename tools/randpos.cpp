// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Random positions: pieces drawn one by one onto random squares, then filtered down
// to positions a game could plausibly reach.
#include "tools/randpos.h"

#include <cstdlib>
#include <initializer_list>

#include "board/movegen.h"
#include "platform/random.h"

namespace {

constexpr Bitboard LIGHT_SQUARES = 0x55AA55AA55AA55AAULL;
constexpr Bitboard DARK_SQUARES = 0xAA55AA55AA55AA55ULL;
// A pawn on its own file, never on the first or last rank.
constexpr Bitboard PAWN_RANKS = 0x00FFFFFFFFFFFF00ULL;

// Squares a piece may be drawn onto: pawn number i keeps to file i; the two bishops of
// a side take opposite colours.
Bitboard allowedSquares(Colour c, int pt, int i) {
    if (pt == PAWN) return fileBB(i) & PAWN_RANKS;
    if (pt == BISHOP) return (c + i) % 2 == 0 ? ~LIGHT_SQUARES : ~DARK_SQUARES;
    return ~Bitboard(0);
}

// Draws squares until one is allowed and empty. The draw is uniform over the allowed
// empty squares, and the loop ends since at least one exists.
void placeOnRandomSquare(Board_BB64 &b, Colour c, int pt, Bitboard allowed) {
    const Bitboard free = allowed & ~b.occupied();
    if (!free) return;
    Square s;
    do s = nextRandom() & 63;
    while (!(free & squareBB(s)));
    b.putPieceQuiet(c, pt, s);
}

void placePieces(Board_BB64 &b) {
    for (Colour c : {WHITE, BLACK})
        for (int pt = PAWN; pt <= KING; ++pt)
            for (int i = 0; i < int(maxPieceCount[pt]); ++i) {
                if (pt != KING && !(nextRandom() & 1)) continue;
                int placed = pt;
                Bitboard allowed = allowedSquares(c, pt, i);
                // Now and then a pawn turns up as an extra queen, as after a promotion.
                if (pt == PAWN && (nextRandom() & 31) == 0) {
                    nextRandom();
                    placed = QUEEN;
                    allowed = ~Bitboard(0);
                }
                placeOnRandomSquare(b, c, placed, allowed);
            }
}

// A right is granted three times in four where king and rook stand at home, so that
// both positions with and without it occur.
void grantCastlingRights(Board_BB64 &b) {
    struct Home {
        Colour colour;
        Square king, rook;
        int right;
    };
    static constexpr Home HOMES[4] = {
        {WHITE, 4, 7, WHITE_OO}, {WHITE, 4, 0, WHITE_OOO}, {BLACK, 60, 63, BLACK_OO}, {BLACK, 60, 56, BLACK_OOO}};
    for (const Home &h : HOMES) {
        if (!(b.pieces(h.colour, KING) & squareBB(h.king))) continue;
        if ((b.pieces(h.colour, ROOK) & squareBB(h.rook)) && (nextRandom() & 3) != 3)
            b.castlingRights |= uint8_t(h.right);
    }
}

// Chess960: a king anywhere on its back rank may hold a right for the outermost rook of
// each wing, granted three times in four as above.
void grantChess960Rights(Board_BB64 &b) {
    for (Colour c : {WHITE, BLACK}) {
        const Bitboard backRank = relativeRankBB(c, RANK_1);
        const Bitboard kings = b.pieces(c, KING) & backRank;
        if (!kings) continue;
        const Bitboard king = squareBB(lsb(kings));
        b.castling.kingFrom[c] = uint8_t(lsb(kings));
        const Bitboard rooks = b.pieces(c, ROOK) & backRank;
        const Bitboard hSide = rooks & ~(king | (king - 1)), aSide = rooks & (king - 1);
        if (hSide && (nextRandom() & 3) != 3) {
            b.castlingRights |= uint8_t(c == WHITE ? WHITE_OO : BLACK_OO);
            b.castling.rookFrom[c * 2] = uint8_t(msb(hSide));
        }
        if (aSide && (nextRandom() & 3) != 3) {
            b.castlingRights |= uint8_t(c == WHITE ? WHITE_OOO : BLACK_OOO);
            b.castling.rookFrom[c * 2 + 1] = uint8_t(lsb(aSide));
        }
    }
    b.castling.build();
}

// Every checker of the side to move, unlike AttackInfo, which keeps one per group.
// Checks that no single move could have given are refused: two diagonal or two
// straight sliders at once, or two leapers.
bool plausibleChecks(const Board_BB64 &b) {
    const Colour us = b.side(), them = opposite(us);
    const Square k = b.kingSquare(us);
    const Bitboard occ = b.occupied();
    const int leapers = popCount((pawnAttacks[us][k] & b.pieces(them, PAWN)) | (knightAttacks[k] & b.pieces(them, KNIGHT)));
    const int diagonal = popCount(bishopAttacks(k, occ) & diagonalMovers(b, them));
    const int straight = popCount(rookAttacks(k, occ) & lineMovers(b, them));
    const int total = leapers + diagonal + straight;
    if (total > 2) return false;
    return total < 2 || (diagonal < 2 && straight < 2 && leapers < 2);
}

bool acceptable(const Board_BB64 &b) {
    const Colour us = b.side(), them = opposite(us);
    if (isAttackedBy(b, us, b.kingSquare(them))) return false;
    if (kingAttacks[b.kingSquare(WHITE)] & b.pieces(BLACK, KING)) return false;
    return plausibleChecks(b);
}

}  // namespace

void generateRandomPosition(Board_BB64 &b, bool chess960) {
    do {
        b.clear();
        placePieces(b);
        b.sideToMove = uint8_t(nextRandom() & 1);
        if (chess960) grantChess960Rights(b);
        else grantCastlingRights(b);
        // The pieces went on without keys; side and rights are only known now.
        b.rebuildKeys();
    } while (!acceptable(b));
}

void generateRandomFens(Board_BB64 &b, int count, const std::function<void(const char *fen)> &sink,
                        bool chess960) {
    char fen[128];
    for (int i = 0; i < count; ++i) {
        generateRandomPosition(b, chess960);
        b.toFEN(fen);
        sink(fen);
    }
}
