// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The opening book on arbitrary file contents: every move it answers must be legal.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "board/board.h"
#include "board/movegen.h"
#include "book/book.h"

namespace {

const std::string &bookPath() {
    static const std::string path = "/tmp/grelvin-fuzz-book-" + std::to_string(getpid()) + ".bin";
    return path;
}

bool isLegalHere(Board_BB64 &board, Move move) {
    MoveList list;
    generateAllLegal(board, list);
    return std::any_of(list.begin(), list.end(), [move](const ScoredMove &s) { return s.move == move; });
}

// Probes the position, then follows the book's own answer for a few plies.
void followBook(PolyglotBook &book, Board_BB64 &board) {
    for (int ply = 0; ply < 8; ++ply) {
        Move move = 0;
        if (!book.probeBook(board, move)) return;
        if (!isLegalHere(board, move)) std::abort();
        UndoInfo undo;
        board.makeMove(move, undo);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool ready = [] {
        initStaticTables();
        std::atexit([] { std::remove(bookPath().c_str()); });
        return true;
    }();
    (void)ready;
    if (!std::ofstream(bookPath(), std::ios::binary).write(reinterpret_cast<const char *>(data), std::streamsize(size)))
        return 0;

    PolyglotBook book(bookPath().c_str());
    const uint64_t count = book.entryCount();
    if (count > 0) {
        book.readBookEntry(0);
        book.readBookEntry(count - 1);
    }
    book.readBookEntry(count);

    Board_BB64 board;
    board.setFromFEN(START_FEN);
    followBook(book, board);
    // Castling and en passant in reach.
    board.setFromFEN("r3k2r/pppq1ppp/2np1n2/2b1p1B1/2B1P1b1/2NP1N2/PPPQ1PPP/R3K2R w KQkq - 0 1");
    followBook(book, board);
    return 0;
}
