// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Chess960 through the XBoard engine process: "variant fischerandom", castling as O-O
// and O-O-O both ways, no book moves, and "new" going back to the standard game.
#include <gtest/gtest.h>

#include "board/board.h"
#include "tests/test_support.h"
#include "tests/xboard/xboard_session.h"

TEST(Chess960Play, CastlingBothWaysWithoutTheBook) {
    EngineSession e({}, SMALL_TABLES + "bookFilePath = " + inTreeDataDir() + "/books/selfplay.bin\n");
    e.send("xboard");
    e.send("protover 2");
    ASSERT_TRUE(e.waitForLine("feature done=1"));
    e.send("post");
    // The book holds standard games: from the standard start position set up as a
    // Chess960 game the engine searches (a thinking line) instead of playing its move.
    e.send("new");
    e.send("variant fischerandom");
    e.send("setboard " + std::string(START_FEN));
    e.send("sd 2");
    e.send("go");
    EXPECT_TRUE(e.waitForPrefix("2 "));
    EXPECT_TRUE(e.waitForPrefix("move "));
    // Castling with the rook to f1 is the only mate: the king stays on g1.
    e.send("new");
    e.send("variant fischerandom");
    e.send("setboard 4rkr1/4p1p1/8/8/8/8/8/6KR w H - 0 1");
    e.send("sd 3");
    e.send("go");
    EXPECT_TRUE(e.waitForLine("move O-O"));
    EXPECT_TRUE(e.waitForLine("1-0 {White wins by checkmate}"));
    // The king taking its rook, O-O-O and zeros all castle; Black's king and rook land on
    // c8 and d8, and White's O-O (king e1 to g1, rook g1 to f1) follows.
    for (const char *castle : {"O-O-O", "b8a8", "0-0-0"}) {
        e.send("new");
        e.send("variant fischerandom");
        e.send("force");
        e.send("setboard rk6/8/8/8/8/8/8/R3K1R1 b Ga - 0 1");
        e.send(std::string("usermove ") + castle);
        ASSERT_TRUE(e.waitForLine("# ..kr....")) << castle;
        e.send("usermove O-O");
        ASSERT_TRUE(e.waitForLine("# R....RK.")) << castle;
    }
    // Without the right, no castling.
    e.send("setboard rk6/8/8/8/8/8/8/R3K1R1 b - - 0 1");
    e.send("usermove O-O-O");
    EXPECT_TRUE(e.waitForLine("Error (illegal move): O-O-O"));
    // After "new" the standard game's notation is back.
    e.send("new");
    e.send("setboard r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1");
    e.send("force");
    e.send("usermove e1g1");
    const std::vector<std::string> after = e.sync();
    for (const std::string &l : after) EXPECT_EQ(l.find("Error"), std::string::npos) << l;
    e.send("variant crazyhouse");
    EXPECT_TRUE(e.waitForLine("# command \"variant crazyhouse\" returned an error code "));
    quit(e);
}
