// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Coordinate notation ("e2e4", "e7e8q"), the only notation the engine speaks, with
// castling also written as the king taking its rook or as O-O.
#include <cctype>
#include <cstring>

#include "board/movegen.h"

void moveToText(Move m, char *buffer) {
    const Square from = moveFrom(m), to = moveTo(m);
    buffer[0] = char('a' + fileOf(from));
    buffer[1] = char('1' + rankOf(from));
    buffer[2] = char('a' + fileOf(to));
    buffer[3] = char('1' + rankOf(to));
    buffer[4] = moveKind(m) == PROMOTION ? PIECE_CHARS[promotionPiece(m)] : 0;
    buffer[5] = 0;
}

void moveToText(Move m, const MoveNotation &notation, char *buffer) {
    moveToText(m, buffer);
    if (moveKind(m) != CASTLING || notation.castlingText == CastlingText::KING_DESTINATION) return;
    if (notation.castlingText == CastlingText::O_O) {
        std::strcpy(buffer, moveExtra(m) & 1 ? "O-O-O" : "O-O");
        return;
    }
    const Square rook = notation.rookFrom[moveExtra(m)];
    buffer[2] = char('a' + fileOf(rook));
    buffer[3] = char('1' + rankOf(rook));
}

namespace {

// "O-O", "O-O-O", with zeros too: the castling of that wing among the legal moves.
bool castlingByName(const char *text, const MoveList &list, Move &move) {
    const bool aSide = !std::strcmp(text, "O-O-O") || !std::strcmp(text, "0-0-0");
    if (!aSide && std::strcmp(text, "O-O") && std::strcmp(text, "0-0")) return false;
    for (const ScoredMove &sm : list)
        if (moveKind(sm.move) == CASTLING && (moveExtra(sm.move) & 1) == int(aSide)) {
            move = sm.move;
            return true;
        }
    return false;
}

}  // namespace

bool textToMove(Board_BB64 &b, const char *text, Move &move) {
    if (text[0] == 'O' || text[0] == '0') {
        MoveList list;
        generateAllLegal(b, list);
        return castlingByName(text, list, move);
    }
    for (int i = 0; i < 4; ++i)
        if (!text[i]) return false;
    const int fromFile = std::tolower(static_cast<unsigned char>(text[0])) - 'a';
    const int toFile = std::tolower(static_cast<unsigned char>(text[2])) - 'a';
    const int fromRank = text[1] - '1', toRank = text[3] - '1';
    if (fromFile < 0 || fromFile > 7 || toFile < 0 || toFile > 7 || fromRank < 0 || fromRank > 7 || toRank < 0 ||
        toRank > 7)
        return false;
    int promoted = 0;
    if (text[4]) {
        switch (std::tolower(static_cast<unsigned char>(text[4]))) {
        case 'q': promoted = QUEEN; break;
        case 'r': promoted = ROOK; break;
        case 'b': promoted = BISHOP; break;
        case 'n': promoted = KNIGHT; break;
        default: return false;
        }
    }
    const Square from = makeSquare(fromFile, fromRank), to = makeSquare(toFile, toRank);
    MoveList list;
    generateAllLegal(b, list);
    for (const ScoredMove &sm : list)
        if (moveFrom(sm.move) == from && moveTo(sm.move) == to && promotionPiece(sm.move) == promoted &&
            moveKind(sm.move) != CASTLING) {
            move = sm.move;
            return true;
        }
    // Castling: the king taking its own rook, or the king's destination when that is
    // no plain king move (a Chess960 king one step from it moves there as a king).
    for (const ScoredMove &sm : list)
        if (moveKind(sm.move) == CASTLING && moveFrom(sm.move) == from && !promoted &&
            (to == b.castling.rookFrom[moveExtra(sm.move)] || (to == moveTo(sm.move) && to != from))) {
            move = sm.move;
            return true;
        }
    return false;
}

bool readMove(Board_BB64 &b, std::string_view word, Move &move) {
    if (word.size() < 4 || word.size() > 5) return false;
    char text[6] = {};
    word.copy(text, word.size());
    return textToMove(b, text, move);
}
