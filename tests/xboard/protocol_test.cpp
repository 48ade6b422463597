// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The engine as a GUI sees it: a child process driven over its standard input, its
// answers read with deadlines.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "board/movegen.h"
#include "engine/version.h"
#include "tests/xboard/xboard_session.h"

namespace {

// No sanitizer or runtime report on standard error, and a clean exit on "quit".
void expectCleanQuit(EngineSession &e) {
    e.send("quit");
    EXPECT_EQ(e.waitExit(), 0);
    const std::string err = e.errorOutput();
    EXPECT_EQ(err.find("Sanitizer"), std::string::npos) << err;
    EXPECT_EQ(err.find("runtime error"), std::string::npos) << err;
}

Board_BB64 startBoard() {
    initStaticTables();
    Board_BB64 b;
    b.setFromFEN(START_FEN);
    return b;
}

}  // namespace

TEST(Protocol, StartUpWithoutIniPrintsBannerSizesAndPrompt) {
    EngineSession e;
    EXPECT_TRUE(e.waitForLine(std::string("# GrelvinBB ") + ENGINE_VERSION));
    EXPECT_TRUE(e.waitForLine("feature done=0"));
    EXPECT_TRUE(e.waitForLine("# new size of TT hash: 256 MB"));
    EXPECT_TRUE(e.waitForLine("# new size of Pawn hash: 32 MB"));
    EXPECT_TRUE(e.waitForLine("# RNBQKBNR"));
    e.closeInput();
    EXPECT_EQ(e.waitExit(), 0);
}

TEST(Protocol, IniWarningsComeBeforeTheBannerAndBadLinesAreHarmless) {
    const std::string ini = "numberOfCores=0\n  # ttHashSizeMB=1\nttHashSizeMB\ngtbCacheSizeMB = 300\n"
                            "ttHashSizeMB = 4096\npawnHashSizeMB = 2\n\x01\xff garbage = = \n" +
                            std::string(3000, 'x') + "\nbookFilePath = \"C:/books/my book.bin\"\n"
                                                     "ttHashSizeMB=16";  // no final newline
    EngineSession e({"-cores", "x", "-threads", "2", "-cores"}, ini);
    e.send("xboard");
    e.send("protover 2");
    ASSERT_TRUE(e.waitForLine("feature done=1"));
    const auto &l = e.lines();
    auto at = [&](const std::string &s) { return std::find(l.begin(), l.end(), s) - l.begin(); };
    const long banner = at(std::string("# GrelvinBB ") + ENGINE_VERSION);
    EXPECT_LT(at("# WARNING: numberOfCores = 0 out of range in ini file (min = 1)"), banner);
    EXPECT_LT(at("# WARNING: gtbCacheSizeMB = 300 out of range in ini file (min = 0, max = 256)"), banner);
    EXPECT_LT(at("# WARNING: ttHashSizeMB = 4096 out of range in ini file (min = 1, max = 2048)"), banner);
    EXPECT_GT(at("# warning: found bad argument \"0\" for command line option \"-cores\", must be a positive number"),
              banner);
    EXPECT_LT(at("# warning: found unknown command line option \"-threads\""), long(l.size()));
    EXPECT_LT(at("# warning: found unknown command line option \"2\""), long(l.size()));
    EXPECT_LT(at("# warning: missing argument for command line option \"-cores\""), long(l.size()));
    EXPECT_LT(at("# new size of TT hash: 16 MB"), long(l.size()));
    EXPECT_LT(at("# new size of Pawn hash: 2 MB"), long(l.size()));
    EXPECT_LT(at("feature option=\"bookFilePath -path C:/books/my book.bin\""), long(l.size()));
    EXPECT_LT(at("feature option=\"gtbCacheSizeMB -spin 16 0 256\""), long(l.size()));
    expectCleanQuit(e);
}

