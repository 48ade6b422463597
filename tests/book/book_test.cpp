// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Books written byte by byte into a temporary folder: lookup, weighted choice, move
// conversion and damaged files.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "board/movegen.h"
#include "book/book.h"
#include "book/polyglot_keys.h"
#include "platform/random.h"

namespace fs = std::filesystem;

namespace {

// "e2e4" or "e7e8q" in the book's move encoding.
uint16_t bookMove(const char *text) {
    const int promotion = text[4] ? int(std::strchr(" nbrq", text[4]) - " nbrq") : 0;
    return uint16_t((text[2] - 'a') | (text[3] - '1') << 3 | (text[0] - 'a') << 6 | (text[1] - '1') << 9 |
                    promotion << 12);
}

uint64_t keyOf(const char *fen) {
    Board_BB64 b;
    b.setFromFEN(fen);
    return polyglotKey(b);
}

std::vector<unsigned char> entryBytes(const std::vector<BookEntry> &entries) {
    std::vector<unsigned char> bytes;
    for (const BookEntry &e : entries)
        for (auto [value, size] : {std::pair<uint64_t, int>{e.key, 8}, {e.move, 2}, {e.weight, 2}, {e.learn, 4}})
            for (int i = size - 1; i >= 0; --i) bytes.push_back(uint8_t(value >> (8 * i)));
    return bytes;
}

class BookFiles : public ::testing::Test {
protected:
    fs::path dir = fs::temp_directory_path() /
                   ("grelvin-book-" + std::to_string(::getpid()) + "-" +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
    Board_BB64 start;

    void SetUp() override {
        fs::create_directories(dir);
        start.setFromFEN(START_FEN);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string write(const std::string &name, const std::vector<unsigned char> &bytes) {
        std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), bytes.size());
        return (dir / name).string();
    }
};

// Probes with the standard output captured.
bool probe(PolyglotBook &book, const Board_BB64 &b, Move &m, std::string &output) {
    ::testing::internal::CaptureStdout();
    const bool found = book.probeBook(b, m);
    output = ::testing::internal::GetCapturedStdout();
    return found;
}

constexpr Move E2E4 = makeMove(12, 28, NORMAL, 1), D2D4 = makeMove(11, 27, NORMAL, 1);

}  // namespace

TEST_F(BookFiles, WeightedChoiceAndZeroWeights) {
    const uint64_t key = keyOf(START_FEN);
    // Neighbours with other keys on both sides exercise the search and the gathering.
    PolyglotBook weighted(write("w.bin", entryBytes({{key - 5, bookMove("a2a3"), 50, 0},
                                                     {key, bookMove("e2e4"), 3, 0},
                                                     {key, bookMove("d2d4"), 1, 0},
                                                     {key + 1, bookMove("g1f3"), 50, 0}})).c_str());
    seedRandom(20261206);
    int e4 = 0, d4 = 0;
    for (int i = 0; i < 4000; ++i) {
        Move m = NO_MOVE;
        ASSERT_TRUE(weighted.probeBook(start, m));
        ASSERT_TRUE(m == E2E4 || m == D2D4) << m;
        (m == E2E4 ? e4 : d4)++;
    }
    EXPECT_GT(e4, 2 * d4);
    EXPECT_LT(e4, 4 * d4);
    // Three entries of weight 0: the search's first midpoint, index 1, is played.
    PolyglotBook zero(write("z.bin", entryBytes({{key, bookMove("e2e4"), 0, 0},
                                                 {key, bookMove("d2d4"), 0, 0},
                                                 {key, bookMove("c2c4"), 0, 0}})).c_str());
    for (int i = 0; i < 10; ++i) {
        Move m = NO_MOVE;
        ASSERT_TRUE(zero.probeBook(start, m));
        EXPECT_EQ(m, D2D4);
    }
}

TEST(BookMoveConversion, CastlingPromotionEnPassantAndDoubleStep) {
    const char *castle = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
    const char *epWhite = "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1";
    struct Case {
        const char *fen;
        const char *move;
        Move expected;
    } cases[] = {
        {castle, "e1h1", MOVE_WHITE_OO},
        {castle, "e1g1", MOVE_WHITE_OO},
        {castle, "e1a1", MOVE_WHITE_OOO},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8c8", MOVE_BLACK_OOO},
        {"r3k3/8/8/8/8/8/8/R3K3 w Qq - 0 1", "e1g1", makeMove(4, 6)},  // no rook: a plain king move
        {"4k3/8/8/8/8/8/p7/4K3 b - - 0 1", "a2a1n", makePromotion(8, 0, KNIGHT)},
        {epWhite, "e5d6", makeMove(36, 43, EN_PASSANT)},
        {epWhite, "e5e6", makeMove(36, 44)},
        {"4k3/8/8/8/8/4P3/8/4K3 w - - 0 1", "e3e5", makeMove(20, 36)},  // not from the start rank
    };
    for (const Case &c : cases) {
        Board_BB64 b;
        ASSERT_TRUE(b.setFromFEN(c.fen));
        Move m = NO_MOVE;
        ASSERT_TRUE(convertBookMove(b, bookMove(c.move), m));
        EXPECT_EQ(m, c.expected) << c.fen << " " << c.move;
    }
    Move m;
    EXPECT_FALSE(convertBookMove(Board_BB64(), uint16_t(bookMove("e7e8") | 5 << 12), m));
}

