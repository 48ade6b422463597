// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Endgames played by the engine with the real tablebases: won positions are won as fast
// as the tables say, whatever the defence, and a drawn position is never lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "board/movegen.h"
#include "tablebase/probe.h"
#include "tests/xboard/engine_session.h"
#include "tests/test_support.h"
#include "platform/random.h"

namespace {

std::string gaviotaDir() { return testDataDir() + "/gaviota"; }

// The test's own probes: the mate score of b for the side to move, or false.
bool tablebaseScore(const Board_BB64 &b, int &score) {
    static GaviotaTables tables;
    static const bool open = tables.open(4, {gaviotaDir()}) && tables.setCache(8);
    unsigned info = TB_FORBIDDEN, plies = 0;
    if (!open || !tables.probe(b, true, info, plies) || info == TB_FORBIDDEN) return false;
    const unsigned weMate = b.side() == WHITE ? TB_WHITE_MATES : TB_BLACK_MATES;
    score = info == TB_DRAW ? 0 : info == weMate ? MATE_SCORE - int(plies) : int(plies) - MATE_SCORE;
    return true;
}

// The engine plays the side to move of fen; the test answers with random legal moves.
// Returns the engine's side's tablebase scores before each of its moves (last: mate
// or game end).
struct PlayResult {
    bool mated = false;
    int engineMoves = 0;
    std::vector<int> scores;
};

PlayResult playOut(const std::string &fen, int maxEngineMoves, unsigned seed) {
    PlayResult r;
    Board_BB64 b;
    b.setFromFEN(fen.c_str());
    EngineSession e({}, "ttHashSizeMB = 8\npawnHashSizeMB = 1\n");
    e.send("xboard");
    e.send("egtpath gaviota " + gaviotaDir());
    e.send("setboard " + fen);
    e.send("level 0 0:30 0");
    e.send("go");
    seedRandom(seed);
    for (; r.engineMoves < maxEngineMoves; ++r.engineMoves) {
        int s = 0;
        if (tablebaseScore(b, s)) r.scores.push_back(s);
        const auto move = e.waitFor([](auto &l) { return isMoveLine(l) || l.find(" {") != l.npos; }, 20s);
        if (!move || !isMoveLine(*move) || !playMoveText(b, move->substr(5))) break;
        MoveList list;
        const bool inCheck = generateAllLegal(b, list);
        if (list.size() == 0) {
            r.mated = inCheck;
            ++r.engineMoves;
            break;
        }
        char text[6];
        moveToText(list[uint32_t(nextRandom()) % list.size()], text);
        playMoveText(b, text);
        e.send(std::string("usermove ") + text);
    }
    e.send("quit");
    EXPECT_EQ(e.waitExit(), 0);
    return r;
}

}  // namespace

TEST(TablebasePlay, WinsKqkAndKrkFromRandomPositionsAgainstAnyDefence) {
    GRELVIN_REQUIRE_DATA_FILE(gaviotaDir() + "/kqk.gtb.cp4");
    initStaticTables();
    const char *fens[] = {"8/8/8/4k3/8/8/8/KQ6 w - - 0 1", "8/8/3k4/8/8/8/8/R3K3 w - - 0 1",
                          "1k6/8/8/8/4K3/8/8/7Q w - - 0 1", "8/8/8/8/8/2k5/8/K6R w - - 0 1"};
    unsigned seed = 1;
    for (const char *fen : fens) {
        Board_BB64 b;
        b.setFromFEN(fen);
        int start = 0;
        ASSERT_TRUE(tablebaseScore(b, start)) << fen;
        const int plies = MATE_SCORE - start;
        const PlayResult r = playOut(fen, 40, seed++);
        EXPECT_TRUE(r.mated) << fen;
        // Perfect play: the engine needs at most (plies + 1) / 2 moves, and every one of
        // its positions is still a win.
        EXPECT_LE(r.engineMoves, (plies + 1) / 2) << fen;
        for (int s : r.scores) EXPECT_GT(s, MATE_BOUND) << fen;
    }
}

TEST(TablebasePlay, DrawnEndgameIsNeverLostAndSettledRootsPrintDepthZero) {
    GRELVIN_REQUIRE_DATA_FILE(gaviotaDir() + "/kpk.gtb.cp4");
    initStaticTables();
    // Black to move holds the draw in front of the pawn.
    const char *fen = "4k3/8/8/4P3/4K3/8/8/8 b - - 0 1";
    const PlayResult r = playOut(fen, 15, 7);
    EXPECT_FALSE(r.mated);
    for (int s : r.scores) EXPECT_EQ(s, 0);

    EngineSession e({}, "ttHashSizeMB = 8\npawnHashSizeMB = 1\n");
    e.send("xboard");
    e.send("post");
    e.send("egtpath gaviota " + gaviotaDir());
    e.send("setboard 8/8/8/4k3/8/8/8/KQ6 w - - 0 1");
    e.send("go");
    EXPECT_TRUE(e.waitForPrefix("0 31983 "));  // depth 0, mate in 17 plies
    EXPECT_TRUE(e.waitFor(isMoveLine));
    // Analysis of a settled root shows the line but never plays the move.
    e.send("force");
    e.send("undo");
    e.send("analyze");
    EXPECT_TRUE(e.waitForPrefix("0 31983 "));
    e.send("exit");
    const auto got = e.sync();
    EXPECT_EQ(std::count_if(got.begin(), got.end(), isMoveLine), 0);
    e.send("quit");
    EXPECT_EQ(e.waitExit(), 0);
}

// Re-initialising while two threads probe: the search carries on with the new tables.
TEST(TablebasePlay, EgtpathAndOptionsDuringASearch) {
    GRELVIN_REQUIRE_DATA_FILE(gaviotaDir() + "/kpk.gtb.cp4");
    EngineSession e({"-cores", "2"}, "ttHashSizeMB = 8\npawnHashSizeMB = 1\n");
    e.send("xboard");
    e.send("egtpath gaviota " + gaviotaDir());
    e.send("setboard 8/8/1k6/8/2P5/1K6/1P6/8 w - - 0 1");
    e.send("analyze");
    for (int i = 0; i < 20; ++i) {
        e.send(i % 3 == 0 ? "egtpath gaviota " + gaviotaDir()
               : i % 3 == 1 ? "option gtbCacheSizeMB=" + std::to_string(i)
                            : "option gtbPath=/nonexistent;" + gaviotaDir());
        e.drain(20ms);
    }
    e.send("exit");
    e.send("quit");
    EXPECT_EQ(e.waitExit(), 0);
    const std::string err = e.errorOutput();
    EXPECT_EQ(err.find("Sanitizer"), std::string::npos) << err;
}
