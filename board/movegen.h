// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Attack tests, check and pin information, the legal move generators, the validity
// test for moves from outside the generator, the checks a move gives, and the draw test.
#pragma once

#include <string_view>

#include "board/board.h"

// Up to two attacker squares recorded by the attack test.
struct AttackInfo {
    uint16_t count = 0;
    uint8_t squares[2] = {0, 0};
    void add(Square s) {
        if (count < 2) squares[count++] = uint8_t(s);
    }
};

struct CheckInfo {
    Bitboard orthoPinned = 0;
    Bitboard diagPinned = 0;
    AttackInfo checkers;
    bool inCheck() const { return checkers.count != 0; }
    Bitboard pinned() const { return orthoPinned | diagPinned; }
};

// Is square s attacked by side `by`? Records up to two attackers (one per piece group).
template <Colour By> bool isAttackedBy(const Board_BB64 &b, Square s, AttackInfo &info);
bool isAttackedBy(const Board_BB64 &b, Colour by, Square s, AttackInfo &info);
bool isAttackedBy(const Board_BB64 &b, Colour by, Square s);

// Pin sets only (orthoPinned, diagPinned) for the side to move; checkers untouched.
template <Colour Us> void computePins(const Board_BB64 &b, CheckInfo &info);
// Pins and checkers for the side to move.
template <Colour Us> void computeCheckInfo(const Board_BB64 &b, CheckInfo &info);
void computeCheckInfo(const Board_BB64 &b, CheckInfo &info);

// Takes the place of a move list where only the number of legal moves matters.
struct MoveCounter {
    uint32_t count = 0;
};

// Takes the place of a move list where only the moves that give check are wanted (the
// quiet checks of the quiescence search); they reach `list` in generation order.
template <Colour Us> struct CheckingMoveFilter {
    const Board_BB64 &board;
    MoveList &list;
};

// Legal-move generators, one body per side; each appends to the list (Sink: MoveList,
// or MoveCounter for the first four, or CheckingMoveFilter for quiets and castling).
// (The board is changed and restored by the quick-make legality test.)
template <Colour Us, class Sink> void generateEpCaptures(Board_BB64 &b, const CheckInfo &info, Sink &list);
template <Colour Us, class Sink> void generateCapturesAndPromotions(Board_BB64 &b, const CheckInfo &info, Sink &list);
template <Colour Us, class Sink> void generateQuiets(Board_BB64 &b, const CheckInfo &info, Sink &list);
template <Colour Us, class Sink> void generateCastling(Board_BB64 &b, const CheckInfo &info, Sink &list);
template <Colour Us> void generateEvasions(Board_BB64 &b, const CheckInfo &info, MoveList &list);
// The four generators above in their order (castling only out of check).
template <Colour Us> void generateAllLegal(Board_BB64 &b, const CheckInfo &info, MoveList &list);
// Quiescence moves: en-passant captures, queen promotions (pushes and captures),
// pawn captures, piece captures, king captures.
template <Colour Us> void generateQuiescenceMoves(Board_BB64 &b, const CheckInfo &info, MoveList &list);

// Bishop-like movers and rook-like movers: queens belong to both.
inline Bitboard diagonalMovers(const Board_BB64 &b, Colour c) { return b.pieces(c, BISHOP) | b.pieces(c, QUEEN); }
inline Bitboard lineMovers(const Board_BB64 &b, Colour c) { return b.pieces(c, ROOK) | b.pieces(c, QUEEN); }

// Would side By attack s if the board's occupancy were occ? Pieces of By standing
// on s do not count (a capture removes them).
template <Colour By> inline bool attackedThrough(const Board_BB64 &b, Square s, Bitboard occ) {
    const Bitboard diagonal = diagonalMovers(b, By), line = lineMovers(b, By);
    // A slider's attack set is only looked up when one stands on a line through s.
    return (pawnAttacks[opposite(By)][s] & b.pieces(By, PAWN)) || (knightAttacks[s] & b.pieces(By, KNIGHT)) ||
           (kingAttacks[s] & b.pieces(By, KING)) ||
           ((bishopRays[s] & diagonal) && (bishopAttacks(s, occ) & diagonal)) ||
           ((rookRays[s] & line) && (rookAttacks(s, occ) & line));
}

// The squares among `squares` that side By attacks when the occupancy is occ.
template <Colour By> inline Bitboard attackedAmong(const Board_BB64 &b, Bitboard squares, Bitboard occ) {
    Bitboard attacked = 0;
    while (squares) {
        const Square s = popLsb(squares);
        if (attackedThrough<By>(b, s, occ)) attacked |= squareBB(s);
    }
    return attacked;
}

