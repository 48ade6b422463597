// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Make and unmake. One body per side and per mode: the full make keeps keys,
// piece-square sums and the history; the perft make keeps only its key stack; the
// quick make moves pieces for a legality test.
#include "board/board.h"
#include "board/movegen.h"
#include "board/zobrist.h"
#include "eval/pst.h"

namespace {

// UNDO is the full unmake: piece-square sums but no keys, which come back with the
// history entry.
enum MakeMode { FULL, PERFT, QUICK, UNDO };

// Where the keys of the position after the move go; null in quick mode.
struct Keys {
    uint64_t *key;
    uint64_t *pawnKey;
};

template <MakeMode M> inline void addPiece(Board_BB64 &b, Colour c, int pt, Square s, Keys k) {
    const Bitboard bb = squareBB(s);
    b.pieceBB[pt - 1] ^= bb;
    b.colorBB[c] ^= bb;
    b.pieceOn[s] = uint8_t(pt);
    b.colorOn[s] = uint8_t(c);
    if constexpr (M == FULL || M == UNDO) {
        const TermPair v = pstValue(c, pt, s);
        b.pstScore[c][0] = int16_t(b.pstScore[c][0] + v.mg());
        b.pstScore[c][1] = int16_t(b.pstScore[c][1] + v.eg());
    }
    if constexpr (M == FULL)
        if (pt == PAWN) *k.pawnKey ^= zobristPiece[pieceIndex(c, pt)][s];
    if constexpr (M == FULL || M == PERFT) *k.key ^= zobristPiece[pieceIndex(c, pt)][s];
}

template <MakeMode M> inline void takePiece(Board_BB64 &b, Square s, Keys k) {
    const int pt = b.pieceOn[s];
    const Colour c = Colour(b.colorOn[s]);
    const Bitboard bb = squareBB(s);
    b.pieceBB[pt - 1] ^= bb;
    b.colorBB[c] ^= bb;
    b.pieceOn[s] = 0;
    b.colorOn[s] = NO_COLOUR;
    if constexpr (M == FULL || M == UNDO) {
        const TermPair v = pstValue(c, pt, s);
        b.pstScore[c][0] = int16_t(b.pstScore[c][0] - v.mg());
        b.pstScore[c][1] = int16_t(b.pstScore[c][1] - v.eg());
    }
    if constexpr (M == FULL)
        if (pt == PAWN) *k.pawnKey ^= zobristPiece[pieceIndex(c, pt)][s];
    if constexpr (M == FULL || M == PERFT) *k.key ^= zobristPiece[pieceIndex(c, pt)][s];
}

template <MakeMode M> inline void shiftPiece(Board_BB64 &b, Square from, Square to, Keys k) {
    const int pt = b.pieceOn[from];
    const Colour c = Colour(b.colorOn[from]);
    takePiece<M>(b, from, k);
    addPiece<M>(b, c, pt, to, k);
}

// Piece placement of a move, shared by all modes. Returns the captured piece type.
template <Colour Us, MakeMode M> int placeMove(Board_BB64 &b, Move m, Keys k) {
    const Square from = moveFrom(m), to = moveTo(m);
    int captured = 0;
    switch (moveKind(m)) {
    case EN_PASSANT:
        captured = PAWN;
        takePiece<M>(b, to - pawnPush(Us), k);
        shiftPiece<M>(b, from, to, k);
        break;
    case CASTLING:
        // Both lift off before either lands: in Chess960 the king may go to the rook's
        // square or the rook to the king's.
        takePiece<M>(b, from, k);
        takePiece<M>(b, b.castling.rookFrom[moveExtra(m)], k);
        addPiece<M>(b, Us, KING, to, k);
        addPiece<M>(b, Us, ROOK, CASTLE_ROOK_TO[moveExtra(m)], k);
        break;
    case PROMOTION:
        captured = b.pieceOn[to];
        if (captured) takePiece<M>(b, to, k);
        takePiece<M>(b, from, k);
        addPiece<M>(b, Us, promotionPiece(m), to, k);
        break;
    default:
        captured = b.pieceOn[to];
        if (captured) takePiece<M>(b, to, k);
        shiftPiece<M>(b, from, to, k);
    }
    return captured;
}

// Exact inverse of placeMove's piece placement.
template <Colour Us, MakeMode M> void unplaceMove(Board_BB64 &b, Move m, int captured) {
    constexpr Colour Them = opposite(Us);
    const Square from = moveFrom(m), to = moveTo(m);
    constexpr MakeMode Q = M == FULL ? UNDO : QUICK;  // keys are never touched on the way back
    const Keys k{nullptr, nullptr};
    switch (moveKind(m)) {
    case EN_PASSANT:
        shiftPiece<Q>(b, to, from, k);
        addPiece<Q>(b, Them, PAWN, to - pawnPush(Us), k);
        break;
    case CASTLING:
        takePiece<Q>(b, CASTLE_ROOK_TO[moveExtra(m)], k);
        takePiece<Q>(b, to, k);
        addPiece<Q>(b, Us, ROOK, b.castling.rookFrom[moveExtra(m)], k);
        addPiece<Q>(b, Us, KING, from, k);
        break;
    case PROMOTION:
        takePiece<Q>(b, to, k);
        addPiece<Q>(b, Us, PAWN, from, k);
        if (captured) addPiece<Q>(b, Them, captured, to, k);
        break;
    default:
        shiftPiece<Q>(b, to, from, k);
        if (captured) addPiece<Q>(b, Them, captured, to, k);
    }
}

// Rights, en-passant square and clock before a move, and their restoration.
inline void saveCounters(const Board_BB64 &b, UndoInfo &undo) {
    undo.castleEp = uint16_t(b.castlingRights | (b.epSquare << 8));
    undo.halfmove = b.halfmoveClock;
}
inline void restoreCounters(Board_BB64 &b, const UndoInfo &undo) {
    b.castlingRights = uint8_t(undo.castleEp & 0xFF);
    b.epSquare = uint8_t(undo.castleEp >> 8);
    b.halfmoveClock = undo.halfmove;
}

// Opens the history entry of the next ply with the current keys.
inline HistoryEntry &pushHistory(Board_BB64 &b) {
    HistoryEntry &next = b.history[b.historyIndex + 1];
    next.key = b.history[b.historyIndex].key;
    next.pawnKey = b.history[b.historyIndex].pawnKey;
    next.repetitionCount = 0;
    ++b.historyIndex;
    return next;
}

}  // namespace

