// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Castling set-up: the squares of each right, the FEN castling field in both styles,
// and the Chess960 start positions by number.
#include "board/castling.h"

#include <string>
#include <initializer_list>
#include <cstring>

#include "board/board.h"
#include "board/zobrist.h"

namespace {

constexpr int OO = 0, OOO = 1;  // added to a colour's first extra value (colour * 2)

// Squares of one rank from file a to file b, both included, in either order.
Bitboard rankSpan(Square a, Square b) {
    const Square lo = a < b ? a : b, hi = a < b ? b : a;
    Bitboard span = 0;
    for (Square s = lo; s <= hi; ++s) span |= squareBB(s);
    return span;
}

Bitboard backRank(Colour c) { return relativeRankBB(c, RANK_1); }

// The colour's king on its back rank, or NO_SQUARE when it has none there.
Square backRankKing(const Board_BB64 &b, Colour c) {
    const Bitboard kings = b.pieces(c, KING) & backRank(c);
    return kings ? lsb(kings) : NO_SQUARE;
}

// The colour's rook on its back rank farthest out on one wing of file kingFile.
Square outermostRook(const Board_BB64 &b, Colour c, int kingFile, int wing) {
    const Bitboard rooks = b.pieces(c, ROOK) & backRank(c);
    for (int step = 0; step < 8; ++step) {
        const int file = wing == OO ? FILE_H - step : FILE_A + step;
        if (wing == OO ? file <= kingFile : file >= kingFile) break;
        const Square s = makeSquare(file, relativeRank(c, RANK_1));
        if (rooks & squareBB(s)) return s;
    }
    return NO_SQUARE;
}

// The right a letter of the castling field gives, with its rook, or false when the
// letter means nothing in this position. K/Q/k/q without a rook on that wing keep
// their right on the corner square, which no castling can use: a sloppy field of a
// standard position is taken as before, not refused.
bool rightOfLetter(const Board_BB64 &b, char ch, int &extra, Square &rook) {
    const bool white = ch >= 'A' && ch <= 'Z';
    const Colour c = white ? WHITE : BLACK;
    const char lower = white ? char(ch - 'A' + 'a') : ch;
    const Square king = backRankKing(b, c);
    if (lower == 'k' || lower == 'q') {
        const int wing = lower == 'k' ? OO : OOO;
        extra = c * 2 + wing;
        rook = king == NO_SQUARE ? NO_SQUARE : outermostRook(b, c, fileOf(king), wing);
        if (rook == NO_SQUARE) rook = relativeSquare(c, wing == OO ? 7 : 0);
        return true;
    }
    if (lower < 'a' || lower > 'h' || king == NO_SQUARE) return false;
    rook = makeSquare(lower - 'a', relativeRank(c, RANK_1));
    if (!(b.pieces(c, ROOK) & squareBB(rook)) || fileOf(rook) == fileOf(king)) return false;
    extra = c * 2 + (fileOf(rook) > fileOf(king) ? OO : OOO);
    return true;
}

}  // namespace

void CastlingSetup::setStandard() {
    kingFrom[WHITE] = 4;
    kingFrom[BLACK] = 60;
    rookFrom[0] = 7;
    rookFrom[1] = 0;
    rookFrom[2] = 63;
    rookFrom[3] = 56;
    build();
}

void CastlingSetup::build() {
    std::memset(rightsLost, 0, sizeof rightsLost);
    for (int extra = 0; extra < 4; ++extra) {
        const Square king = kingFrom[extra >> 1], rook = rookFrom[extra];
        const Square kingTo = CASTLE_KING_TO[extra], rookTo = CASTLE_ROOK_TO[extra];
        path[extra] = (rankSpan(king, kingTo) | rankSpan(rook, rookTo)) & ~squareBB(king) & ~squareBB(rook);
        kingPass[extra] = rankSpan(king, kingTo) & ~squareBB(king) & ~squareBB(kingTo);
        rightsLost[king] |= uint8_t(1 << extra);
        rightsLost[rook] |= uint8_t(1 << extra);
        moves[extra] = makeMove(king, kingTo, CASTLING, extra);
    }
}

