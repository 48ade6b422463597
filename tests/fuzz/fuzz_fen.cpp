// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// setFromFEN on arbitrary text: an accepted position reads back from its FEN in either castling
// style; every legal move parses back from its text, predicts its checks and unmakes exactly.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "board/board.h"
#include "board/movegen.h"
#include "tools/perft.h"

namespace {

void requireThat(bool condition) {
    if (!condition) std::abort();
}

void readBackInEitherStyle(const Board_BB64 &board) {
    for (FenStyle style : {FenStyle::X_FEN, FenStyle::SHREDDER}) {
        char fen[128], again[128];
        board.toFEN(fen, style);
        Board_BB64 read;
        requireThat(read.setFromFEN(fen));
        requireThat(read.key() == board.key() && read.castlingRights == board.castlingRights);
        for (int extra = 0; extra < 4; ++extra)
            if (board.castlingRights & (1 << extra)) {
                requireThat(read.castling.move(extra) == board.castling.move(extra));
                requireThat(read.castling.rookFrom[extra] == board.castling.rookFrom[extra]);
            }
        read.toFEN(again, style);
        requireThat(style != FenStyle::X_FEN || std::strcmp(fen, again) == 0);
    }
}

void playEveryMove(Board_BB64 &board) {
    MoveList list;
    generateAllLegal(board, list);
    char before[128], after[128];
    board.toFEN(before);
    const uint64_t key = board.key();
    for (uint32_t i = 0; i < list.count; ++i) {
        const Move move = list.moves[i].move;
        requireThat(isValidMove(board, move));
        for (CastlingText style : {CastlingText::KING_TAKES_ROOK, CastlingText::O_O}) {
            char text[6];
            moveToText(move, MoveNotation(board.castling, style), text);
            Move parsed = NO_MOVE;
            requireThat(textToMove(board, text, parsed) && parsed == move);
        }
        AttackInfo checks;
        checkersAfter(board, move, checks);
        UndoInfo undo;
        board.makeMove(move, undo);
        requireThat(board.isConsistent());
        const Colour side = board.side();
        requireThat((checks.count != 0) == isAttackedBy(board, opposite(side), board.kingSquare(side)));
        board.unmakeMove(move, undo);
        board.toFEN(after);
        requireThat(std::strcmp(before, after) == 0 && board.key() == key);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool ready = (initStaticTables(), true);
    (void)ready;
    const std::string text(reinterpret_cast<const char *>(data), size);
    Board_BB64 board;
    if (!board.setFromFEN(text.c_str())) return 0;
    requireThat(board.isConsistent());
    readBackInEitherStyle(board);
    if (isPlayable(board)) playEveryMove(board);
    return 0;
}