TEST(Protocol, FeatureListInOrderAndOnlyChangedSizesOnASecondProtover) {
    auto e = protocolEngine();
    const std::vector<std::string> expected = {
        "feature ping=1", "feature setboard=1", "feature playother=1", "feature usermove=1", "feature colors=0",
        "feature sigint=0", "feature sigterm=0", "feature analyze=1", "feature name=0", "feature nps=0",
        "feature debug=1", "feature egt=\"gaviota,syzygy\"", "feature smp=1", "feature variants=\"normal,fischerandom\"",
        "feature option=\"ttHashSizeMB -spin 256 1 2048\"", "feature option=\"pawnHashSizeMB -spin 32 1 2048\"",
        "feature option=\"gtbCacheSizeMB -spin 16 0 256\"", "feature option=\"gtbPath -path C:/gtb\"",
        "feature option=\"bookFilePath -path book.bin\"", "feature option=\"limitStrength -check 0\"",
        "feature option=\"strengthElo -spin 2400 1000 2400\"", "feature option=\"strengthSeed -spin 0 0 2147483647\"",
        std::string("feature myname=\"GrelvinBB ") + ENGINE_VERSION + "\"", "feature done=1"};
    e->send("protover 2");
    std::vector<std::string> got = e->sync();
    EXPECT_EQ(got, expected);
    e->send("option pawnHashSizeMB=4");
    e->send("protover 2");
    got = e->sync();
    EXPECT_NE(std::find(got.begin(), got.end(), "# new size of Pawn hash: 4 MB"), got.end());
    EXPECT_EQ(std::count_if(got.begin(), got.end(), [](auto &s) { return s.rfind("# new size", 0) == 0; }), 1);
    expectCleanQuit(*e);
}

// Error texts of the handlers, each followed by the loop's failure line, and the engine
// still answering afterwards.
TEST(Protocol, BadCommandsGiveTheirErrorsAndLeaveTheEngineUsable) {
    auto e = protocolEngine();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"usermove e2", "Error (illegal argument to 'usermove' command): e2"},
        {"usermove e2e5", "Error (illegal move): e2e5"},
        {"usermove e7e8q", "Error (illegal move): e7e8q"},
        {"usermove zzzzzz", "Error (illegal argument to 'usermove' command): zzzzzz"},
        {"option ttHashSizeMB=0", "Error (illegal value for 'ttHashSizeMB' option): 0"},
        {"option ttHashSizeMB=99999999999999", "Error (illegal value for 'ttHashSizeMB' option): 99999999999999"},
        {"option TTHASHSIZEMB=64", "Error (unknown option name): TTHASHSIZEMB"},
        {"option =", "Error (unknown option name): "},
        {"egtpath nalimov /tmp", "# invalid TB type: nalimov"},
        {"protover", "Error (missing arguments, expected at least 1): protover"},
        {"setboard a b c d e f g", "Error (too many arguments, expected at most 6): setboard a b c d e f g"},
        {"usermove  e2e4", "Error (too many arguments, expected at most 1): usermove  e2e4"},
    };
    for (const auto &[command, error] : cases) {
        e->send(command);
        const auto got = e->sync();
        ASSERT_EQ(got.size(), 2u) << command;
        EXPECT_EQ(got[0], error);
        EXPECT_EQ(got[1], "# command \"" + command + "\" returned an error code ");
    }
    // Failures that print only the loop's line.
    for (const std::string command :
         {"undo", "remove", "exit", "auto x", "sd -1", "cores 0", "cores -5", "level 40 5:00:00 0", "randgames 0",
          "randgames x", "randpos 0", "randpos -5", "setboard 4k3/8/8/8/8/8/8/4K3 x - - 0 1", "setboard x y z w"}) {
        e->send(command);
        const auto got = e->sync();
        const std::string failure = "# command \"" + command + "\" returned an error code ";
        EXPECT_NE(std::find(got.begin(), got.end(), failure), got.end()) << command;
    }
    // Silent ones: unknown words, bare moves, protocol commands we do not use.
    for (const std::string command : {"e2e4", "otim 100", "st 5", "result 1-0", "?", "hard", "easy"}) {
        e->send(command);
        EXPECT_TRUE(e->sync().empty()) << command;
    }
    // Odd numbers and an overlong line do not stop anything.
    e->send("time 0");
    e->send("time -100");
    e->send("level 0 0 0");
    e->send("level 99999999999 -5:99999999999 -3");
    e->send(std::string(5000, 'a'));
    e->send("new");
    e->send("level 0 0:02 0");
    e->send("usermove e2e4");
    EXPECT_TRUE(e->waitFor(isMoveLine, 60s));
    expectCleanQuit(*e);
}

