// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Board set-up and bookkeeping: FEN in and out, keys recomputed from scratch, the
// consistency check and the piece iterator.
#include "board/board.h"

#include <charconv>
#include <cstring>

#include "board/zobrist.h"
#include "eval/pst.h"

void initStaticTables() {
    // Each builder is once-guarded; the order matters (magics need the rays, and the
    // clock seed must follow the fixed-seed key generation).
    initAttackTables();
    initMagicTables();
    initZobristKeys();
    seedRandomFromClock();
    initPieceSquareTable();
}

Board_BB64::Board_BB64()
    : pstScore{}, history{}, historyIndex(0), perftKeys{}, perftIndex(0), castlingRights(0),
      epSquare(NO_SQUARE), halfmoveClock(0), sideToMove(0), pieceBB{}, colorBB{}, pieceOn{} {
    std::memset(colorOn, NO_COLOUR, sizeof colorOn);
    clear();
}

void Board_BB64::clear() {
    initStaticTables();
    std::memset(pieceBB, 0, sizeof pieceBB);
    std::memset(colorBB, 0, sizeof colorBB);
    std::memset(pieceOn, 0, sizeof pieceOn);
    std::memset(colorOn, NO_COLOUR, sizeof colorOn);
    std::memset(pstScore, 0, sizeof pstScore);
    historyIndex = 0;
    history[0] = HistoryEntry{};
    castlingRights = 0;
    castling.setStandard();
    epSquare = NO_SQUARE;
    halfmoveClock = 0;
    sideToMove = NO_COLOUR;
}

uint64_t Board_BB64::pieceHashKey(Colour c) const {
    uint64_t k = 0;
    PieceIterator it(*this, c);
    for (Square s = it.next(); s != NO_SQUARE; s = it.next()) k ^= zobristPiece[pieceIndex(c, it.pieceType())][s];
    return k;
}

uint64_t Board_BB64::pawnHashKey() const {
    uint64_t k = 0;
    for (Bitboard b = pieceBB[PAWN - 1]; b;) {
        const Square s = popLsb(b);
        k ^= zobristPiece[pieceIndex(Colour(colorOn[s]), PAWN)][s];
    }
    return k;
}

uint64_t Board_BB64::computeKey() const {
    uint64_t k = pieceHashKey(WHITE) ^ pieceHashKey(BLACK);
    for (int right = 1; right <= 8; right <<= 1)
        if (castlingRights & right) k ^= zobristCastle[right];
    if (epSquare != NO_SQUARE) k ^= zobristEp[epSquare & 7];
    if (sideToMove == BLACK) k ^= zobristSide;
    return k;
}

void Board_BB64::rebuildKeys() {
    history[historyIndex].key = computeKey();
    history[historyIndex].pawnKey = pawnHashKey();
    perftKeys[perftIndex] = history[historyIndex].key;
}

void Board_BB64::putPieceQuiet(Colour c, int pt, Square s) {
    const Bitboard bb = squareBB(s);
    pieceBB[pt - 1] |= bb;
    colorBB[c] |= bb;
    pieceOn[s] = uint8_t(pt);
    colorOn[s] = uint8_t(c);
    const TermPair v = pstValue(c, pt, s);
    pstScore[c][0] = int16_t(pstScore[c][0] + v.mg());
    pstScore[c][1] = int16_t(pstScore[c][1] + v.eg());
}

namespace {

int pieceTypeOfChar(char ch) {
    const char *p = std::strchr(PIECE_CHARS + 1, ch);
    return p && ch ? int(p - PIECE_CHARS) : 0;
}

// Reads an atoi-style decimal number from [p, end); returns false when no digit is found.
bool readNumber(const char *p, const char *end, long &value) {
    value = 0;
    bool negative = false, digits = false;
    if (p < end && (*p == '-' || *p == '+')) negative = *p++ == '-';
    for (; p < end && *p >= '0' && *p <= '9'; ++p) {
        digits = true;
        if (value < 100000000) value = value * 10 + (*p - '0');
    }
    if (negative) value = -value;
    return digits;
}

// The FEN fields in order. Each reader starts at its field, adds what it reads to the
// board and the start key history[0].key, and leaves p on the character after the field.
bool readPlacement(Board_BB64 &b, const char *&p) {
    int rank = 7, file = 0;
    for (; *p && *p != ' '; ++p) {
        const char ch = *p;
        if (ch >= '1' && ch <= '8') {
            file += ch - '0';
            if (file > 8) return false;
        } else if (ch == '/') {
            if (file != 8 || rank == 0) return false;
            --rank;
            file = 0;
        } else {
            const bool white = ch >= 'A' && ch <= 'Z';
            const int pt = pieceTypeOfChar(white ? char(ch - 'A' + 'a') : ch);
            if (!pt || file > 7) return false;
            const Colour c = white ? WHITE : BLACK;
            const Square s = makeSquare(file, rank);
            b.putPieceQuiet(c, pt, s);
            b.history[0].key ^= zobristPiece[pieceIndex(c, pt)][s];
            if (pt == PAWN) b.history[0].pawnKey ^= zobristPiece[pieceIndex(c, pt)][s];
            ++file;
        }
    }
    return rank == 0 && file == 8;
}

bool readSideToMove(Board_BB64 &b, const char *&p) {
    if (*p == 'w') b.sideToMove = WHITE;
    else if (*p == 'b') {
        b.sideToMove = BLACK;
        b.history[0].key ^= zobristSide;
    } else return false;
    ++p;
    return true;
}

// A target no pawn of the side to move can capture on is dropped, so that equal
// positions get equal keys.
bool readEnPassant(Board_BB64 &b, const char *&p) {
    if (*p == '-') {
        ++p;
        return true;
    }
    if (p[0] < 'a' || p[0] > 'h' || p[1] < '1' || p[1] > '8') return false;
    const Square target = makeSquare(p[0] - 'a', p[1] - '1');
    const Colour us = b.side(), them = opposite(us);
    if (rankOf(target) != (us == WHITE ? RANK_6 : RANK_3)) return false;
    const Square behind = target - pawnPush(us);
    if (!(b.pieces(them, PAWN) & squareBB(behind))) return false;
    // An occupied target cannot have been passed over; capturing onto it would
    // stack two pieces on one square.
    if ((adjacentOnRank[behind] & b.pieces(us, PAWN)) && !b.pieceOn[target]) {
        b.epSquare = uint8_t(target);
        b.history[0].key ^= zobristEp[fileOf(target)];
    }
    p += 2;
    return true;
}

// One field alone is a move number; otherwise halfmove clock then move number.
bool readCounters(Board_BB64 &b, const char *p) {
    const char *blank = std::strchr(p, ' ');
    long value;
    if (!blank) return readNumber(p, p + std::strlen(p), value) && value >= 1;
    if (blank - p > 4) return false;
    readNumber(p, blank, value);
    if (value < 0) return false;
    b.halfmoveClock = uint8_t(value);
    readNumber(blank + 1, blank + 1 + std::strlen(blank + 1), value);
    if (value < 1) return false;
    b.perftKeys[b.perftIndex] = b.history[0].key;
    return true;
}

}  // namespace

