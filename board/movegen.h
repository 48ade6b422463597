// Attack tests, check and pin information, the legal move generators, the validity
// test for moves from outside the generator, the checks a move gives, and the draw test.
#pragma once

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
// Pieces of both sides attacking s, with sliders seen through occupancy occ.
Bitboard attackersTo(const Board_BB64 &b, Square s, Bitboard occ);

// Pin sets only (orthoPinned, diagPinned) for the side to move; checkers untouched.
template <Colour Us> void computePins(const Board_BB64 &b, CheckInfo &info);
// Pins and checkers for the side to move.
template <Colour Us> void computeCheckInfo(const Board_BB64 &b, CheckInfo &info);
void computeCheckInfo(const Board_BB64 &b, CheckInfo &info);

// Legal-move generators, one body per side; each appends to the list.
// (The board is changed and restored by the quick-make legality test.)
template <Colour Us> void generateEpCaptures(Board_BB64 &b, const CheckInfo &info, MoveList &list);
template <Colour Us> void generateCapturesAndPromotions(Board_BB64 &b, const CheckInfo &info, MoveList &list);
template <Colour Us> void generateQuiets(Board_BB64 &b, const CheckInfo &info, MoveList &list);
template <Colour Us> void generateCastling(Board_BB64 &b, const CheckInfo &info, MoveList &list);
template <Colour Us> void generateEvasions(Board_BB64 &b, const CheckInfo &info, MoveList &list);
// Quiescence moves: en-passant captures, queen promotions (pushes and captures),
// pawn captures, piece captures, king captures.
template <Colour Us> void generateQuiescenceMoves(Board_BB64 &b, const CheckInfo &info, MoveList &list);

// Every legal move (en passant, captures and promotions, quiets, castling when not
// in check). Returns whether the side to move is in check.
bool generateAllLegal(Board_BB64 &b, MoveList &list);

// Pseudo-legality of a move from outside the generator (hash move, killer).
template <Colour Us> bool isValidMove(const Board_BB64 &b, Move m);
bool isValidMove(const Board_BB64 &b, Move m);
// The king and rook of a castling move (by its extra value) stand on their home squares.
// A FEN's rights are not checked against the placement, so castling must check it.
bool castlingPiecesInPlace(const Board_BB64 &b, int extra);
// The generators' legality filter for one pseudo-legal move.
template <Colour Us> bool isLegal(Board_BB64 &b, Move m, const CheckInfo &info);
bool isLegal(Board_BB64 &b, Move m, const CheckInfo &info);

// Pieces that would give check to the opponent after m (direct first, then discovered).
template <Colour Us> void checkersAfter(const Board_BB64 &b, Move m, AttackInfo &info);
void checkersAfter(const Board_BB64 &b, Move m, AttackInfo &info);

// Draw reasons.
enum DrawReason : int { DRAW_NONE = 0, DRAW_FIFTY_MOVES = 3, DRAW_MATERIAL = 4, DRAW_REPETITION = 5 };
// Fifty-move rule, insufficient material, repetition. Writes the repetition count.
bool isDraw(Board_BB64 &b, int &reason);

// Text to the matching legal move of the position (coordinate notation).
bool textToMove(Board_BB64 &b, const char *text, Move &move);
