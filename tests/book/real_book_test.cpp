// The shared real books: from the start position the probe answers a move of the book,
// and following book moves keeps finding book moves.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "board/movegen.h"
#include "book/book.h"
#include "book/polyglot_keys.h"
#include "tests/test_support.h"

namespace {

// The moves the file lists for a key, read straight from the bytes, as coordinate text
// ("e1h1" for castling is the king's destination, so it is written "e1g1").
std::set<std::string> movesInFile(const std::string &path, uint64_t key, const Board_BB64 &b) {
    std::set<std::string> moves;
    std::ifstream in(path, std::ios::binary);
    unsigned char e[16];
    while (in.read(reinterpret_cast<char *>(e), 16)) {
        uint64_t k = 0;
        for (int i = 0; i < 8; ++i) k = k << 8 | e[i];
        if (k != key) continue;
        const int m = e[8] << 8 | e[9];
        const int from = (m >> 6) & 63;
        int to = m & 63;
        if (b.pieceOn[from] == KING && std::abs((to & 7) - (from & 7)) > 1) to = from + (to > from ? 2 : -2);
        std::string text = {char('a' + (from & 7)), char('1' + (from >> 3)), char('a' + (to & 7)),
                            char('1' + (to >> 3))};
        if (const int promotion = (m >> 12) & 7) text += " nbrq"[promotion];
        moves.insert(text);
    }
    return moves;
}

// Plays book moves from the start position; returns how many plies stayed in the book.
int followBook(const std::string &path, int maxPlies) {
    PolyglotBook book(path.c_str());
    Board_BB64 b;
    b.setFromFEN(START_FEN);
    int plies = 0;
    for (; plies < maxPlies; ++plies) {
        Move m = NO_MOVE;
        if (!book.probeBook(b, m)) break;
        char text[6];
        moveToText(m, text);
        const std::set<std::string> listed = movesInFile(path, polyglotKey(b), b);
        EXPECT_TRUE(listed.count(text)) << "ply " << plies << ": " << text << " is not in the book";
        UndoInfo undo;
        b.makeMove(m, undo);
    }
    return plies;
}

}  // namespace

TEST(RealBooks, LargeBookLeadsSeveralMovesDeep) {
    const std::string path = testDataDir() + "/books/performance.bin";
    GRELVIN_REQUIRE_DATA_FILE(path);
    for (unsigned seed : {1u, 2u, 3u, 4u, 5u}) {
        std::srand(seed);
        EXPECT_GE(followBook(path, 6), 6) << "seed " << seed;
    }
}

// The tiny book holds Black's moves of one trap line: White's moves come from here, and
// Black's last book move is a knight promotion.
TEST(RealBooks, TinyBookAnswersEveryMoveOfItsLine) {
    const std::string path = testDataDir() + "/books/lasker-trap.bin";
    GRELVIN_REQUIRE_DATA_FILE(path);
    PolyglotBook book(path.c_str());
    Board_BB64 b;
    b.setFromFEN(START_FEN);
    Move m = NO_MOVE;
    EXPECT_FALSE(book.probeBook(b, m));  // White's first move is not in it
    std::string played;
    for (const char *white : {"d2d4", "c2c4", "d4e5", "e2e3", "c1d2", "d2b4", "e1e2"}) {
        UndoInfo undo;
        ASSERT_TRUE(textToMove(b, white, m));
        b.makeMove(m, undo);
        const std::set<std::string> listed = movesInFile(path, polyglotKey(b), b);
        ASSERT_TRUE(book.probeBook(b, m)) << "after " << white;
        char text[6];
        moveToText(m, text);
        EXPECT_TRUE(listed.count(text)) << text;
        played += std::string(text) + " ";
        b.makeMove(m, undo);
    }
    EXPECT_EQ(played, "d7d5 e7e5 d5d4 f8b4 d4e3 e3f2 f2g1n ");
}