// After 1. e4 c5 2. Nf3 the book's d7d5 is a double step; it leaves an en-passant square
// only when a White pawn stands beside d5 (after 2. e5 instead).
TEST_F(BookFiles, BookDoubleStepSetsEnPassantSquareWhenCapturable) {
    for (auto [fen, epAfter] : {std::pair{"rnbqkbnr/pp1ppppp/8/2p5/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2", 64},
                                std::pair{"rnbqkbnr/pp1ppppp/8/2p1P3/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 2", 43}}) {
        PolyglotBook book(write("d.bin", entryBytes({{keyOf(fen), bookMove("d7d5"), 1, 0}})).c_str());
        Board_BB64 b;
        ASSERT_TRUE(b.setFromFEN(fen));
        Move m = NO_MOVE;
        ASSERT_TRUE(book.probeBook(b, m));
        EXPECT_EQ(m, makeMove(51, 35, NORMAL, 1));
        UndoInfo undo;
        b.makeMove(m, undo);
        EXPECT_EQ(b.epSquare, epAfter) << fen;
    }
}

TEST_F(BookFiles, EmptyMissingShortAndUnreadableFiles) {
    Move m = NO_MOVE;
    std::string output;
    for (const std::string &path : {write("empty.bin", {}), (dir / "missing.bin").string()}) {
        PolyglotBook book(path.c_str());
        EXPECT_EQ(book.entryCount(), 0u);
        EXPECT_FALSE(probe(book, start, m, output));
        EXPECT_EQ(output, "");
    }
    // Two whole entries and a tail of seven bytes that is not counted.
    std::vector<unsigned char> bytes = entryBytes({{keyOf(START_FEN), bookMove("e2e4"), 1, 0x01020304}});
    bytes.resize(32 + 7, 0xFF);
    PolyglotBook book(write("short.bin", bytes).c_str());
    EXPECT_EQ(book.entryCount(), 2u);
    ASSERT_TRUE(probe(book, start, m, output));
    EXPECT_EQ(m, E2E4);
    ASSERT_TRUE(book.readBookEntry(0));
    EXPECT_EQ(book.readBookEntry(0)->learn, 0x01020304u);
    EXPECT_FALSE(book.readBookEntry(2));
    book.rename((dir / "missing.bin").string().c_str());
    EXPECT_EQ(book.entryCount(), 0u);
    // A folder opens like a file here but cannot be read: the error is named.
    fs::create_directories(dir / "folder.bin");
    book.rename((dir / "folder.bin").string().c_str());
    EXPECT_FALSE(probe(book, start, m, output));
    EXPECT_EQ(output, "") << "the book prints nothing";
    if (book.entryCount() > 0) {
        EXPECT_EQ(book.lastReadError(), EISDIR);
    }
    // The next probe starts without the old error.
    book.rename(write("short.bin", bytes).c_str());
    ASSERT_TRUE(probe(book, start, m, output));
    EXPECT_EQ(book.lastReadError(), 0);
}

// Random bytes with the probed position's key planted, so that damaged entries are
// actually chosen; some carry a legal move's squares with random promotion bits. Only a
// legal move may come out, and playing it keeps the board sound.
TEST_F(BookFiles, CorruptEntriesNeverGiveAnIllegalMove) {
    const char *fens[] = {START_FEN, "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                          "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1"};
    std::mt19937_64 rng(12345);
    seedRandom(777);
    int found = 0;
    for (int round = 0; round < 200; ++round) {
        Board_BB64 b;
        ASSERT_TRUE(b.setFromFEN(fens[round % 4]));
        MoveList legal;
        generateAllLegal(b, legal);
        std::vector<unsigned char> bytes(16 * (1 + rng() % 40) + rng() % 16);
        for (unsigned char &byte : bytes) byte = uint8_t(rng());
        for (size_t at = 0; at + 16 <= bytes.size(); at += 16) {
            if (rng() % 2 == 0) continue;
            for (int i = 0; i < 8; ++i) bytes[at + i] = uint8_t(polyglotKey(b) >> (56 - 8 * i));
            if (rng() % 4 != 0) continue;
            const Move near = legal[uint32_t(rng() % legal.size())];
            bytes[at + 8] = uint8_t((rng() % 8) << 4 | moveFrom(near) >> 2);
            bytes[at + 9] = uint8_t(moveFrom(near) << 6 | moveTo(near));
        }
        PolyglotBook book(write("r.bin", bytes).c_str());
        Move m = NO_MOVE;
        if (!book.probeBook(b, m)) continue;
        ++found;
        EXPECT_TRUE(std::any_of(legal.begin(), legal.end(), [m](const ScoredMove &s) { return s.move == m; }))
            << fens[round % 4] << " move " << m;
        UndoInfo undo;
        b.makeMove(m, undo);
        EXPECT_TRUE(b.isConsistent());
    }
    EXPECT_GT(found, 10);  // the guard must not refuse everything
}
