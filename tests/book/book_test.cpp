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

namespace fs = std::filesystem;

namespace {

// "e2e4" or "e7e8q" in the book's move encoding.
uint16_t bookMove(const char *text) {
    const int fromFile = text[0] - 'a', fromRank = text[1] - '1';
    const int toFile = text[2] - 'a', toRank = text[3] - '1';
    const char *pieces = " nbrq";
    const int promotion = text[4] ? int(std::strchr(pieces, text[4]) - pieces) : 0;
    return uint16_t(toFile | toRank << 3 | fromFile << 6 | fromRank << 9 | promotion << 12);
}

uint64_t keyOf(const char *fen) {
    Board_BB64 b;
    b.setFromFEN(fen);
    return polyglotKey(b);
}

class BookFiles : public ::testing::Test {
protected:
    fs::path dir;

    void SetUp() override {
        const auto *info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir = fs::temp_directory_path() / ("grelvin-book-" + std::to_string(::getpid()) + "-" + info->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::string writeBytes(const std::string &name, const std::vector<unsigned char> &bytes) {
        const fs::path path = dir / name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(bytes.data()), bytes.size());
        return path.string();
    }
    // Entries are written in the order given, big-endian, 16 bytes each.
    std::string writeBook(const std::string &name, const std::vector<BookEntry> &entries) {
        std::vector<unsigned char> bytes;
        for (const BookEntry &e : entries) {
            for (int shift = 56; shift >= 0; shift -= 8) bytes.push_back(uint8_t(e.key >> shift));
            for (int shift : {8, 0}) bytes.push_back(uint8_t(e.move >> shift));
            for (int shift : {8, 0}) bytes.push_back(uint8_t(e.weight >> shift));
            for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(uint8_t(e.learn >> shift));
        }
        return writeBytes(name, bytes);
    }
};

bool probeSilently(PolyglotBook &book, const Board_BB64 &b, Move &m, std::string &output) {
    ::testing::internal::CaptureStdout();
    const bool found = book.probeBook(b, m);
    output = ::testing::internal::GetCapturedStdout();
    return found;
}

}  // namespace

TEST_F(BookFiles, WeightsThreeToOneAreChosenAboutThreeToOne) {
    const uint64_t start = keyOf(START_FEN);
    // Neighbours with smaller and larger keys make the search and the gathering work.
    const std::string path = writeBook("w.bin", {{start - 5, bookMove("a2a3"), 50, 0},
                                                 {start, bookMove("e2e4"), 3, 0},
                                                 {start, bookMove("d2d4"), 1, 0},
                                                 {start + 1, bookMove("g1f3"), 50, 0},
                                                 {start + 9, bookMove("c2c4"), 50, 0}});
    PolyglotBook book(path.c_str());
    ASSERT_EQ(book.entryCount(), 5u);
    Board_BB64 b;
    b.setFromFEN(START_FEN);
    std::srand(20261206);
    int e4 = 0, d4 = 0;
    for (int i = 0; i < 4000; ++i) {
        Move m = NO_MOVE;
        ASSERT_TRUE(book.probeBook(b, m));
        if (m == makeMove(12, 28, NORMAL, 1)) ++e4;
        else if (m == makeMove(11, 27, NORMAL, 1)) ++d4;
        else FAIL() << "a move of another position";
    }
    EXPECT_GT(e4, 2 * d4);
    EXPECT_LT(e4, 4 * d4);
}

TEST_F(BookFiles, AllZeroWeightsGiveTheEntryFoundBySearch) {
    const uint64_t start = keyOf(START_FEN);
    // Three entries: the search's first midpoint is index 1.
    const std::string path = writeBook("z.bin", {{start, bookMove("e2e4"), 0, 0},
                                                 {start, bookMove("d2d4"), 0, 0},
                                                 {start, bookMove("c2c4"), 0, 0}});
    PolyglotBook book(path.c_str());
    Board_BB64 b;
    b.setFromFEN(START_FEN);
    for (int i = 0; i < 20; ++i) {
        Move m = NO_MOVE;
        ASSERT_TRUE(book.probeBook(b, m));
        EXPECT_EQ(m, makeMove(11, 27, NORMAL, 1));
    }
}

TEST(BookMoveConversion, CastlingPromotionEnPassantAndDoubleStep) {
    struct Case {
        const char *fen;
        const char *move;
        Move expected;
    } cases[] = {
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1h1", MOVE_WHITE_OO},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1g1", MOVE_WHITE_OO},
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1", "e1a1", MOVE_WHITE_OOO},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8h8", MOVE_BLACK_OO},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8c8", MOVE_BLACK_OOO},
        // Without the rook the king's step stays a plain (here illegal) king move.
        {"r3k3/8/8/8/8/8/8/R3K3 w Qq - 0 1", "e1g1", makeMove(4, 6)},
        {"4k3/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7e8q", makePromotion(52, 60, QUEEN)},
        {"4k3/8/8/8/8/8/p7/4K3 b - - 0 1", "a2a1n", makePromotion(8, 0, KNIGHT)},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", makeMove(36, 43, EN_PASSANT)},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5e6", makeMove(36, 44)},
        {"4k3/3p4/8/8/8/8/4P3/4K3 w - - 0 1", "e2e4", makeMove(12, 28, NORMAL, 1)},
        {"4k3/3p4/8/8/8/8/4P3/4K3 b - - 0 1", "d7d5", makeMove(51, 35, NORMAL, 1)},
        {"4k3/8/8/8/8/4P3/8/4K3 w - - 0 1", "e3e5", makeMove(20, 36)},  // not from the start rank
    };
    for (const Case &c : cases) {
        Board_BB64 b;
        ASSERT_TRUE(b.setFromFEN(c.fen)) << c.fen;
        Move m = NO_MOVE;
        ASSERT_TRUE(convertBookMove(b, bookMove(c.move), m)) << c.move;
        EXPECT_EQ(m, c.expected) << c.fen << " " << c.move;
    }
    Board_BB64 b;
    b.setFromFEN("4k3/4P3/8/8/8/8/8/4K3 w - - 0 1");
    Move m;
    EXPECT_FALSE(convertBookMove(b, uint16_t(bookMove("e7e8") | 5 << 12), m));
}