TEST(Protocol, SettingsAndOptionsEcho) {
    auto e = protocolEngine();
    e->send("cores 64");
    auto got = e->sync();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].rfind("# will now use ", 0), 0u);
    EXPECT_NE(got[0].find("requested=64, current=1"), std::string::npos);
    e->send("option gtbCacheSizeMB=0");
    e->send("option bookFilePath=/nonexistent/book.bin");
    e->send("option ttHashSizeMB=100");
    got = e->sync();
    EXPECT_EQ(got[0], "# setting option: gtbCacheSizeMB=0");
    EXPECT_NE(std::find(got.begin(), got.end(), "# setting option: bookFilePath=/nonexistent/book.bin"), got.end());
    EXPECT_EQ(got.back(), "# setting option: ttHashSizeMB=100");
    // The new size is made before the next search: the largest power of two that fits.
    e->send("sd 2");
    e->send("go");
    EXPECT_TRUE(e->waitForLine("# new size of TT hash: 64 MB"));
    EXPECT_TRUE(e->waitFor(isMoveLine));
    expectCleanQuit(*e);
}

// A whole game: the engine plays Black, every move it sends is legal on our own board,
// and the budget lines of the first move follow the level.
TEST(Protocol, WholeGameByUsermoveAndMoveExchange) {
    auto e = protocolEngine();
    e->send("new");
    e->send("level 40 5 0");
    e->send("post");
    Board_BB64 b = startBoard();
    ASSERT_TRUE(playMoveText(b, "e2e4"));
    e->send("usermove e2e4");
    EXPECT_TRUE(e->waitForLine("# making user move: e2e4"));
    EXPECT_TRUE(e->waitForLine("# movesPerSession=40 timePerSession=30000 increment=0"));
    EXPECT_TRUE(e->waitForLine("# ply=1 fullMoveNumber=1 remainingMoves=40 nSessions=1"));
    EXPECT_TRUE(e->waitForPrefix("# total=30000 elapsed=0 remaining=30000 available=30000 max=675"));
    EXPECT_TRUE(e->waitForLine("# set maxTime = 675"));
    EXPECT_TRUE(e->waitForLine("# out of book: corrected maxTime = 1012"));
    e->send("level 40 0:20 0");  // a faster level for the rest of the game
    for (int moveNumber = 0; moveNumber < 12; ++moveNumber) {
        const auto move = e->waitFor(isMoveLine, 30s);
        ASSERT_TRUE(move) << "no answer at move " << moveNumber;
        ASSERT_TRUE(playMoveText(b, move->substr(5))) << *move;
        MoveList list;
        generateAllLegal(b, list);
        if (list.size() == 0) break;
        char text[6];
        moveToText(list[0], text);  // the first legal move: a weak but legal opponent
        ASSERT_TRUE(playMoveText(b, text));
        e->send(std::string("time ") + std::to_string(2000 - moveNumber * 50));
        e->send(std::string("usermove ") + text);
        if (e->waitFor([](auto &l) { return l.find(" {") != std::string::npos; }, 1ms)) break;
    }
    expectCleanQuit(*e);
}

TEST(Protocol, ForceGoPlayotherUndoAndRemove) {
    auto e = protocolEngine();
    e->send("new");
    e->send("force");
    e->send("usermove e2e4");
    e->send("usermove e7e5");
    auto got = e->sync();
    EXPECT_EQ(std::count_if(got.begin(), got.end(), isMoveLine), 0);  // force: no answer
    e->send("remove");
    e->send("undo");  // record empty now: fails
    got = e->sync();
    EXPECT_EQ(got.back(), "# command \"undo\" returned an error code ");
    e->send("sd 3");
    e->send("go");  // White to move: the engine plays White
    const auto white = e->waitFor(isMoveLine);
    ASSERT_TRUE(white);
    e->send("force");
    e->send("undo");
    e->send("playother");  // White to move again, the engine plays Black: it waits
    got = e->sync();
    EXPECT_EQ(std::count_if(got.begin(), got.end(), isMoveLine), 0);
    e->send("usermove d2d4");
    EXPECT_TRUE(e->waitFor(isMoveLine));
    expectCleanQuit(*e);
}

