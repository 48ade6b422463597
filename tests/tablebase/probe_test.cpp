// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "board/board.h"
#include "tablebase/module.h"
#include "tablebase/probe.h"
#include "tests/tablebase/synthetic.h"

namespace {

constexpr uint32_t FAKE_POSITIONS = 29568;  // two blocks per side, the second one short

// Stands in for the index functions: any fixed spread of placements over the index range
// will do, since the synthetic files are written through the same function.
bool fakeEncode(const Square *white, const Square *black, uint32_t &index) {
    if (white[0] == 0) return false;  // a king on a1 has no index here
    uint32_t h = 0;
    for (const Square *list : {white, black})
        for (int i = 0; list[i] != NO_SQUARE; ++i) h = h * 67 + uint32_t(list[i]) + 1;
    index = h % FAKE_POSITIONS;
    return true;
}
void fakeDecode(uint32_t, Square *, Square *) {}

uint8_t storedValue(int side, uint32_t index) { return uint8_t((index * 31 + side * 7) % 251); }

struct Pos {
    std::vector<Square> white, black;
    std::vector<uint8_t> whiteCodes, blackCodes;
};

uint16_t expectedAnswer(const Pos &p, int side) {
    auto w = p.white, b = p.black;
    w.push_back(NO_SQUARE), b.push_back(NO_SQUARE);
    uint32_t index = 0;
    fakeEncode(w.data(), b.data(), index);
    return storedByteToAnswer(storedValue(side, index), side);
}

class SyntheticTablebase : public ::testing::Test {
protected:
    std::string dir;
    GaviotaTables tables;
    void SetUp() override { dir = makeTempDirectory("tbprobe"); }
    void TearDown() override {
        tables.close();
        attachIndexClasses();  // the real index functions again
        std::filesystem::remove_all(dir);
    }
    // Squares and codes as the probe takes them, each list closed by its end mark.
    bool probe(const Pos &p, int side, bool mayRead, unsigned &info, unsigned &plies, int ep = NO_SQUARE) {
        auto w = p.white, b = p.black;
        auto wc = p.whiteCodes, bc = p.blackCodes;
        w.push_back(NO_SQUARE), b.push_back(NO_SQUARE), wc.push_back(0), bc.push_back(0);
        return tables.probe(side, ep, w.data(), b.data(), wc.data(), bc.data(), mayRead, info, plies);
    }
    void write(const char *name, const Bytes &data, int scheme = 9) {
        ASSERT_TRUE(writeFile(tbFileName(dir, name, scheme), data));
    }
    void writeStored(const char *name, const std::function<uint8_t(int, uint32_t)> &value = storedValue) {
        write(name, buildTablebaseFile(FAKE_POSITIONS, value, [](const Bytes &b) { return b; }));
    }
    // The module with fake index functions on the named rows.
    void start(int scheme, std::initializer_list<const char *> names, int cacheMb = 1) {
        ASSERT_TRUE(tables.open(scheme, {dir}, 4));
        for (const char *name : names) {
            TablebaseEndgame &e = tablebaseEndgames[findEndgame(name)];
            e.positionsPerSide = FAKE_POSITIONS;
            e.encode = fakeEncode;
            e.decode = fakeDecode;
        }
        ASSERT_TRUE(tables.setCache(cacheMb));
    }
    bool isOpen(const char *name) { return tables.module().files[findEndgame(name)] != nullptr; }
    int32_t status(const char *name) { return tables.module().status[findEndgame(name)]; }
};

const Pos KQK_SAMPLES[] = {
    {{4, 20}, {60}, {KING, QUEEN}, {KING}},
    {{36, 0}, {63}, {KING, QUEEN}, {KING}},
    {{9, 50}, {27}, {KING, QUEEN}, {KING}},
    {{62, 61}, {7}, {KING, QUEEN}, {KING}},
};

}  // namespace