bool Board_BB64::setFromFEN(const char *text) {
    clear();
    const char *p = text;
    if (*p == ' ') return false;
    if (!readPlacement(*this, p) || *p++ != ' ') return false;
    if (!readSideToMove(*this, p) || *p++ != ' ') return false;
    if (!readCastlingField(*this, p)) return false;
    ++p;
    if (!readEnPassant(*this, p)) return false;
    // The counters are optional.
    if (*p == 0) return true;
    if (*p != ' ') return false;
    return readCounters(*this, p + 1);
}

void Board_BB64::toFEN(char *buffer, FenStyle style) const {
    char *out = buffer;
    for (int rank = 7; rank >= 0; --rank) {
        int empty = 0;
        for (int file = 0; file < 8; ++file) {
            const Square s = makeSquare(file, rank);
            if (!pieceOn[s]) {
                ++empty;
                continue;
            }
            if (empty) *out++ = char('0' + empty), empty = 0;
            const char ch = PIECE_CHARS[pieceOn[s]];
            *out++ = colorOn[s] == WHITE ? char(ch - 'a' + 'A') : ch;
        }
        if (empty) *out++ = char('0' + empty);
        if (rank) *out++ = '/';
    }
    *out++ = ' ';
    *out++ = sideToMove == BLACK ? 'b' : 'w';
    *out++ = ' ';
    out = writeCastlingField(*this, style, out);
    *out++ = ' ';
    if (epSquare == NO_SQUARE) *out++ = '-';
    else {
        *out++ = char('a' + fileOf(epSquare));
        *out++ = char('1' + rankOf(epSquare));
    }
    *out++ = ' ';
    out = std::to_chars(out, out + 10, unsigned(halfmoveClock)).ptr;
    *out++ = ' ';
    out = std::to_chars(out, out + 10, unsigned(historyIndex / 2 + 1)).ptr;
    *out = 0;
}

bool Board_BB64::isConsistent() const {
    Bitboard all = 0;
    for (int i = 0; i < 6; ++i) {
        if (all & pieceBB[i]) return false;
        all |= pieceBB[i];
    }
    if (all != (colorBB[WHITE] | colorBB[BLACK]) || (colorBB[WHITE] & colorBB[BLACK])) return false;
    int16_t sums[2][2] = {};
    for (Square s = 0; s < 64; ++s) {
        const int pt = pieceOn[s];
        if (!pt) {
            if (colorOn[s] != NO_COLOUR || (all & squareBB(s))) return false;
            continue;
        }
        const Colour c = Colour(colorOn[s]);
        if (c > BLACK || !(pieceBB[pt - 1] & colorBB[c] & squareBB(s))) return false;
        sums[c][0] = int16_t(sums[c][0] + pstValue(c, pt, s).mg());
        sums[c][1] = int16_t(sums[c][1] + pstValue(c, pt, s).eg());
    }
    if (std::memcmp(sums, pstScore, sizeof sums) != 0) return false;
    return key() == computeKey() && pawnKey() == pawnHashKey();
}

PieceIterator::PieceIterator(const Board_BB64 &b, Colour c, int lowestType)
    : board(b), colour(c), type(KING), lowest(lowestType), remaining(b.pieces(c, KING)), last(0) {}

Square PieceIterator::next() {
    if (last == NO_SQUARE) return NO_SQUARE;
    while (!remaining) {
        if (type <= lowest) return last = NO_SQUARE;
        --type;
        remaining = board.pieces(colour, type);
    }
    return last = popLsb(remaining);
}
