// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Coordinate notation ("e2e4", "e7e8q"), the only notation the engine speaks.
#include <cctype>

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

bool textToMove(Board_BB64 &b, const char *text, Move &move) {
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
        if (moveFrom(sm.move) == from && moveTo(sm.move) == to && promotionPiece(sm.move) == promoted) {
            move = sm.move;
            return true;
        }
    return false;
}
