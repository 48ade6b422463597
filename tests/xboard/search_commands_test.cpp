// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <chrono>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "board/movegen.h"
#include "xboard/wbengine.h"
#include "eval/evaluate.h"

namespace {

void waitUntilIdle(WBEngine &engine) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (engine.player.search().busy() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

// A new game with small tables (the defaults would allocate 256 MB per test).
void startSmallGame(WBEngine &engine) {
    initStaticTables();
    initEvaluationTables();
    engine.player.applySetting(TT_HASH_MB, "1");
    engine.player.applySetting(PAWN_HASH_MB, "1");
    engine.executeLine("new");
}

}  // namespace

// "sd" then "go": the engine searches the side to move to the fixed depth in the
// background, then plays and announces its move on the game board.
TEST(SearchCommands, FixedDepthGoPlaysALegalMove) {
    testing::internal::CaptureStdout();
    WBEngine engine;
    startSmallGame(engine);
    engine.executeLine("setboard 6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1");
    engine.executeLine("sd 4");
    engine.executeLine("go");
    ASSERT_EQ(engine.engineColour, uint32_t(WHITE));
    engine.player.prepareSearch(false);
    engine.player.startSearch();
    waitUntilIdle(engine);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("# forced mate in 1 plies: d1d8"), std::string::npos) << out;
    EXPECT_NE(out.find("\nmove d1d8\n"), std::string::npos) << out;
    EXPECT_EQ(engine.player.game().gamePly(), 1u);
    EXPECT_EQ(engine.player.game().board().pieceOn[59], ROOK);
}

// A stop-search command aborts a running search: no move is played.
TEST(SearchCommands, StopDuringSearchPlaysNoMove) {
    testing::internal::CaptureStdout();
    WBEngine engine;
    startSmallGame(engine);
    engine.executeLine("sd 60");
    engine.executeLine("go");
    engine.player.prepareSearch(false);
    engine.player.startSearch();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    engine.executeLine("force");  // any stop-search row stops the search first
    EXPECT_FALSE(engine.player.search().busy());
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.find("\nmove "), std::string::npos);
    EXPECT_EQ(engine.player.game().gamePly(), 0u);
}

TEST(SearchCommands, SdRejectsNegativeDepthAndGoRefusesFinishedGame) {
    testing::internal::CaptureStdout();
    WBEngine engine;
    engine.executeLine("sd 5");
    engine.executeLine("sd -1");
    EXPECT_TRUE(engine.player.limits().fixedDepth);
    EXPECT_EQ(engine.player.limits().maxDepth, 5u);
    engine.gameOver = true;
    engine.executeLine("go");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Error (cannot make a move at end of game)\n# command \"go\" returned an error code \n"),
              std::string::npos)
        << out;
}
