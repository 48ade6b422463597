// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "xboard/wbengine.h"
#include "tests/xboard/engine_process.h"

namespace {

const std::string START_DIAGRAM =
    "# rnbqkbnr\n# pppppppp\n# ........\n# ........\n# ........\n# ........\n# PPPPPPPP\n# RNBQKBNR\n#\n";
const std::string BANNER = std::string("# GrelvinBB ") + ENGINE_VERSION + "\n# \nfeature done=0\n";
const std::string TABLE_LINES = "# new size of TT hash: 256 MB\n# new size of Pawn hash: 32 MB\n";

std::string failure(const std::string &line) { return "# command \"" + line + "\" returned an error code \n"; }

TEST(SplitArguments, BlanksDelimitEveryElement) {
    using V = std::vector<std::string>;
    EXPECT_EQ(splitArguments("a b", ' '), (V{"a", "b"}));
    EXPECT_EQ(splitArguments("a  b", ' '), (V{"a", "", "b"}));
    EXPECT_EQ(splitArguments(" e2e4", ' '), (V{"", "e2e4"}));
    EXPECT_EQ(splitArguments("a b ", ' '), (V{"a", "b"}));
    EXPECT_EQ(splitArguments("", ' '), V{});
    EXPECT_EQ(splitArguments("a\tb", ' '), V{"a\tb"});
    EXPECT_EQ(splitArguments("5:30", ':'), (V{"5", "30"}));
}

TEST(CommandLoop, StartUpOutputThenPromptAndCleanExitAtEndOfInput) {
    const EngineRun run = runEngine("");
    EXPECT_EQ(run.output, BANNER + TABLE_LINES + START_DIAGRAM + "# Your move: ");
    EXPECT_EQ(run.exitStatus, 0);
}

TEST(CommandLoop, PromptOnlyUntilXboardAndQuitEndsTheLoop) {
    const EngineRun run = runEngine("ping 1\nxboard\nping 2\nquit\nping 3\n");
    EXPECT_EQ(run.output, BANNER + TABLE_LINES + START_DIAGRAM + "# Your move: pong 1\n# Your move: \npong 2\n");
    EXPECT_EQ(run.exitStatus, 0);
}

TEST(CommandLoop, ArgumentCountErrors) {
    const EngineRun run = runEngine("xboard\nprotover\nsetboard a b c d e f g\nusermove  e2e4\nping\n");
    EXPECT_EQ(run.afterXboard(), "Error (missing arguments, expected at least 1): protover\n" + failure("protover") +
                                    "Error (too many arguments, expected at most 6): setboard a b c d e f g\n" +
                                    failure("setboard a b c d e f g") +
                                    "Error (too many arguments, expected at most 1): usermove  e2e4\n" +
                                    failure("usermove  e2e4") +
                                    "Error (missing arguments, expected at least 1): ping\n" + failure("ping"));
    EXPECT_EQ(run.exitStatus, 0);
}

TEST(CommandLoop, UnknownWordsAndEmptyLinesAreSilent) {
    const EngineRun run = runEngine("xboard\ne2e4\nst 5\notim 100\n?\n\n   \n\r\n ping 1\nPING 2\npingx 3\nping 4\n");
    EXPECT_EQ(run.afterXboard(), "pong 4\n");
}

TEST(CommandLoop, LineEndsAreTrimmedAndLongLinesArriveInPieces) {
    const EngineRun run = runEngine("xboard\nping 5 \r\nnew\r\n" + std::string(1023, 'x') + "ping 6\n");
    EXPECT_EQ(run.afterXboard(), "pong 5\n" + TABLE_LINES + START_DIAGRAM + "pong 6\n");
}

TEST(CommandLoop, SetboardShowsTheNewPositionAndReportsBadFens) {
    const EngineRun run = runEngine(
        "xboard\nsetboard 4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1\nperft 1\nsetboard 4k3/8/8/8/8/8/8/R3K2R w KK - 0 1\n");
    const std::string diagram =
        "# ....k...\n# ........\n# ........\n# ........\n# ........\n# ........\n# ........\n# R...K..R\n#\n";
    const std::string out = run.afterXboard();
    EXPECT_EQ(out.find(diagram + "# new size of Perft hash: 64 MB\n# Total leaves: 26\n"), 0u) << out;
    EXPECT_NE(out.find(failure("setboard 4k3/8/8/8/8/8/8/R3K2R w KK - 0 1")), std::string::npos) << out;
}

TEST(CommandLoop, PerftAndDivideFromTheLoop) {
    const EngineRun run = runEngine("xboard\nperft 0\nperft -3\nperft x\ndivide 1\nperft 3\n");
    const auto lines = EngineRun{run.afterXboard()}.lines();
    ASSERT_GE(lines.size(), 3u + 20u + 5u + 5u);
    EXPECT_EQ(lines[0], "# command \"perft 0\" returned an error code ");
    EXPECT_EQ(lines[1], "# command \"perft -3\" returned an error code ");
    EXPECT_EQ(lines[2], "# command \"perft x\" returned an error code ");
    EXPECT_EQ(lines[3], "# new size of Perft hash: 64 MB");
    for (int i = 4; i < 24; ++i) EXPECT_TRUE(lines[i].size() == 6 && lines[i].substr(4) == " 1") << lines[i];
    EXPECT_EQ(lines[24], "Total leaves: 20");
    EXPECT_EQ(lines[25], "Total nodes:  1");
    EXPECT_EQ(lines[29], "# Total leaves: 8902");
}

// Malformed input of every kind: the engine keeps answering, the position only changes
// through setboard, and nothing a broken position cannot support is run on it.
TEST(CommandLoop, SurvivesMalformedInput) {
    std::string input = "xboard\n";
    std::mt19937 rng(20261206);
    for (int i = 0; i < 60; ++i) {
        std::string line(rng() % 1500, ' ');
        for (char &c : line) c = char(1 + rng() % 255);
        for (char &c : line)
            if (c == '\n') c = 'n';
        input += line + "\n";
    }
    input += std::string(5000, 'q') + "\n";
    const char *commandsWithOddArguments[] = {
        "perft 99999", "divide 64", "perft 2147483648", "divide -2147483649", "perft \t1",
        "ping 99999999999999999999", "ping -", "ping \x01", "test /nonexistent/file.fen", "eval x",
        "tune a b c", "randpos a b c", "auto x", "option =", "level 1 2:3:4 5", "setboard",
        "usermove \xff\xfe", "sd 99999", "cores -1", "egtpath a", "time", "undo", "remove"};
    for (const char *line : commandsWithOddArguments) input += std::string(line) + "\n";
    input += "perft 2\n";  // the start position is still set

    const char *badFens[] = {
        "8/8/8/8/8/8/8/8 w - - 0 1",  // accepted, but no kings
        "k7/8/8/8/8/8/8/R6K w - - 0 1",  // the side not to move is in check
        "kkkkkkkk/8/8/8/8/8/8/KKKKKKKK w - - 0 1",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e3 0 1",
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1",
        "rnbqkbnr/pppppppppppppppppppppppppppppp/8/8 w - - 0 1",
        "pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp/pppppppp b - - 0 1",
        "\x80\x81 \x82 \x83 \x84",
        "/ / / /",
    };
    for (const char *fen : badFens) input += std::string("setboard ") + fen + "\nperft 2\ndivide 1\neval\nping 1\n";
    input += "setboard 4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1\nperft 1\nping 99\n";

    const EngineRun run = runEngine(input);
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_TRUE(run.hasLine("# Total leaves: 400")) << "garbage must not change the position";
    EXPECT_TRUE(run.hasLine("# Total leaves: 26"));
    EXPECT_TRUE(run.hasLine("pong 99"));
}

}  // namespace
