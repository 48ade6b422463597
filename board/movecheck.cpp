// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Tests on single moves that come from outside the generator (hash moves, killers),
// the checks a move would give, the draw test and whether a board can be played on.
#include <algorithm>

#include "board/movegen.h"

namespace {

template <Colour Us> bool isValidCastling(const Board_BB64 &b, Move m) {
    // Each extra value belongs to one side and has one castling move in a game.
    const int extra = moveExtra(m);
    return (extra >> 1) == Us && m == b.castling.move(extra) && castlingAvailable(b, extra);
}

template <Colour Us> bool isValidPawnMove(const Board_BB64 &b, Move m) {
    constexpr Colour Them = opposite(Us);
    constexpr int Up = pawnPush(Us);
    const Square from = moveFrom(m), to = moveTo(m);
    const Bitboard toBB = squareBB(to);
    const bool onSeventh = relativeRank(Us, rankOf(from)) == RANK_7;
    const bool lastRank = relativeRank(Us, rankOf(to)) == RANK_8;
    switch (moveKind(m)) {
    case PROMOTION:
        if (!onSeventh || !lastRank) return false;
        return to == from + Up ? !b.pieceOn[to] : bool(pawnAttacks[Us][from] & toBB & b.pieces(Them));
    case EN_PASSANT:
        return to == b.epSquare && (pawnAttacks[Us][from] & toBB) && !b.pieceOn[to] &&
               (b.pieces(Them, PAWN) & squareBB(to - Up));
    case CASTLING: return false;
    default:
        if (moveExtra(m) == 1)
            return relativeRank(Us, rankOf(from)) == RANK_2 && to == from + 2 * Up && !b.pieceOn[from + Up] &&
                   !b.pieceOn[to];
        if (moveExtra(m) != 0 || onSeventh || lastRank) return false;
        if (b.pieceOn[to]) return pawnAttacks[Us][from] & toBB;
        return to == from + Up;
    }
}

}  // namespace

bool castlingAvailable(const Board_BB64 &b, int extra) {
    if (!castlingUnobstructed(b, extra)) return false;
    // Attacks on the squares passed are seen with the rook still at home: a slider it
    // screens would also reach the destination, which the legality test sees.
    for (Bitboard pass = b.castling.kingPass[extra]; pass;)
        if (isAttackedBy(b, opposite(Colour(extra >> 1)), popLsb(pass))) return false;
    return true;
}

template <Colour Us> bool isValidMove(const Board_BB64 &b, Move m) {
    const Square from = moveFrom(m), to = moveTo(m);
    // A Chess960 castling king may land on its own rook, or stay where it is.
    if (moveKind(m) == CASTLING) return isValidCastling<Us>(b, m);
    if (b.colorOn[from] != Us || b.colorOn[to] == Us) return false;
    const int pt = b.pieceOn[from];
    if (pt == PAWN) return isValidPawnMove<Us>(b, m);
    if (moveKind(m) != NORMAL || moveExtra(m) != 0) return false;
    switch (pt) {
    case KNIGHT: return knightAttacks[from] & squareBB(to);
    case KING: return kingAttacks[from] & squareBB(to);
    case BISHOP: return (bishopRays[from] & squareBB(to)) && !(between[from][to] & b.occupied());
    case ROOK: return (rookRays[from] & squareBB(to)) && !(between[from][to] & b.occupied());
    default: return ((bishopRays[from] | rookRays[from]) & squareBB(to)) && !(between[from][to] & b.occupied());
    }
}

bool isValidMove(const Board_BB64 &b, Move m) {
    return b.sideToMove == WHITE ? isValidMove<WHITE>(b, m) : isValidMove<BLACK>(b, m);
}

template <Colour Us> bool isLegal(Board_BB64 &b, Move m, const CheckInfo &info) {
    // Castling out of check would pass the destination test; it is never legal.
    if (moveKind(m) == CASTLING && info.inCheck()) return false;
    return passesLegalityTest<Us>(b, m, info);
}

bool isLegal(Board_BB64 &b, Move m, const CheckInfo &info) {
    return b.sideToMove == WHITE ? isLegal<WHITE>(b, m, info) : isLegal<BLACK>(b, m, info);
}

