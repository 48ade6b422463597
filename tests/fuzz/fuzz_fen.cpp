// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// setFromFEN on arbitrary text. A position it accepts must be consistent, must print
// back to a FEN that reads again into the same position, and, when it can be played,
// every legal move must make and unmake back to the same keys.
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

void playEveryMove(Board_BB64 &board) {
    MoveList list;
    generateAllLegal(board, list);
    const uint64_t key = board.key();
    for (uint32_t i = 0; i < list.count; ++i) {
        UndoInfo undo;
        const Move move = list.moves[i].move;
        board.makeMove(move, undo);
        requireThat(board.isConsistent());
        board.unmakeMove(move, undo);
        requireThat(board.key() == key);
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

    char fen[128];
    board.toFEN(fen);
    Board_BB64 again;
    requireThat(again.setFromFEN(fen));
    char fenAgain[128];
    again.toFEN(fenAgain);
    requireThat(std::strcmp(fen, fenAgain) == 0);
    requireThat(again.key() == board.key());

    if (isPlayable(board)) playEveryMove(board);
    return 0;
}
