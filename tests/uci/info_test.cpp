// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <gtest/gtest.h>

#include <vector>

#include "board/board.h"
#include "board/movegen.h"
#include "uci/info.h"

namespace {

Move moveIn(const char *fen, const char *text) {
    Board_BB64 b;
    Move m = NO_MOVE;
    EXPECT_TRUE(b.setFromFEN(fen) && textToMove(b, text, m)) << fen << " " << text;
    return m;
}

}  // namespace

TEST(UciInfo, ScoreText) {
    struct Case {
        int score;
        const char *text;
    } cases[] = {
        {35, "cp 35"},          {0, "cp 0"},           {-120, "cp -120"},
        {20000, "cp 20000"},    {-20000, "cp -20000"}, {MATE_SCORE - 1, "mate 1"},
        {MATE_SCORE - 3, "mate 2"}, {MATE_SCORE - 5, "mate 3"}, {20001, "mate 6000"},
        {2 - MATE_SCORE, "mate -1"}, {4 - MATE_SCORE, "mate -2"}, {-MATE_SCORE, "mate 0"},
    };
    for (const Case &c : cases) EXPECT_EQ(scoreText(c.score), c.text) << c.score;
}

TEST(UciInfo, InfoLine) {
    const std::vector<Move> pv = {MOVE_WHITE_OO, moveIn("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7b8q")};
    InfoFields full;
    full.depth = 12;
    full.selDepth = 20;
    full.multiPv = 2;
    full.score = MATE_SCORE - 3;
    full.bound = ScoreBound::LOWER;
    full.nodes = 5000000000ULL;  // past 32 bits
    full.nps = 1234567;
    full.hashFull = 345;
    full.tbHits = 7;
    full.timeMs = 4050;
    full.pv = pv;
    EXPECT_EQ(infoLine(full), "info depth 12 seldepth 20 multipv 2 score mate 2 lowerbound nodes 5000000000 "
                              "nps 1234567 hashfull 345 tbhits 7 time 4050 pv e1g1 b7b8q");

    InfoFields some;
    some.depth = 3;
    some.score = -40;
    some.bound = ScoreBound::UPPER;
    EXPECT_EQ(infoLine(some), "info depth 3 score cp -40 upperbound");
    some.score.reset();  // a bound without a score says nothing
    EXPECT_EQ(infoLine(some), "info depth 3");
}

TEST(UciInfo, BestMoveAndStrings) {
    const Move e2e4 = moveIn(START_FEN, "e2e4");
    const Move e7e5 = moveIn("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1", "e7e5");
    EXPECT_EQ(bestMoveLine(e2e4, e7e5), "bestmove e2e4 ponder e7e5");
    EXPECT_EQ(bestMoveLine(e2e4, NO_MOVE), "bestmove e2e4");
    EXPECT_EQ(bestMoveLine(NO_MOVE, e7e5), "bestmove 0000");
    EXPECT_EQ(infoStringLine("bad\tFEN\r\nx"), "info string bad?FEN??x");
}