void Board_BB64::updateCastleKey(int oldRights, int newRights, uint64_t &key) {
    for (int changed = oldRights ^ newRights; changed; changed &= changed - 1)
        key ^= zobristCastle[changed & -changed];
}

template <Colour Us, Board_BB64::MakeKind Kind> void Board_BB64::doMove(Move m, UndoInfo &undo) {
    constexpr Colour Them = opposite(Us);
    constexpr bool Perft = Kind != MakeKind::GAME;
    constexpr MakeMode M = Kind == MakeKind::UNKEYED ? QUICK : Perft ? PERFT : FULL;
    // An unkeyed make writes its keys to a local that is never read.
    uint64_t unusedPawnKey = 0, unusedKey = 0;
    Keys k{&unusedKey, &unusedPawnKey};
    if constexpr (Kind == MakeKind::PERFT) {
        perftKeys[perftIndex + 1] = perftKeys[perftIndex];
        k = {&perftKeys[++perftIndex], &unusedPawnKey};
    } else if constexpr (Kind == MakeKind::GAME) {
        HistoryEntry &next = pushHistory(*this);
        k = {&next.key, &next.pawnKey};
    }
    saveCounters(*this, undo);

    const Square from = moveFrom(m), to = moveTo(m);
    const int kind = moveKind(m);
    const bool pawnMove = pieceOn[from] == PAWN;
    undo.captured = uint32_t(placeMove<Us, M>(*this, m, k));

    int rights = castlingRights;
    if (kind == CASTLING) rights &= Us == WHITE ? ~(WHITE_OO | WHITE_OOO) : ~(BLACK_OO | BLACK_OOO);
    else if (kind == PROMOTION) rights &= ~castling.rightsLost[to];
    else if (kind == NORMAL) rights &= ~(castling.rightsLost[from] | castling.rightsLost[to]);

    if constexpr (!Perft) {
        if (kind == CASTLING || (kind == NORMAL && !pawnMove && !undo.captured)) ++halfmoveClock;
        else halfmoveClock = 0;
    }

    if (epSquare != NO_SQUARE) *k.key ^= zobristEp[epSquare & 7];
    epSquare = NO_SQUARE;
    if (kind == NORMAL && moveExtra(m) == 1 && (adjacentOnRank[to] & pieces(Them, PAWN))) {
        epSquare = uint8_t(to - pawnPush(Us));
        *k.key ^= zobristEp[epSquare & 7];
    }
    updateCastleKey(castlingRights, rights, *k.key);
    castlingRights = uint8_t(rights);
    sideToMove = Them;
    *k.key ^= zobristSide;
}