// After 1. e4 c5 2. Nf3 the book's d7d5 is a double step; playing it leaves an
// en-passant square only when a White pawn stands beside d5 (after 2. e5 instead).
TEST_F(BookFiles, BookDoubleStepSetsEnPassantSquareWhenCapturable) {
    struct Case {
        const char *fen;
        int epAfter;
    } cases[] = {{"rnbqkbnr/pp1ppppp/8/2p5/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2", NO_SQUARE},
                 {"rnbqkbnr/pp1ppppp/8/2p1P3/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 2", 43}};
    for (const Case &c : cases) {
        const std::string path = writeBook("d.bin", {{keyOf(c.fen), bookMove("d7d5"), 1, 0}});
        PolyglotBook book(path.c_str());
        Board_BB64 b;
        ASSERT_TRUE(b.setFromFEN(c.fen));
        Move m = NO_MOVE;
        ASSERT_TRUE(book.probeBook(b, m));
        EXPECT_EQ(m, makeMove(51, 35, NORMAL, 1));
        UndoInfo undo;
        b.makeMove(m, undo);
        EXPECT_EQ(b.epSquare, c.epAfter) << c.fen;
        EXPECT_EQ(b.key(), b.computeKey());
    }
}

TEST_F(BookFiles, CastlingEntryIsPlayedAsCastling) {
    const char *fen = "r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4";
    const std::string path = writeBook("c.bin", {{keyOf(fen), bookMove("e1h1"), 7, 0}});
    PolyglotBook book(path.c_str());
    Board_BB64 b;
    ASSERT_TRUE(b.setFromFEN(fen));
    Move m = NO_MOVE;
    ASSERT_TRUE(book.probeBook(b, m));
    EXPECT_EQ(m, MOVE_WHITE_OO);
}

