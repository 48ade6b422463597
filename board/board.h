// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The position: bitboards with a square-indexed mailbox, incrementally kept hash keys
// and piece-square sums, and a per-ply history (keys, killers, moves played).
#pragma once

#include "board/bitboard.h"
#include "board/castling.h"
#include "board/move.h"

struct HistoryEntry {
    uint64_t key;
    uint64_t pawnKey;
    uint16_t repetitionCount;
    Move killer1;
    Move killer2;
    Move movePlayed;
};

class Board_Common {
public:
    virtual uint64_t pieceHashKey(Colour c) const = 0;
    virtual uint64_t pawnHashKey() const = 0;
};

constexpr int HISTORY_SIZE = 1024;
constexpr int PERFT_KEYS_SIZE = 64;

class Board_BB64 : public Board_Common {
public:
    int16_t pstScore[2][2];  // [colour][0 mg, 1 eg]
    HistoryEntry history[HISTORY_SIZE];
    uint32_t historyIndex;
    uint64_t perftKeys[PERFT_KEYS_SIZE];
    uint32_t perftIndex;
    uint8_t castlingRights;
    uint8_t epSquare;
    uint8_t halfmoveClock;
    uint8_t sideToMove;
    Bitboard pieceBB[6];  // index piece type - 1
    Bitboard colorBB[2];
    uint8_t pieceOn[64];
    uint8_t colorOn[64];
    CastlingSetup castling;  // set with the position, the same for the whole game

    Board_BB64();
    virtual ~Board_BB64() {}
    Board_BB64(const Board_BB64 &) = default;
    Board_BB64 &operator=(const Board_BB64 &) = default;

    uint64_t pieceHashKey(Colour c) const override;
    uint64_t pawnHashKey() const override;

    void clear();
    bool setFromFEN(const char *text);
    void toFEN(char *buffer, FenStyle style = FenStyle::X_FEN) const;  // buffer of at least 100 bytes

    // Convenience accessors.
    Colour side() const { return Colour(sideToMove); }
    Bitboard occupied() const { return colorBB[WHITE] | colorBB[BLACK]; }
    Bitboard pieces(Colour c) const { return colorBB[c]; }
    Bitboard pieces(Colour c, int pt) const { return colorBB[c] & pieceBB[pt - 1]; }
    Bitboard pieces(int pt) const { return pieceBB[pt - 1]; }
    Square kingSquare(Colour c) const { return lsb(pieces(c, KING)); }
    uint64_t key() const { return history[historyIndex].key; }
    uint64_t pawnKey() const { return history[historyIndex].pawnKey; }
    // Rebuild the current history key, pawn key and perft key from scratch.
    void rebuildKeys();

    // Places a piece without touching the keys (set-up, before rebuildKeys).
    void putPieceQuiet(Colour c, int pt, Square s);
    static void updateCastleKey(int oldRights, int newRights, uint64_t &key);

    // Full make/unmake, one body per side; the untemplated forms dispatch on sideToMove.
    template <Colour Us> void makeMove(Move m, UndoInfo &undo);
    template <Colour Us> void unmakeMove(Move m, const UndoInfo &undo);
    void makeMove(Move m, UndoInfo &undo);
    void unmakeMove(Move m, const UndoInfo &undo);  // for the side that made the move

    // Pieces only: no keys, sums, history, rights or clock. For legality tests.
    template <Colour Us> void makeMoveQuick(Move m, UndoInfo &undo);
    template <Colour Us> void unmakeMoveQuick(Move m, const UndoInfo &undo);
    template <Colour Us> bool isLegalAfterQuickMake(Move m);

    // Perft variant: keys on the perftKeys stack, no history, no piece-square sums.
    template <Colour Us> void makePerftMove(Move m, UndoInfo &undo);
    template <Colour Us> void unmakePerftMove(Move m, const UndoInfo &undo);
    // The same without keys and without a push on the perftKeys stack: for the last
    // make of a perft, whose position is only counted.
    template <Colour Us> void makeUnkeyedMove(Move m, UndoInfo &undo);
    template <Colour Us> void unmakeUnkeyedMove(Move m, const UndoInfo &undo);

    void makeNullMove(UndoInfo &undo);
    void unmakeNullMove(const UndoInfo &undo);

    // A Chess960 castling king may land on its own rook or stay where it is: no capture.
    bool isTactical(Move m) const {
        return (pieceOn[moveTo(m)] != 0 && moveKind(m) != CASTLING) || moveKind(m) == EN_PASSANT ||
               (moveKind(m) == PROMOTION && moveExtra(m) == QUEEN - 2);
    }

    // Invariant check for tests and debug builds.
    bool isConsistent() const;

private:
    enum class MakeKind : uint8_t { GAME, PERFT, UNKEYED };
    template <Colour Us, MakeKind Kind> void doMove(Move m, UndoInfo &undo);
    // Full key recomputed from scratch (for set-up and verification).
    uint64_t computeKey() const;
};

// Walks one colour's pieces: king first, then queens, rooks, bishops, knights, pawns,
// each type from the lowest square up. next() returns NO_SQUARE at the end.
class PieceIterator {
public:
    PieceIterator(const Board_BB64 &b, Colour c, int lowestType = PAWN);
    Square next();
    void advance() { next(); }
    Square lastSquare() const { return last; }
    int pieceType() const { return type; }

private:
    const Board_BB64 &board;
    Colour colour;
    int type;
    int lowest;
    Bitboard remaining;
    Square last;
};

// The castling field of a FEN: reads it into the board's rights, set-up and start key,
// leaving p after it; writes it at out and returns the end.
bool readCastlingField(Board_BB64 &b, const char *&p);
char *writeCastlingField(const Board_BB64 &b, FenStyle style, char *out);

// The FEN of the standard start position.
constexpr const char *START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// Build every static table of the board and evaluation once (safe to call repeatedly).
void initStaticTables();
