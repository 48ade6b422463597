// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The opening book: published keys, books written byte by byte, and the checkout's books.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <sstream>

#include "board/movegen.h"
#include "book/book.h"
#include "book/polyglot_keys.h"
#include "platform/random.h"
#include "tests/tablebase/fixtures.h"
#include "tests/test_support.h"

namespace {

// "e2e4" or "e7e8q" in the book's move encoding.
uint16_t bookMove(const char *text) {
    const int promotion = text[4] ? int(std::strchr(" nbrq", text[4]) - " nbrq") : 0;
    return uint16_t((text[2] - 'a') | (text[3] - '1') << 3 | (text[0] - 'a') << 6 | (text[1] - '1') << 9 |
                    promotion << 12);
}

Bytes entryBytes(const std::vector<BookEntry> &entries) {
    Bytes bytes;
    for (const BookEntry &e : entries)
        for (auto [value, size] : {std::pair<uint64_t, int>{e.key, 8}, {e.move, 2}, {e.weight, 2}, {e.learn, 4}})
            for (int i = size - 1; i >= 0; --i) bytes.push_back(uint8_t(value >> (8 * i)));
    return bytes;
}

class BookFiles : public ::testing::Test {
protected:
    ScratchDir dir{"book"};
    Board_BB64 start;
    void SetUp() override { start.setFromFEN(START_FEN); }
    std::string write(const std::string &name, const Bytes &bytes) {
        writeBytes(dir / name, bytes);
        return dir / name;
    }
};

// Probes with the standard output captured: the book prints nothing.
bool probeQuietly(PolyglotBook &book, const Board_BB64 &b, Move &m) {
    ::testing::internal::CaptureStdout();
    const bool found = book.probeBook(b, m);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    return found;
}

constexpr Move E2E4 = makeMove(12, 28, NORMAL, 1), D2D4 = makeMove(11, 27, NORMAL, 1);

}  // namespace

TEST(PolyglotKey, PublishedKeysAfterMoves) {
    Board_BB64 b;
    for (const std::string &line : readCaseLines("book/published_keys.txt")) {
        std::istringstream in(line);
        std::string text;
        uint64_t key = 0;
        in >> text >> std::hex >> key;
        Move m = NO_MOVE;
        UndoInfo undo;
        if (text == "-") ASSERT_TRUE(b.setFromFEN(START_FEN));
        else ASSERT_TRUE(textToMove(b, text.c_str(), m)) << text;
        if (text != "-") b.makeMove(m, undo);
        EXPECT_EQ(polyglotKey(b), key) << "after " << text;
    }
}

// The compiled-in constants against the published list, every one of them.
TEST(PolyglotKey, ConstantsAreThePublishedList) {
    const std::vector<std::string> list = readCaseLines("data/polyglot-random64.txt");
    ASSERT_EQ(list.size(), POLYGLOT_RANDOM64.size());
    for (size_t i = 0; i < list.size(); ++i) EXPECT_EQ(POLYGLOT_RANDOM64[i], std::stoull(list[i], nullptr, 16)) << i;
}

TEST(BookMoveConversion, CastlingPromotionEnPassantAndDoubleStep) {
    const char *castle = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
    const char *epWhite = "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1";
    const struct {
        const char *fen, *move;
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
        // A double step, with a White pawn beside d5 or not.
        {"rnbqkbnr/pp1ppppp/8/2p5/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2", "d7d5", makeMove(51, 35, NORMAL, 1)},
        {"rnbqkbnr/pp1ppppp/8/2p1P3/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 2", "d7d5", makeMove(51, 35, NORMAL, 1)},
    };
    for (const auto &c : cases) {
        Board_BB64 b;
        ASSERT_TRUE(b.setFromFEN(c.fen));
        Move m = NO_MOVE;
        ASSERT_TRUE(convertBookMove(b, bookMove(c.move), m));
        EXPECT_EQ(m, c.expected) << c.fen << " " << c.move;
    }
    Move m;
    EXPECT_FALSE(convertBookMove(Board_BB64(), uint16_t(bookMove("e7e8") | 5 << 12), m));
}

