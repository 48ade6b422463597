// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The test books (made from the engine's own games by scripts/make_book): the probe
// answers moves that the file lists, and following
// them keeps finding book moves.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "board/movegen.h"
#include "book/book.h"
#include "book/polyglot_keys.h"
#include "tests/test_support.h"
#include "platform/random.h"

namespace {

// Probes, checks the answer against the moves the file lists for the position (read
// straight from its bytes; castling as king takes rook) and plays it.
bool playBookMove(PolyglotBook &book, const std::string &path, Board_BB64 &b, std::string &played) {
    Move m = NO_MOVE;
    if (!book.probeBook(b, m)) return false;
    std::set<std::string> listed;
    std::ifstream in(path, std::ios::binary);
    for (unsigned char e[16]; in.read(reinterpret_cast<char *>(e), 16);) {
        uint64_t key = 0;
        for (int i = 0; i < 8; ++i) key = key << 8 | e[i];
        const int from = (e[8] << 2 | e[9] >> 6) & 63, promotion = (e[8] >> 4) & 7;
        int to = e[9] & 63;
        if (b.pieceOn[from] == KING && std::abs((to & 7) - (from & 7)) > 1) to = from + (to > from ? 2 : -2);
        if (key == polyglotKey(b))
            listed.insert({char('a' + (from & 7)), char('1' + (from >> 3)), char('a' + (to & 7)),
                           char('1' + (to >> 3)), " nbrq"[promotion]});
    }
    char text[6];
    moveToText(m, text);
    const std::string padded = text[4] ? text : std::string(text) + " ";
    EXPECT_TRUE(listed.count(padded)) << text << " is not in the book";
    played += std::string(text) + " ";
    UndoInfo undo;
    b.makeMove(m, undo);
    return true;
}

}  // namespace

TEST(RealBooks, SelfPlayBookLeadsSeveralMovesDeep) {
    const std::string path = inTreeDataDir() + "/books/selfplay.bin";
    GRELVIN_REQUIRE_DATA_FILE(path);
    PolyglotBook book(path.c_str());
    for (unsigned seed : {1u, 2u, 3u, 4u, 5u}) {
        seedRandom(seed);
        Board_BB64 b;
        b.setFromFEN(START_FEN);
        std::string played;
        for (int ply = 0; ply < 6; ++ply) EXPECT_TRUE(playBookMove(book, path, b, played)) << played;
    }
}

// The tiny book holds Black's moves of one trap line, ending in a knight promotion.
TEST(RealBooks, TinyBookAnswersEveryMoveOfItsLine) {
    const std::string path = inTreeDataDir() + "/books/lasker-trap.bin";
    GRELVIN_REQUIRE_DATA_FILE(path);
    PolyglotBook book(path.c_str());
    Board_BB64 b;
    b.setFromFEN(START_FEN);
    std::string played;
    EXPECT_FALSE(playBookMove(book, path, b, played));  // White's first move is not in it
    for (const char *white : {"d2d4", "c2c4", "d4e5", "e2e3", "c1d2", "d2b4", "e1e2"}) {
        Move m;
        ASSERT_TRUE(textToMove(b, white, m));
        UndoInfo undo;
        b.makeMove(m, undo);
        ASSERT_TRUE(playBookMove(book, path, b, played)) << "after " << white;
    }
    EXPECT_EQ(played, "d7d5 e7e5 d5d4 f8b4 d4e3 e3f2 f2g1n ");
}