TEST(Protocol, GameEndsByMateStalemateAndMaterial) {
    auto e = protocolEngine();
    e->send("new");
    e->send("force");
    for (const char *m : {"f2f3", "e7e5", "g2g4", "d8h4"}) e->send(std::string("usermove ") + m);
    EXPECT_TRUE(e->waitForLine("0-1 {Black wins by checkmate}"));
    e->send("go");
    auto got = e->sync();
    EXPECT_EQ(got.at(0), "Error (cannot make a move at end of game)");
    e->send("usermove a2a3");
    got = e->sync();
    EXPECT_EQ(got.at(0), "Error (cannot make a move at end of game)");
    e->send("setboard 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1");
    EXPECT_TRUE(e->waitForLine("1/2-1/2 {Stalemate}"));
    // The engine itself captures the last piece (its only legal move): a draw by
    // material follows its move.
    e->send("setboard 7k/8/8/8/8/8/2q5/K3N3 w - - 0 1");
    e->send("go");
    EXPECT_TRUE(e->waitForLine("move e1c2"));
    EXPECT_TRUE(e->waitForLine("1/2-1/2 {Draw by insufficient material}"));
    expectCleanQuit(*e);
}

TEST(Protocol, AnalysisRestartsOnNewPositionsAndNeverMoves) {
    auto e = protocolEngine();
    e->send("new");
    e->send("post");
    e->send("analyze");
    EXPECT_TRUE(e->waitForPrefix("6 "));
    e->send("ping 7");  // answered at once, the analysis goes on
    EXPECT_TRUE(e->waitForLine("pong 7", 2s));
    e->send("usermove e2e4");
    EXPECT_TRUE(e->waitForLine("# making user move: e2e4"));
    EXPECT_TRUE(e->waitForPrefix("5 "));
    e->send("undo");
    EXPECT_TRUE(e->waitForPrefix("5 "));
    e->send("exit");
    const auto got = e->sync();
    EXPECT_EQ(std::count_if(e->lines().begin(), e->lines().end(), isMoveLine), 0);
    EXPECT_EQ(std::count_if(got.begin(), got.end(), [](auto &l) { return l.rfind("# timeout", 0) == 0; }), 0);
    expectCleanQuit(*e);
}

TEST(Protocol, ForceQuitAndEndOfInputDuringASearchEndWithoutAMove) {
    {
        auto e = protocolEngine();
        e->send("sd 60");
        e->send("go");
        EXPECT_TRUE(e->waitForPrefix("4 "));
        e->send("force");  // any command that stops a search stops it first
        e->sync();
        expectCleanQuit(*e);
        EXPECT_EQ(std::count_if(e->lines().begin(), e->lines().end(), isMoveLine), 0);
    }
    {
        auto e = protocolEngine();
        e->send("analyze");
        EXPECT_TRUE(e->waitForPrefix("4 "));
        expectCleanQuit(*e);
        EXPECT_EQ(std::count_if(e->lines().begin(), e->lines().end(), isMoveLine), 0);
    }
    {
        auto e = protocolEngine({"-cores", "2"});
        e->send("level 0 60 0");
        e->send("go");
        EXPECT_TRUE(e->waitForPrefix("3 "));
        e->closeInput();
        EXPECT_EQ(e->waitExit(), 0);
        EXPECT_EQ(std::count_if(e->lines().begin(), e->lines().end(), isMoveLine), 0);
    }
}