TEST(TablebaseFiles, NamesAndDirectoryLists) {
    EXPECT_EQ(tbFileName("C:/gtb", "kqkr", 4), "C:/gtb/kqkr.gtb.cp4");
    EXPECT_EQ(tbFileName("tb/", "kqkr", 4), "tb/kqkr.gtb.cp4");
    EXPECT_EQ(tbFileName("", "kqkr", 4), "kqkr.gtb.cp4");
    EXPECT_EQ(tbFileName("tb", "kpk", 0), "tb/kpk.gtb");
#ifdef _WIN32
    EXPECT_EQ(tbFileName("C:\\gtb\\", "kqkr", 4), "C:\\gtb\\kqkr.gtb.cp4");
#endif
    EXPECT_EQ(tbSplitDirectories("a;;b;"), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(tbSplitDirectories(";"), std::vector<std::string>{});
    EXPECT_EQ(tbSplitDirectories("/x/y"), std::vector<std::string>{"/x/y"});
    const int limit = tbOpenFileLimitFromProcess();
    EXPECT_GE(limit, 4);
    EXPECT_LE(limit, 32);
}

TEST_F(SyntheticTablebase, AnswersComeFromTheRightBlockForEveryScheme) {
    const std::pair<int, std::function<Bytes(const Bytes &)>> schemes[] = {
        {9, [](const Bytes &b) { return b; }},
        {2, lzfCompress},
        {3, zlibCompress},
        {4, [](const Bytes &b) { return lzmaCompress(b, true, false); }},
    };
    for (const auto &[scheme, compress] : schemes) {
        write("kqk", buildTablebaseFile(FAKE_POSITIONS, storedValue, compress), scheme);
        start(scheme, {"kqk"});
        unsigned info = 9, plies = 9;
        // Cache only, nothing loaded yet: no answer.
        EXPECT_FALSE(probe(KQK_SAMPLES[0], WHITE, false, info, plies)) << scheme;
        for (const Pos &p : KQK_SAMPLES)
            for (int side : {WHITE, BLACK}) {
                ASSERT_TRUE(probe(p, side, true, info, plies)) << scheme;
                EXPECT_EQ(packAnswer(info, plies), expectedAnswer(p, side)) << scheme;
                EXPECT_TRUE(probe(p, side, false, info, plies)) << scheme;  // now cached
            }
        const TbStatistics stats = tables.statistics();
        EXPECT_EQ(stats.hardProbes, 8u);
        EXPECT_EQ(stats.softProbes, 9u);
        EXPECT_EQ(stats.softMisses, 1u);
        EXPECT_GT(stats.bytesRead, 0u);
        tables.close();
    }
    // Black king and queen against the White king are read as kqk seen from Black, and
    // the winner's code is exchanged back.
    const Pos blackQueen{{60}, {4, 20}, {KING}, {KING, QUEEN}};
    const Pos mirrored{{4 ^ 56, 20 ^ 56}, {60 ^ 56}, {KING, QUEEN}, {KING}};
    start(4, {"kqk"});
    for (int side : {WHITE, BLACK}) {
        unsigned info = 0, plies = 0;
        ASSERT_TRUE(probe(blackQueen, side, true, info, plies));
        const uint16_t want = expectedAnswer(mirrored, side ^ 1);
        EXPECT_EQ(info, (want & 7u) == 1 || (want & 7u) == 2 ? (want & 7u) ^ 3 : want & 7u);
        EXPECT_EQ(plies, want >> 3u);
    }
}

TEST_F(SyntheticTablebase, PositionsWithoutAnAnswer) {
    writeStored("kqk");
    start(9, {"kqk"});
    unsigned info = 0, plies = 0;
    // Two kings: a draw when apart, forbidden when touching or on one square.
    const uint8_t k[] = {KING, 0};
    const Square e1[] = {4, NO_SQUARE}, e8[] = {60, NO_SQUARE}, e2[] = {12, NO_SQUARE};
    EXPECT_TRUE(tables.probe(WHITE, NO_SQUARE, e1, e8, k, k, false, info, plies));
    EXPECT_EQ(info, TB_DRAW);
    EXPECT_EQ(plies, 0u);
    EXPECT_TRUE(tables.probe(BLACK, NO_SQUARE, e1, e2, k, k, false, info, plies));
    EXPECT_EQ(info, TB_FORBIDDEN);
    EXPECT_TRUE(tables.probe(BLACK, NO_SQUARE, e1, e1, k, k, false, info, plies));
    EXPECT_EQ(info, TB_FORBIDDEN);

    // No endgame has two White kings; a king on a1 has no index in the fake encoder; an
    // endgame whose file is missing; more than five men; squares and codes out of range.
    const Pos cases[] = {
        {{4, 12}, {60}, {KING, KING}, {KING}},
        {{0, 20}, {60}, {KING, QUEEN}, {KING}},
        {{4, 20}, {60}, {KING, ROOK}, {KING}},
        {{4, 8, 9, 10}, {60, 50}, {KING, PAWN, PAWN, PAWN}, {KING, PAWN}},
        {{4, 64 + 20}, {60}, {KING, QUEEN}, {KING}},
        {{4, 20}, {60}, {KING, 7}, {KING}},
    };
    for (const Pos &p : cases) {
        EXPECT_FALSE(probe(p, WHITE, true, info, plies));
        EXPECT_EQ(info, TB_FORBIDDEN);
    }
}

TEST_F(SyntheticTablebase, OldestFileClosesWhenTheLimitIsReached) {
    const char *names[] = {"kqk", "krk", "kbk", "knk", "kpk"};
    for (const char *name : names) writeStored(name);
    start(9, {"kqk", "krk", "kbk", "knk", "kpk"});
    tbCloseAllFiles(tables.module());
    const uint8_t piece[] = {QUEEN, ROOK, BISHOP, KNIGHT, PAWN};
    for (int i = 0; i < 5; ++i) {
        unsigned info = 0, plies = 0;
        ASSERT_TRUE(probe({{4, 20}, {60}, {KING, piece[i]}, {KING}}, WHITE, true, info, plies)) << names[i];
    }
    EXPECT_FALSE(isOpen("kqk"));
    for (int i = 1; i < 5; ++i) EXPECT_TRUE(isOpen(names[i])) << names[i];
}

TEST_F(SyntheticTablebase, DamagedFilesFailAndStayUnavailable) {
    const auto compress = [](const Bytes &b) { return lzmaCompress(b, true, false); };
    const Bytes good = buildTablebaseFile(FAKE_POSITIONS, storedValue, compress);
    Bytes decreasing = good, oversized = good, corrupt = good, badHeader = good;
    decreasing[44] ^= 0x7F;            // second offset jumps backwards or far ahead
    oversized[56 + 2] = 0x7F;          // the last offset claims 8 MB for the last block
    for (size_t i = good.size() - 200; i < good.size(); ++i) corrupt[i] ^= 0x5A;
    badHeader[32] = 39;
    badHeader[33] = badHeader[34] = badHeader[35] = 0;
    write("kqk", decreasing, 4);
    write("krk", oversized, 4);
    write("kbk", Bytes(good.begin(), good.end() - 300), 4);  // truncated
    write("knk", corrupt, 4);
    write("kpk", badHeader, 4);
    start(4, {"kqk", "krk", "kbk", "knk", "kpk"});
    const uint8_t piece[] = {QUEEN, ROOK, BISHOP, KNIGHT, PAWN};
    const char *names[] = {"kqk", "krk", "kbk", "knk", "kpk"};
    for (int i = 0; i < 5; ++i) {
        bool failed = false;
        // Walk placements until one lands in the damaged block (or the index is refused).
        for (Square s = 8; s < 56 && !failed; ++s) {
            unsigned info = 0, plies = 0;
            if (s == 4 || s == 60) continue;
            for (int side : {WHITE, BLACK})
                failed |= !probe({{4, s}, {60}, {KING, piece[i]}, {KING}}, side, true, info, plies);
        }
        EXPECT_TRUE(failed) << names[i];
        EXPECT_EQ(status(names[i]), TB_STATUS_UNAVAILABLE) << names[i];
    }
    // Unavailable until the next initialisation.
    ASSERT_TRUE(tables.open(4, {dir}, 4));
    EXPECT_EQ(status("knk"), TB_STATUS_FILES);
}

TEST_F(SyntheticTablebase, EnPassantCaptureIsTriedBesideTheTable) {
    // With the pawns on the board every position is a draw. After a capture in kpk the
    // side to move loses in 10 plies (so the capturer wins in 11); in kppk Black wins.
    const auto constant = [](uint8_t white, uint8_t black) {
        return [=](int side, uint32_t) { return side ? black : white; };
    };
    writeStored("kpkp", constant(0, 0));
    writeStored("kppkp", constant(0, 0));
    writeStored("kpk", constant(22, 21));
    writeStored("kppk", constant(0, 22));
    start(9, {"kpkp", "kppkp", "kpk", "kppk"});
    const Pos position{{4, 36}, {60, 35}, {KING, PAWN}, {KING, PAWN}};  // Ke1 Pe5, Ke8 Pd5
    unsigned info = 9, plies = 9;
    ASSERT_TRUE(probe(position, WHITE, true, info, plies, NO_SQUARE));
    EXPECT_EQ(info, TB_DRAW);
    ASSERT_TRUE(probe(position, WHITE, true, info, plies, 43));  // exd6
    EXPECT_EQ(packAnswer(info, plies), packAnswer(TB_WHITE_MATES, 11));
    ASSERT_TRUE(probe(position, WHITE, true, info, plies, 45));  // f6: no pawn to take
    EXPECT_EQ(info, TB_DRAW);
    ASSERT_TRUE(probe(position, BLACK, true, info, plies, 43));  // not Black's rank
    EXPECT_EQ(info, TB_DRAW);
    // Black takes: the result is kpk with the colours exchanged.
    const Pos blackTakes{{4, 27}, {60, 28}, {KING, PAWN}, {KING, PAWN}};  // Pd4, Pe4
    ASSERT_TRUE(probe(blackTakes, BLACK, true, info, plies, 19));          // exd3
    EXPECT_EQ(packAnswer(info, plies), packAnswer(TB_BLACK_MATES, 11));
    // A capture that loses is not taken.
    const Pos losing{{4, 36, 8}, {60, 35}, {KING, PAWN, PAWN}, {KING, PAWN}};
    ASSERT_TRUE(probe(losing, WHITE, true, info, plies, 43));
    EXPECT_EQ(info, TB_DRAW);
}

TEST_F(SyntheticTablebase, ConcurrentProbesAgree) {
    writeStored("kqk");
    start(9, {"kqk"}, 0);  // one cache block, so the threads keep replacing it
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int n = 0; n < 2000; ++n) {
                const Pos &p = KQK_SAMPLES[(n + t) % 4];
                const int side = (n / 4 + t) & 1;
                unsigned info = 0, plies = 0;
                if (!probe(p, side, true, info, plies) || packAnswer(info, plies) != expectedAnswer(p, side)) ++wrong;
            }
        });
    for (auto &th : threads) th.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST_F(SyntheticTablebase, BoardProbe) {
    write("kqk", buildTablebaseFile(FAKE_POSITIONS, storedValue, [](const Bytes &b) { return lzmaCompress(b, true, false); }), 4);
    start(4, {"kqk"});
    EXPECT_EQ(tables.module().cache.capacity(), 8u);
    initStaticTables();
    Board_BB64 board;
    ASSERT_TRUE(board.setFromFEN("4k3/8/8/8/8/4Q3/8/4K3 b - - 0 1"));
    unsigned info = 0, plies = 0, info2 = 0, plies2 = 0;
    ASSERT_TRUE(tables.probe(board, true, info, plies));
    ASSERT_TRUE(probe(KQK_SAMPLES[0], BLACK, true, info2, plies2));
    EXPECT_EQ(info, info2);
    EXPECT_EQ(plies, plies2);
    ASSERT_TRUE(board.setFromFEN("4k3/8/8/8/8/4Q3/PP6/4K3 b - - 0 1"));
    EXPECT_FALSE(tables.probe(board, true, info, plies));  // six men
}