TEST_F(BookFiles, WeightedChoiceAndZeroWeights) {
    const uint64_t key = polyglotKey(start);
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

TEST_F(BookFiles, EmptyMissingShortAndUnreadableFiles) {
    Move m = NO_MOVE;
    for (const std::string &path : {write("empty.bin", {}), dir / "missing.bin"}) {
        PolyglotBook book(path.c_str());
        EXPECT_EQ(book.entryCount(), 0u);
        EXPECT_FALSE(probeQuietly(book, start, m));
    }
    // Two whole entries and a tail of seven bytes that is not counted.
    Bytes bytes = entryBytes({{polyglotKey(start), bookMove("e2e4"), 1, 0x01020304}});
    bytes.resize(32 + 7, 0xFF);
    PolyglotBook book(write("short.bin", bytes).c_str());
    EXPECT_EQ(book.entryCount(), 2u);
    ASSERT_TRUE(probeQuietly(book, start, m));
    EXPECT_EQ(m, E2E4);
    ASSERT_TRUE(book.readBookEntry(0));
    EXPECT_EQ(book.readBookEntry(0)->learn, 0x01020304u);
    EXPECT_FALSE(book.readBookEntry(2));
    book.rename((dir / "missing.bin").c_str());
    EXPECT_EQ(book.entryCount(), 0u);
    // A folder opens like a file here but cannot be read: the error is named.
    std::filesystem::create_directories(dir / "folder.bin");
    book.rename((dir / "folder.bin").c_str());
    EXPECT_FALSE(probeQuietly(book, start, m));
    EXPECT_TRUE(book.entryCount() == 0 || book.lastReadError() == EISDIR) << book.lastReadError();
    // The next probe starts without the old error.
    book.rename(write("short.bin", bytes).c_str());
    ASSERT_TRUE(probeQuietly(book, start, m));
    EXPECT_EQ(book.lastReadError(), 0);
}

// Random bytes with the position's key planted, some with a legal move's squares and random
// promotion bits: only a legal move may come out.
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
        Bytes bytes(16 * (1 + rng() % 40) + rng() % 16);
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

namespace {

// Probes, checks the answer is among the file's moves for the position (read from its bytes) and plays it.
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
    EXPECT_TRUE(listed.count(text[4] ? text : std::string(text) + " ")) << text << " is not in the book";
    played += std::string(text) + " ";
    UndoInfo undo;
    b.makeMove(m, undo);
    return true;
}

}  // namespace

// The self-play book leads six plies deep; the tiny one holds Black's moves of a trap line.
TEST(RealBooks, BookMovesAreListedAndLeadOn) {
    const std::string selfplay = inTreeDataDir() + "/books/selfplay.bin";
    const std::string trap = inTreeDataDir() + "/books/lasker-trap.bin";
    PolyglotBook book(selfplay.c_str());
    for (unsigned seed : {1u, 2u, 3u, 4u, 5u}) {
        seedRandom(seed);
        Board_BB64 b;
        b.setFromFEN(START_FEN);
        std::string played;
        for (int ply = 0; ply < 6; ++ply) EXPECT_TRUE(playBookMove(book, selfplay, b, played)) << played;
    }
    PolyglotBook tiny(trap.c_str());
    Board_BB64 b;
    b.setFromFEN(START_FEN);
    std::string played;
    EXPECT_FALSE(playBookMove(tiny, trap, b, played));  // White's first move is not in it
    for (const char *white : {"d2d4", "c2c4", "d4e5", "e2e3", "c1d2", "d2b4", "e1e2"}) {
        Move m;
        ASSERT_TRUE(textToMove(b, white, m));
        UndoInfo undo;
        b.makeMove(m, undo);
        ASSERT_TRUE(playBookMove(tiny, trap, b, played)) << "after " << white;
    }
    EXPECT_EQ(played, "d7d5 e7e5 d5d4 f8b4 d4e3 e3f2 f2g1n ");
}