TEST_F(BookFiles, EmptyMissingAndShortFiles) {
    Board_BB64 b;
    b.setFromFEN(START_FEN);
    Move m = NO_MOVE;
    std::string output;
    for (const std::string &path : {writeBytes("empty.bin", {}), (dir / "missing.bin").string()}) {
        PolyglotBook book(path.c_str());
        EXPECT_EQ(book.entryCount(), 0u);
        EXPECT_FALSE(probeSilently(book, b, m, output)) << path;
        EXPECT_EQ(output, "");
        EXPECT_FALSE(book.readBookEntry(0));
    }
    // Two whole entries and a tail of seven bytes: the tail is not an entry.
    const uint64_t start = keyOf(START_FEN);
    std::vector<BookEntry> entries = {{start, bookMove("e2e4"), 1, 0x01020304}, {start + 1, bookMove("d2d4"), 1, 0}};
    const std::string full = writeBook("full.bin", entries);
    std::vector<unsigned char> bytes(fs::file_size(full) + 7, 0xFF);
    std::ifstream(full, std::ios::binary).read(reinterpret_cast<char *>(bytes.data()), fs::file_size(full));
    PolyglotBook book(writeBytes("short.bin", bytes).c_str());
    EXPECT_EQ(book.entryCount(), 2u);
    ASSERT_TRUE(probeSilently(book, b, m, output));
    EXPECT_EQ(m, makeMove(12, 28, NORMAL, 1));
    const auto first = book.readBookEntry(0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->key, start);
    EXPECT_EQ(first->move, bookMove("e2e4"));
    EXPECT_EQ(first->learn, 0x01020304u);
    EXPECT_FALSE(book.readBookEntry(2));
    // Renaming counts the new file's entries.
    book.rename(full.c_str());
    EXPECT_EQ(book.entryCount(), 2u);
    book.rename((dir / "missing.bin").c_str());
    EXPECT_EQ(book.entryCount(), 0u);
}

// A folder opens like a file on this platform but cannot be read: the error is named.
TEST_F(BookFiles, ReadErrorIsReported) {
    fs::create_directories(dir / "folder.bin");
    PolyglotBook book((dir / "folder.bin").c_str());
    Board_BB64 b;
    b.setFromFEN(START_FEN);
    Move m = NO_MOVE;
    std::string output;
    EXPECT_FALSE(probeSilently(book, b, m, output));
    if (book.entryCount() > 0) {
        EXPECT_EQ(output, std::string("ERROR: ") + std::strerror(EISDIR) + "\n");
    }
}

// Random bytes with the probed position's key planted, so that damaged entries are
// actually chosen; some carry a legal move's squares with random promotion bits. Nothing
// but a legal move may come out, and playing it keeps the board sound.
TEST_F(BookFiles, CorruptEntriesNeverGiveAnIllegalMove) {
    const char *fens[] = {START_FEN, "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
                          "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 b - - 0 1",
                          "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1"};
    constexpr int FENS = sizeof fens / sizeof fens[0];
    std::mt19937_64 rng(12345);
    std::srand(777);
    int found = 0;
    for (int round = 0; round < 400; ++round) {
        Board_BB64 b;
        ASSERT_TRUE(b.setFromFEN(fens[round % FENS]));
        MoveList legal;
        generateAllLegal(b, legal);
        const uint64_t key = polyglotKey(b);
        std::vector<unsigned char> bytes(16 * (1 + rng() % 40) + rng() % 16);
        for (unsigned char &byte : bytes) byte = uint8_t(rng());
        for (size_t at = 0; at + 16 <= bytes.size(); at += 16) {
            if (rng() % 2 == 0) continue;
            for (int i = 0; i < 8; ++i) bytes[at + i] = uint8_t(key >> (56 - 8 * i));
            if (rng() % 4 != 0) continue;
            const Move near = legal[uint32_t(rng() % legal.size())];
            const int squares = (moveFrom(near) << 6) | moveTo(near);
            bytes[at + 8] = uint8_t((rng() % 8) << 4 | squares >> 8);
            bytes[at + 9] = uint8_t(squares);
        }
        PolyglotBook book(writeBytes("r.bin", bytes).c_str());
        Move m = NO_MOVE;
        if (!book.probeBook(b, m)) continue;
        ++found;
        bool listed = false;
        for (const ScoredMove &s : legal) listed |= s.move == m;
        EXPECT_TRUE(listed) << fens[round % FENS] << " move " << m;
        UndoInfo undo;
        b.makeMove(m, undo);
        EXPECT_TRUE(b.isConsistent());
    }
    EXPECT_GT(found, 10);  // the guard must not refuse everything
}

TEST_F(BookFiles, WellFormedIllegalMoveIsRefused) {
    const std::string path = writeBook("i.bin", {{keyOf(START_FEN), bookMove("e2e5"), 1, 0}});
    PolyglotBook book(path.c_str());
    Board_BB64 b;
    b.setFromFEN(START_FEN);
    Move m = NO_MOVE;
    EXPECT_FALSE(book.probeBook(b, m));
    EXPECT_EQ(m, NO_MOVE);
}