template <Colour Us> void checkersAfterFull(const Board_BB64 &b, Move m, Square k, AttackInfo &info) {
    const Square from = moveFrom(m), to = moveTo(m);
    Bitboard occ = (b.occupied() & ~squareBB(from)) | squareBB(to);
    Bitboard vacated = squareBB(from);
    Square checkerSq = to;
    int pt = b.pieceOn[from];
    if (moveKind(m) == EN_PASSANT) {
        vacated |= squareBB(to - pawnPush(Us));
        occ &= ~vacated;
    } else if (moveKind(m) == PROMOTION)
        pt = promotionPiece(m);
    else if (moveKind(m) == CASTLING) {
        checkerSq = CASTLE_ROOK_TO[moveExtra(m)];
        pt = ROOK;
        vacated |= squareBB(b.castling.rookFrom[moveExtra(m)]);
        occ = (occ & ~vacated) | squareBB(to) | squareBB(checkerSq);
    }
    // Direct check by the moved (or promoted, or castling rook) piece.
    bool direct;
    switch (pt) {
    case PAWN: direct = pawnAttacks[Us][checkerSq] & squareBB(k); break;
    case KNIGHT: direct = knightAttacks[checkerSq] & squareBB(k); break;
    case BISHOP: direct = (bishopRays[checkerSq] & squareBB(k)) && !(between[checkerSq][k] & occ); break;
    case ROOK: direct = (rookRays[checkerSq] & squareBB(k)) && !(between[checkerSq][k] & occ); break;
    case QUEEN:
        direct = ((bishopRays[checkerSq] | rookRays[checkerSq]) & squareBB(k)) && !(between[checkerSq][k] & occ);
        break;
    default: direct = false;
    }
    if (direct) info.add(checkerSq);
    // Discovered checks by sliders behind the vacated square(s); the moved piece is excluded.
    // A line can only open where a vacated square lies on one of the king's rays, which
    // spares the slider lookups for most moves.
    // (A castling rook is not among them even where the king now stands on its square.)
    const Bitboard others = b.pieces(Us) & ~vacated & occ & ~squareBB(checkerSq);
    if (vacated & bishopRays[k])
        for (Bitboard s = bishopAttacks(k, occ) & diagonalMovers(b, Us) & others; s && info.count < 2;)
            info.add(popLsb(s));
    if (vacated & rookRays[k])
        for (Bitboard s = rookAttacks(k, occ) & lineMovers(b, Us) & others; s && info.count < 2;)
            info.add(popLsb(s));
}

void checkersAfter(const Board_BB64 &b, Move m, AttackInfo &info) {
    b.sideToMove == WHITE ? checkersAfter<WHITE>(b, m, info) : checkersAfter<BLACK>(b, m, info);
}

bool isDraw(Board_BB64 &b, int &reason) {
    reason = DRAW_NONE;
    if (b.halfmoveClock > 99) {
        reason = DRAW_FIFTY_MOVES;
        return true;
    }
    if (!(b.pieces(PAWN) | b.pieces(ROOK) | b.pieces(QUEEN))) {
        const int w = popCount(b.pieces(WHITE)), bl = popCount(b.pieces(BLACK));
        if ((bl == 1 && w <= 2) || (w == 1 && bl <= 2)) {
            reason = DRAW_MATERIAL;
            return true;
        }
    }
    if (b.halfmoveClock <= 3) return false;
    const int p = int(b.historyIndex);
    const int lo = std::max(0, p - int(b.halfmoveClock));
    for (int i = p - 4; i >= lo; i -= 2)
        if (b.history[i].key == b.history[p].key) {
            b.history[p].repetitionCount = uint16_t(b.history[i].repetitionCount + 1);
            reason = b.history[p].repetitionCount > 1 ? DRAW_REPETITION : DRAW_NONE;
            return true;
        }
    return false;
}

bool isEvaluable(const Board_BB64 &b) {
    return b.sideToMove <= BLACK && popCount(b.pieces(WHITE, KING)) == 1 && popCount(b.pieces(BLACK, KING)) == 1;
}

bool isPlayable(const Board_BB64 &b) {
    return isEvaluable(b) && !isAttackedBy(b, b.side(), b.kingSquare(opposite(b.side())));
}

template bool isValidMove<WHITE>(const Board_BB64 &, Move);
template bool isValidMove<BLACK>(const Board_BB64 &, Move);
template bool isLegal<WHITE>(Board_BB64 &, Move, const CheckInfo &);
template bool isLegal<BLACK>(Board_BB64 &, Move, const CheckInfo &);
template void checkersAfterFull<WHITE>(const Board_BB64 &, Move, Square, AttackInfo &);
template void checkersAfterFull<BLACK>(const Board_BB64 &, Move, Square, AttackInfo &);
