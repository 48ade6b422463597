// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// UCI_Chess960 through the UCI engine process: castling written and read as the king
// taking its own rook, Shredder-FEN in "d", divide lines in the same notation.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/uci/uci_session.h"

namespace {

bool hasLine(const std::vector<std::string> &lines, const std::string &line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

}  // namespace

TEST(UciChess960, OptionSwitchesTheCastlingNotation) {
    auto e = uciEngine();
    e->send("uci");
    ASSERT_TRUE(e->waitForLine("option name UCI_Chess960 type check default false"));
    ASSERT_TRUE(e->waitForLine("uciok"));
    // Standard: the king's two-square step, in and out.
    e->send("position fen r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
    e->send("go depth 1 searchmoves e1g1");
    EXPECT_TRUE(e->waitForLine("bestmove e1g1"));
    e->send("setoption name UCI_Chess960 value true");
    e->send("go depth 1 searchmoves e1h1");
    EXPECT_TRUE(e->waitForLine("bestmove e1h1"));
    // The only mate castles with the king staying on g1.
    e->send("position fen 4rkr1/4p1p1/8/8/8/8/8/6KR w H - 0 1");
    e->send("go depth 3");
    EXPECT_TRUE(e->waitForLine("bestmove g1h1"));
    e->send("position fen 4rkr1/4p1p1/8/8/8/8/8/6KR w H - 0 1 moves g1h1");
    std::vector<std::string> lines = syncReady(*e);
    e->send("d");
    lines = syncReady(*e);
    EXPECT_TRUE(hasLine(lines, "Fen: 4rkr1/4p1p1/8/8/8/8/8/5RK1 b - - 1 1")) << lines.back();
    e->send("position startpos");
    e->send("d");
    lines = syncReady(*e);
    EXPECT_TRUE(hasLine(lines, "Fen: rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w HAha - 0 1"));
    e->send("position fen rk6/8/8/8/8/8/8/RK4R1 w GAa - 0 1");
    e->send("go perft 1");
    lines = syncReady(*e);
    EXPECT_TRUE(hasLine(lines, "b1a1: 1"));
    EXPECT_TRUE(hasLine(lines, "b1g1: 1"));
    EXPECT_TRUE(hasLine(lines, "b1c1: 1"));  // the plain king step
    quit(*e);
}
