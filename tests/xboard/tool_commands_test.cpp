// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "tests/xboard/engine_process.h"

namespace {

const std::string NEW_GAME_OUTPUT =
    "# new size of TT hash: 256 MB\n# new size of Pawn hash: 32 MB\n"
    "# rnbqkbnr\n# pppppppp\n# ........\n# ........\n# ........\n# ........\n# PPPPPPPP\n# RNBQKBNR\n#\n";

// The full table takes a few seconds in an optimised build and far too long in a debug
// or sanitizer build, where the perft unit tests cover the same code.
TEST(ToolCommands, SelftestPassesAllEighteenRecordsThenStartsANewGame) {
#ifndef NDEBUG
    GTEST_SKIP() << "runs in release builds only";
#endif
    const EngineRun run = runEngine("xboard\nselftest\n");
    EXPECT_TRUE(run.hasLine("18 tests passed, 0 tests failed, 0 tests skipped, total 18 tests run:")) << run.output;
    for (int n : {1, 6, 12, 16, 17, 19, 20})
        EXPECT_NE(run.output.find("# Self-test no. " + std::to_string(n) + " passed: n="), std::string::npos) << n;
    const std::string out = run.afterXboard();
    EXPECT_EQ(out.substr(out.size() - NEW_GAME_OUTPUT.size()), NEW_GAME_OUTPUT);
    EXPECT_EQ(run.exitStatus, 0);
}

TEST(ToolCommands, TestFileRunsEachLineThenStartsANewGame) {
    const std::string path =
        (std::filesystem::temp_directory_path() / ("grelvin_positions_" + std::to_string(getpid()) + ".fen")).string();
    {
        std::ofstream f(path);
        f << "4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1  \r\n\nnot a fen\n";
    }
    const EngineRun run = runEngine("xboard\ntest " + path + "\ntest\ntest /nonexistent.fen\nperft 1\n");
    std::filesystem::remove(path);
    const std::string out = run.afterXboard();
    EXPECT_EQ(out.substr(0, out.find("# Total nodes:")),
              "Running test no. 1 for FEN:\n4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1\n\n\n"
              "Running test no. 2 for FEN:\n\n\n# ERROR: illegal FEN: \"\"\n\n"
              "Running test no. 3 for FEN:\nnot a fen\n\n# ERROR: illegal FEN: \"not a fen\"\n\n" +
                  NEW_GAME_OUTPUT + NEW_GAME_OUTPUT +
                  "# ERROR: failed to open file \"/nonexistent.fen\" for reading\n"
                  "# command \"test /nonexistent.fen\" returned an error code \n"
                  "# new size of Perft hash: 64 MB\n# Total leaves: 20\n");
}

// Before any game the first "eval" makes the pawn hash: the second finds the structure.
TEST(ToolCommands, SecondEvalWithoutANewGameHitsThePawnHash) {
    const EngineRun run = runEngine("xboard\nsetboard k7/8/8/8/8/2P5/2P5/K7 w - - 0 1\neval\neval\n");
    EXPECT_TRUE(run.hasLine("Pawn structure                      -37  -43 ( -43)      0    0 (   0)    -43")) << run.output;
}

}  // namespace
