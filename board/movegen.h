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

// Bishop-like movers and rook-like movers: queens belong to both.
inline Bitboard diagonalMovers(const Board_BB64 &b, Colour c) { return b.pieces(c, BISHOP) | b.pieces(c, QUEEN); }
inline Bitboard lineMovers(const Board_BB64 &b, Colour c) { return b.pieces(c, ROOK) | b.pieces(c, QUEEN); }

// Whether a pseudo-legal move must be tried on the board before it counts as legal;
// the pin sets clear every other move.
inline bool needsLegalityTest(const Board_BB64 &b, Move m, const CheckInfo &info) {
    return info.inCheck() || b.pieceOn[moveFrom(m)] == KING || (info.pinned() & squareBB(moveFrom(m))) ||
           moveKind(m) == EN_PASSANT || moveKind(m) == CASTLING;
}

// Every legal move (en passant, captures and promotions, quiets, castling when not
// in check). Returns whether the side to move is in check.
bool generateAllLegal(Board_BB64 &b, MoveList &list);

// Pseudo-legality of a move from outside the generator (hash move, killer).
template <Colour Us> bool isValidMove(const Board_BB64 &b, Move m);
bool isValidMove(const Board_BB64 &b, Move m);
// Castling by its extra value: the right is held, king and rook stand at home, the path
// is empty and the square the king passes is not attacked. Being in check and the
// king's destination are left to the legality test.
bool castlingAvailable(const Board_BB64 &b, int extra);
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