bool readCastlingField(Board_BB64 &b, const char *&p) {
    if (*p == '-') return *++p == ' ';
    int kingFile[2] = {FILE_E, FILE_E};
    for (Colour c : {WHITE, BLACK})
        if (const Square k = backRankKing(b, c); k != NO_SQUARE) kingFile[c] = fileOf(k);
    for (; *p && *p != ' '; ++p) {
        int extra;
        Square rook;
        if (!rightOfLetter(b, *p, extra, rook)) return false;
        const int right = 1 << extra;
        // KQkq letters come in that order; file letters in any order within a colour,
        // but no right twice and White's before Black's.
        const bool fileLetter = *p != 'K' && *p != 'Q' && *p != 'k' && *p != 'q';
        const int laterColour = extra < 2 ? (BLACK_OO | BLACK_OOO) : 0;
        if (b.castlingRights & (fileLetter ? right | laterColour : ~(right - 1))) return false;
        b.castlingRights |= uint8_t(right);
        b.castling.rookFrom[extra] = uint8_t(rook);
        b.history[0].key ^= zobristCastle[right];
    }
    for (Colour c : {WHITE, BLACK}) b.castling.kingFrom[c] = uint8_t(makeSquare(kingFile[c], relativeRank(c, RANK_1)));
    b.castling.build();
    return *p == ' ';
}

char *writeCastlingField(const Board_BB64 &b, FenStyle style, char *out) {
    if (!b.castlingRights) *out++ = '-';
    for (int extra = 0; extra < 4; ++extra) {
        if (!(b.castlingRights & (1 << extra))) continue;
        const Colour c = Colour(extra >> 1);
        const Square rook = b.castling.rookFrom[extra];
        const bool outermost = outermostRook(b, c, fileOf(rook), extra & 1) == NO_SQUARE;
        // A right kept without its rook (see rightOfLetter) has only the letter form.
        const bool inPlace = (b.pieces(c, ROOK) & squareBB(rook)) && backRankKing(b, c) != NO_SQUARE;
        const bool wingLetter = outermost && (style == FenStyle::X_FEN || !inPlace);
        char ch = wingLetter ? "kq"[extra & 1] : char('a' + fileOf(rook));
        *out++ = c == WHITE ? char(ch - 'a' + 'A') : ch;
    }
    return out;
}

bool chess960BackRank(int n, char rank[9]) {
    if (n < 0 || n > 959) return false;
    std::memset(rank, 0, 9);
    rank[2 * (n % 4) + 1] = 'B';  // light-squared bishop: b, d, f or h
    n /= 4;
    rank[2 * (n % 4)] = 'B';  // dark-squared bishop: a, c, e or g
    n /= 4;
    // The other pieces go on the free squares, counted from the a-file.
    auto place = [rank](int freeIndex, char piece) {
        for (int file = 0; file < 8; ++file)
            if (!rank[file] && freeIndex-- == 0) {
                rank[file] = piece;
                return;
            }
    };
    place(n % 6, 'Q');
    n /= 6;
    // The ten ways of putting two knights on five free squares, in order.
    static constexpr int KNIGHTS[10][2] = {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 2},
                                           {1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}};
    place(KNIGHTS[n][1], 'N');  // the later one first, so the earlier index still counts right
    place(KNIGHTS[n][0], 'N');
    place(0, 'R');
    place(0, 'K');
    place(0, 'R');
    return true;
}

bool chess960Fen(int n, FenStyle style, char *buffer) {
    char rank[9];
    if (!chess960BackRank(n, rank)) return false;
    char black[9];
    for (int i = 0; i < 8; ++i) black[i] = char(rank[i] - 'A' + 'a');
    black[8] = 0;
    char rights[5] = "KQkq";
    if (style == FenStyle::SHREDDER) {
        const char *a = std::strchr(rank, 'R'), *h = std::strrchr(rank, 'R');
        rights[0] = char('A' + (h - rank));
        rights[1] = char('A' + (a - rank));
        rights[2] = char('a' + (h - rank));
        rights[3] = char('a' + (a - rank));
    }
    const std::string fen = std::string(black) + "/pppppppp/8/8/8/8/PPPPPPPP/" + rank + " w " + rights + " - 0 1";
    std::memcpy(buffer, fen.c_str(), fen.size() + 1);
    return true;
}