// The generators' test of a pseudo-legal move, with the same answers as playing it
// and looking at the own king but without touching the board for the common moves: a
// king step is legal when the destination is not attacked once the king has left its
// square (so sliders see through it), castling likewise once king and rook stand on
// their new squares, and outside check a pinned piece may only move along the line
// through its king. En passant, and other moves in check, are played.
template <Colour Us> inline bool passesLegalityTest(Board_BB64 &b, Move m, const CheckInfo &info) {
    const Square from = moveFrom(m), to = moveTo(m);
    const Bitboard kings = b.pieces(Us, KING);
    // A hand-made board may have two kings; the board test then decides.
    if (moveKind(m) == EN_PASSANT || moreThanOne(kings)) return b.isLegalAfterQuickMake<Us>(m);
    if (moveKind(m) == CASTLING) {
        const int extra = moveExtra(m);
        const Bitboard rook = squareBB(b.castling.rookFrom[extra]) | squareBB(CASTLE_ROOK_TO[extra]);
        return !attackedThrough<opposite(Us)>(b, to, b.occupied() ^ kings ^ squareBB(to) ^ rook);
    }
    if (kings & squareBB(from)) return !attackedThrough<opposite(Us)>(b, to, b.occupied() ^ kings);
    if (info.inCheck()) return b.isLegalAfterQuickMake<Us>(m);
    if (!(info.pinned() & squareBB(from))) return true;
    const Square k = lsb(kings);
    return (between[k][to] & squareBB(from)) || (between[k][from] & squareBB(to));
}

// The number of legal moves, counted without listing them where the generators can.
template <Colour Us> uint32_t countLegalMoves(Board_BB64 &b, const CheckInfo &info);

// Every legal move (en passant, captures and promotions, quiets, castling when not
// in check). Returns whether the side to move is in check.
bool generateAllLegal(Board_BB64 &b, MoveList &list);

// Pseudo-legality of a move from outside the generator (hash move, killer).
template <Colour Us> bool isValidMove(const Board_BB64 &b, Move m);
bool isValidMove(const Board_BB64 &b, Move m);
// Castling by its extra value, attacks aside: the right is held, king and rook stand at
// home (a FEN's rights are not checked against the placement) and the path is empty.
inline bool castlingUnobstructed(const Board_BB64 &b, int extra) {
    const int us = extra >> 1;
    const Square k = b.castling.kingFrom[us], r = b.castling.rookFrom[extra];
    return (b.castlingRights & (1 << extra)) && !(b.occupied() & b.castling.path[extra]) && b.pieceOn[k] == KING &&
           b.colorOn[k] == us && b.pieceOn[r] == ROOK && b.colorOn[r] == us;
}
// The same, and the squares the king passes are not attacked. Being in check and the
// king's destination are left to the legality test.
bool castlingAvailable(const Board_BB64 &b, int extra);
// The generators' legality filter for one pseudo-legal move.
template <Colour Us> bool isLegal(Board_BB64 &b, Move m, const CheckInfo &info);
bool isLegal(Board_BB64 &b, Move m, const CheckInfo &info);

// Squares a piece of the given type on s attacks on an empty board.
template <Colour Us> inline Bitboard emptyBoardReach(int pt, Square s) {
    switch (pt) {
    case PAWN: return pawnAttacks[Us][s];
    case KNIGHT: return knightAttacks[s];
    case BISHOP: return bishopRays[s];
    case ROOK: return rookRays[s];
    case QUEEN: return bishopRays[s] | rookRays[s];
    default: return 0;
    }
}

// checkersAfter for a move that may check the king on k.
template <Colour Us> void checkersAfterFull(const Board_BB64 &b, Move m, Square k, AttackInfo &info);

// Pieces that would give check to the opponent after m (direct first, then discovered).
// A plain move can only check when it leaves a line through the king (a discovery) or
// lands where its piece would reach the king on an empty board. Most moves do neither,
// and this is asked for nearly every move searched, so that test is inline.
template <Colour Us> inline void checkersAfter(const Board_BB64 &b, Move m, AttackInfo &info) {
    const Square k = b.kingSquare(opposite(Us));
    info = AttackInfo{};
    if (k == NO_SQUARE) return;
    const Square from = moveFrom(m);
    if (moveKind(m) == NORMAL && !((bishopRays[k] | rookRays[k]) & squareBB(from)) &&
        !(emptyBoardReach<Us>(b.pieceOn[from], moveTo(m)) & squareBB(k)))
        return;
    checkersAfterFull<Us>(b, m, k, info);
}
void checkersAfter(const Board_BB64 &b, Move m, AttackInfo &info);

// Draw reasons.
enum DrawReason : int { DRAW_NONE = 0, DRAW_FIFTY_MOVES = 3, DRAW_MATERIAL = 4, DRAW_REPETITION = 5 };
// Fifty-move rule, insufficient material, repetition. Writes the repetition count.
bool isDraw(Board_BB64 &b, int &reason);

// Whether a board can be searched, counted or played on: one king a side, a side to
// move, and the side not to move out of check. A failed or odd FEN can leave a board
// that is none of these, and the generators assume all of them.
bool isPlayable(const Board_BB64 &b);
// Whether the evaluation is defined: one king a side and a side to move (the side not
// to move may stand in check).
bool isEvaluable(const Board_BB64 &b);

// Text to the matching legal move of the position: coordinate notation, castling also
// as the king taking its own rook ("e1h1") or as "O-O"/"O-O-O" (or with zeros).
bool textToMove(Board_BB64 &b, const char *text, Move &move);
// A move word as interfaces send one in a game record: coordinates only (4 or 5
// characters, castling as the king's move or the king taking its rook).
bool readMove(Board_BB64 &b, std::string_view word, Move &move);
// A move in coordinate notation, castling as the notation says. buffer must hold 6 bytes.
void moveToText(Move m, const MoveNotation &notation, char *buffer);