// Two threads: searches started and stopped again and again, the thread count changed
// between games, and the board read ("eval", the diagram) while the engine thinks.
TEST(Protocol, TwoThreadSearchesStartStopAndEvalDuringPlay) {
    auto e = protocolEngine({"-cores", "2"});
    for (int round = 0; round < 6; ++round) {
        e->send("new");
        e->send(round % 2 ? "cores 1" : "cores 2");
        e->send("level 0 0:30 0");
        e->send("usermove e2e4");
        e->send("eval");
        e->send("eval");
        if (round % 3 == 0) {
            EXPECT_TRUE(e->waitFor(isMoveLine));
        }
        e->send("force");  // stops a search that may still run
    }
    e->send("new");
    e->send("level 0 0:02 0");
    e->send("auto");
    // Auto mode: the next search starts only when the loop reads a line after the move
    // is complete, so empty lines are sent until the next move comes.
    for (int moves = 0, tries = 0; moves < 6 && tries < 400; ++tries) {
        if (e->waitFor(isMoveLine, 50ms)) ++moves;
        if (tries % 10 == 0) e->send("eval");
        e->send(tries % 7 == 0 ? "auto" : "");  // "auto" again races the engine's own hand-over
    }
    EXPECT_GE(std::count_if(e->lines().begin(), e->lines().end(), isMoveLine), 6);
    // Random-game mode answers at once while the helper thread starts its search.
    Board_BB64 b = startBoard();
    e->send("new");
    e->send("cores 2");
    e->send("randgame");
    for (const char *m : {"e2e4", "d2d4", "g1f3"}) {
        if (!playMoveText(b, m)) break;
        e->send(std::string("usermove ") + m);
        const auto reply = e->waitFor(isMoveLine);
        ASSERT_TRUE(reply);
        ASSERT_TRUE(playMoveText(b, reply->substr(5))) << *reply;
    }
    expectCleanQuit(*e);
}

TEST(Protocol, EvalIsPrintedWhenTheSideToMoveGivesCheck) {
    auto e = protocolEngine();
    e->send("setboard 4k3/8/8/8/8/8/8/4RK2 w - - 0 1");  // Black is in check, White to move
    e->send("eval");
    const auto got = e->sync();
    ASSERT_GT(got.size(), 5u);
    EXPECT_EQ(std::count_if(got.begin(), got.end(), [](auto &l) { return l.find("returned an error") != l.npos; }),
              0);
    expectCleanQuit(*e);
}

// Clocks at zero or below never stop the engine from answering, and fast.
TEST(Protocol, ExhaustedClockStillGivesAMove) {
    auto e = protocolEngine();
    e->send("new");
    e->send("level 40 1 0");
    e->send("time -500");
    e->send("otim -500");
    e->send("usermove d2d4");
    EXPECT_TRUE(e->waitFor(isMoveLine, 5s));
    e->send("time 0");
    e->send("usermove c2c4");
    EXPECT_TRUE(e->waitFor(isMoveLine, 5s));
    // An increment larger than the clock: the budget would count increments not yet
    // received, the guard keeps it within the clock.
    e->send("setboard r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
    e->send("level 0 0 5");
    e->send("time 30");
    e->send("go");
    EXPECT_TRUE(e->waitForLine("# clock guard: maxTime = 17"));
    EXPECT_TRUE(e->waitFor(isMoveLine, 5s));
    // Without an increment the budget never exceeds the clock: no guard, even on the
    // last move of a session.
    e->send("setboard r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3");
    e->send("level 1 0:01 0");
    e->send("time 100");
    e->send("go");
    EXPECT_TRUE(e->waitFor(isMoveLine, 5s));
    EXPECT_EQ(std::count_if(e->lines().begin(), e->lines().end(),
                            [](auto &l) { return l.rfind("# clock guard", 0) == 0; }),
              1);
    // A position the search cannot take (the side not to move in check) is refused
    // with a line instead of a silent wait.
    e->send("setboard 7k/8/6K1/8/8/8/8/Q7 w - - 0 1");
    e->send("go");
    EXPECT_TRUE(e->waitForLine("# illegal position: the engine does not search it"));
    expectCleanQuit(*e);
}

// A game longer than the record holds: the user's move is refused with a message, and
// the engine never announces a move it could not record.
TEST(Protocol, FullGameRecordIsRefusedCleanly) {
    auto e = protocolEngine();
    e->send("new");
    e->send("force");
    const char *cycle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    for (int i = 0; i < 768; ++i) e->send(std::string("usermove ") + cycle[i % 4]);
    e->sync(60s);
    e->send("usermove g1f3");
    auto got = e->sync();
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.back(), "# command \"usermove g1f3\" returned an error code ");
    e->send("go");
    got = e->sync();
    EXPECT_EQ(std::count_if(got.begin(), got.end(), isMoveLine), 0);
    e->send("new");
    e->send("usermove e2e4");
    EXPECT_TRUE(e->waitFor(isMoveLine));
    expectCleanQuit(*e);
}