template <Colour Us> void Board_BB64::makeMove(Move m, UndoInfo &undo) { doMove<Us, MakeKind::GAME>(m, undo); }
template <Colour Us> void Board_BB64::makePerftMove(Move m, UndoInfo &undo) { doMove<Us, MakeKind::PERFT>(m, undo); }
template <Colour Us> void Board_BB64::makeUnkeyedMove(Move m, UndoInfo &undo) {
    doMove<Us, MakeKind::UNKEYED>(m, undo);
}

template <Colour Us> void Board_BB64::unmakeMove(Move m, const UndoInfo &undo) {
    sideToMove = Us;
    unplaceMove<Us, FULL>(*this, m, int(undo.captured));
    restoreCounters(*this, undo);
    --historyIndex;
}

// The perft make never touched the piece-square sums, so neither does its unmake.
template <Colour Us> void Board_BB64::unmakeUnkeyedMove(Move m, const UndoInfo &undo) {
    sideToMove = Us;
    unplaceMove<Us, QUICK>(*this, m, int(undo.captured));
    restoreCounters(*this, undo);
}
template <Colour Us> void Board_BB64::unmakePerftMove(Move m, const UndoInfo &undo) {
    unmakeUnkeyedMove<Us>(m, undo);
    --perftIndex;
}

template <Colour Us> void Board_BB64::makeMoveQuick(Move m, UndoInfo &undo) {
    undo.captured = uint32_t(placeMove<Us, QUICK>(*this, m, {nullptr, nullptr}));
    sideToMove = opposite(Us);
}

template <Colour Us> void Board_BB64::unmakeMoveQuick(Move m, const UndoInfo &undo) {
    unplaceMove<Us, QUICK>(*this, m, int(undo.captured));
    sideToMove = Us;
}

template <Colour Us> bool Board_BB64::isLegalAfterQuickMake(Move m) {
    UndoInfo undo;
    makeMoveQuick<Us>(m, undo);
    const bool legal = !isAttackedBy(*this, opposite(Us), kingSquare(Us));
    unmakeMoveQuick<Us>(m, undo);
    return legal;
}

void Board_BB64::makeMove(Move m, UndoInfo &undo) {
    sideToMove == WHITE ? makeMove<WHITE>(m, undo) : makeMove<BLACK>(m, undo);
}
void Board_BB64::unmakeMove(Move m, const UndoInfo &undo) {
    // The side that made the move is the one not to move now.
    sideToMove == BLACK ? unmakeMove<WHITE>(m, undo) : unmakeMove<BLACK>(m, undo);
}

void Board_BB64::makeNullMove(UndoInfo &undo) {
    history[historyIndex].movePlayed = 0;
    HistoryEntry &next = pushHistory(*this);
    next.key ^= zobristSide;
    saveCounters(*this, undo);
    undo.captured = 0;
    if (epSquare != NO_SQUARE) next.key ^= zobristEp[epSquare & 7];
    sideToMove ^= 1;
    halfmoveClock = 0;
    epSquare = NO_SQUARE;
}

void Board_BB64::unmakeNullMove(const UndoInfo &undo) {
    sideToMove ^= 1;
    --historyIndex;
    restoreCounters(*this, undo);
}

template void Board_BB64::makeMove<WHITE>(Move, UndoInfo &);
template void Board_BB64::makeMove<BLACK>(Move, UndoInfo &);
template void Board_BB64::unmakeMove<WHITE>(Move, const UndoInfo &);
template void Board_BB64::unmakeMove<BLACK>(Move, const UndoInfo &);
template void Board_BB64::makeUnkeyedMove<WHITE>(Move, UndoInfo &);
template void Board_BB64::makeUnkeyedMove<BLACK>(Move, UndoInfo &);
template void Board_BB64::unmakeUnkeyedMove<WHITE>(Move, const UndoInfo &);
template void Board_BB64::unmakeUnkeyedMove<BLACK>(Move, const UndoInfo &);
template void Board_BB64::makePerftMove<WHITE>(Move, UndoInfo &);
template void Board_BB64::makePerftMove<BLACK>(Move, UndoInfo &);
template void Board_BB64::unmakePerftMove<WHITE>(Move, const UndoInfo &);
template void Board_BB64::unmakePerftMove<BLACK>(Move, const UndoInfo &);
template void Board_BB64::makeMoveQuick<WHITE>(Move, UndoInfo &);
template void Board_BB64::makeMoveQuick<BLACK>(Move, UndoInfo &);
template void Board_BB64::unmakeMoveQuick<WHITE>(Move, const UndoInfo &);
template void Board_BB64::unmakeMoveQuick<BLACK>(Move, const UndoInfo &);
template bool Board_BB64::isLegalAfterQuickMake<WHITE>(Move);
template bool Board_BB64::isLegalAfterQuickMake<BLACK>(Move);
