// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Chess960 through the XBoard engine process: "variant fischerandom", castling as O-O
// and O-O-O both ways, and "new" going back to the standard game.
#include <gtest/gtest.h>

#include <filesystem>  // GRELVIN_REQUIRE_DATA_FILE
#include <memory>

#include "board/board.h"
#include "tests/test_support.h"
#include "tests/xboard/xboard_session.h"

namespace {

// Castling with the rook to f1 is the only mate: the king stays on g1.
constexpr const char *MATE_BY_CASTLING = "4rkr1/4p1p1/8/8/8/8/8/6KR w H - 0 1";

}  // namespace

TEST(Chess960Play, EngineCastlesAsOO) {
    auto e = protocolEngine();
    e->send("new");
    e->send("variant fischerandom");
    e->send("setboard " + std::string(MATE_BY_CASTLING));
    e->send("sd 3");
    e->send("go");
    EXPECT_TRUE(e->waitForLine("move O-O"));
    EXPECT_TRUE(e->waitForLine("1-0 {White wins by checkmate}"));
    // After "new" the standard game's notation is back.
    e->send("new");
    e->send("setboard r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1");
    e->send("force");
    e->send("usermove e1g1");
    e->send("ping 1");
    ASSERT_TRUE(e->waitForLine("pong 1"));
    for (const std::string &l : e->lines()) EXPECT_EQ(l.find("Error"), std::string::npos) << l;
    quit(*e);
}

TEST(Chess960Play, UserCastlesInEveryNotation) {
    auto e = protocolEngine();
    const char *position = "setboard rk6/8/8/8/8/8/8/R3K1R1 b Ga - 0 1";
    // The king taking its rook, O-O-O and zeros all castle; Black's king and rook land
    // on c8 and d8, and White's O-O (king e1 to g1, rook g1 to f1) follows.
    for (const char *castle : {"O-O-O", "b8a8", "0-0-0"}) {
        e->send("new");
        e->send("variant fischerandom");
        e->send("force");
        e->send(position);
        const size_t from = e->position();
        e->send(std::string("usermove ") + castle);
        ASSERT_TRUE(e->waitForLine(std::string("# making user move: ") + castle));
        ASSERT_TRUE(e->waitForLine("# ..kr...."));
        e->send("usermove O-O");
        ASSERT_TRUE(e->waitForLine("# R....RK."));
        for (size_t i = from; i < e->lines().size(); ++i)
            EXPECT_EQ(e->lines()[i].find("Error"), std::string::npos) << e->lines()[i];
    }
    // No castling right, no castling.
    e->send("setboard rk6/8/8/8/8/8/8/R3K1R1 b - - 0 1");
    e->send("usermove O-O-O");
    EXPECT_TRUE(e->waitForLine("Error (illegal move): O-O-O"));
    e->send("variant crazyhouse");
    EXPECT_TRUE(e->waitForLine("# command \"variant crazyhouse\" returned an error code "));
    quit(*e);
}

// The book holds standard games: from the standard start position set up as a Chess960
// game the engine searches (a thinking line) instead of playing the book's move.
TEST(Chess960Play, NoBookMoves) {
    const std::string book = inTreeDataDir() + "/books/selfplay.bin";
    GRELVIN_REQUIRE_DATA_FILE(book);
    EngineSession e({}, "ttHashSizeMB = 8\npawnHashSizeMB = 1\nbookFilePath = " + book + "\n");
    e.send("xboard");
    e.send("post");
    e.send("new");
    e.send("variant fischerandom");
    e.send("setboard " + std::string(START_FEN));
    e.send("sd 2");
    e.send("go");
    EXPECT_TRUE(e.waitForPrefix("2 "));
    EXPECT_TRUE(e.waitForPrefix("move "));
    quit(e);
}
