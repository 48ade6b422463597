// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Later moves of a game through the engine process: the time budgets past the first
// move, draw offers, auto mode, and commands that must leave a running analysis alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>

#include "tests/xboard/xboard_session.h"

namespace {

// The knights leave and come back: n plies of a game that changes nothing.
void shuffleKnights(EngineSession &e, int plies) {
    const char *cycle[] = {"g1f3", "g8f6", "f3g1", "f6g8"};
    for (int i = 0; i < plies; ++i) e.send(std::string("usermove ") + cycle[i % 4]);
}

// The budget lines of the next search, from its first line on.
void expectBudget(EngineSession &e, const std::string &level, const std::string &ply, const std::string &total,
                  const std::string &maxTime) {
    EXPECT_TRUE(e.waitForLine("# movesPerSession=" + level)) << level;
    EXPECT_TRUE(e.waitForLine("# ply=" + ply)) << ply;
    EXPECT_TRUE(e.waitForLine("# total=" + total)) << total;
    EXPECT_TRUE(e.waitForLine("# set maxTime = " + maxTime)) << maxTime;
}

size_t countFrom(const EngineSession &e, size_t from, const std::string &prefix) {
    return size_t(std::count_if(e.lines().begin() + long(from), e.lines().end(),
                                [&](const std::string &l) { return l.rfind(prefix, 0) == 0; }));
}

bool isThinkingLine(const std::string &l) { return !l.empty() && std::isdigit(static_cast<unsigned char>(l[0])); }

// Level 40 moves in 5 minutes with 2 seconds a move. Ply 3 (move 2): 39 moves to the
// session's end, 30000 + 2 * 200 allowed so far, 29500 left on the clock, so 900 used;
// 38 increments to come make 37100, of which 0.9 / 39 is 856. The first search out of
// book thinks half as long again; the next one does not. Ply 5: 38 moves, 30600
// allowed, 29000 left, 36400 available, 862.
TEST(Budget, IncrementAndOutOfBookBonusUsedOnce) {
    auto e = protocolEngine();
    e->send("new");
    e->send("level 40 5 2");
    e->send("sd 2");
    e->send("force");
    for (const char *m : {"e2e4", "e7e5", "g1f3"}) e->send(std::string("usermove ") + m);
    e->send("time 29500");
    e->send("go");
    expectBudget(*e, "40 timePerSession=30000 increment=200", "3 fullMoveNumber=2 remainingMoves=39 nSessions=1",
                 "30400 elapsed=900 remaining=29500 available=37100 max=856", "856");
    EXPECT_TRUE(e->waitForLine("# out of book: corrected maxTime = 1284"));
    const auto move = e->waitFor(isMoveLine);
    ASSERT_TRUE(move);
    e->sync();
    const size_t second = e->position();
    e->send("time 29000");
    e->send("usermove d2d4");
    expectBudget(*e, "40 timePerSession=30000 increment=200", "5 fullMoveNumber=3 remainingMoves=38 nSessions=1",
                 "30600 elapsed=1600 remaining=29000 available=36400 max=862", "862");
    ASSERT_TRUE(e->waitFor(isMoveLine));
    EXPECT_EQ(countFrom(*e, second, "# out of book"), 0u);
    quit(*e);
}

// The session count follows the game record's plies. Ply 80 is move 41: the second
// session of 40 moves has begun, 60000 allowed, 20000 left, 40 moves to go: 450, and
// the bonus applies. Ply 78 is move 40, the session's last: 1000 left make 900 and
// the bonus is refused.
TEST(Budget, SecondSessionAndBonusRefusedNearTheSessionEnd) {
    auto e = protocolEngine();
    e->send("new");
    e->send("sd 2");
    e->send("force");
    shuffleKnights(*e, 80);
    e->send("time 20000");
    e->send("go");
    expectBudget(*e, "40 timePerSession=30000 increment=0", "80 fullMoveNumber=41 remainingMoves=40 nSessions=2",
                 "60000 elapsed=40000 remaining=20000 available=20000 max=450", "450");
    EXPECT_TRUE(e->waitForLine("# out of book: corrected maxTime = 675"));
    ASSERT_TRUE(e->waitFor(isMoveLine));

    e->send("new");
    e->send("sd 2");
    e->send("force");
    shuffleKnights(*e, 78);
    e->send("time 1000");
    e->sync();
    const size_t start = e->position();
    e->send("go");
    expectBudget(*e, "40 timePerSession=30000 increment=0", "78 fullMoveNumber=40 remainingMoves=1 nSessions=1",
                 "30000 elapsed=29000 remaining=1000 available=1000 max=900", "900");
    ASSERT_TRUE(e->waitFor(isMoveLine));
    EXPECT_EQ(countFrom(*e, start, "# out of book"), 0u);
    quit(*e);
}

// A negative count or time is refused and the level stays; a time too long for the
// clock is cut to its range (2147483647 centiseconds) and the sums stay exact.
TEST(Budget, AbsurdLevelsAreRefusedOrCutAndTheLinesStaySane) {
    auto e = protocolEngine();
    e->send("new");
    e->send("sd 1");
    for (const std::string bad : {"level -1 5 0", "level 40 -5 0", "level 40 5:-1 0", "level 40 5 -3"}) {
        e->send(bad);
        const auto got = e->sync();
        EXPECT_NE(std::find(got.begin(), got.end(), "# command \"" + bad + "\" returned an error code "), got.end());
    }
    e->send("force");
    shuffleKnights(*e, 2);
    e->send("go");
    expectBudget(*e, "40 timePerSession=30000 increment=0", "2 fullMoveNumber=2 remainingMoves=39 nSessions=1",
                 "30000 elapsed=0 remaining=30000 available=30000 max=692", "692");
    ASSERT_TRUE(e->waitFor(isMoveLine));

    // 2^31 - 1 a session and as increment, 2 * 10^9 moves a session: at move 2 the
    // increments still to come are summed in 64 bits, and the out-of-book bonus is cut
    // to the clock's range.
    e->send("new");
    e->send("sd 1");
    e->send("level 2000000000 99999999 99999999");
    e->send("force");
    shuffleKnights(*e, 2);
    e->send("go");
    expectBudget(*e, "2000000000 timePerSession=2147483647 increment=2147483647",
                 "2 fullMoveNumber=2 remainingMoves=1999999999 nSessions=1",
                 "6442450941 elapsed=0 remaining=6442450941 available=4294967296147483647 max=1932735284",
                 "1932735284");
    EXPECT_TRUE(e->waitForLine("# out of book: corrected maxTime = 2147483647"));
    ASSERT_TRUE(e->waitFor(isMoveLine));
    quit(*e);
}

// The engine offers a draw with the move that makes a position occur the third time
// (not the second), and with the move that completes fifty moves without a capture or
// pawn move. Black's king has one legal move in each of these positions.
TEST(DrawOffer, ThirdRepetitionAndFiftyMoves) {
    auto e = protocolEngine();
    e->send("new");
    e->send("sd 2");
    e->send("force");
    e->send("setboard 6k1/8/6K1/8/8/8/8/5R2 w - - 0 1");
    e->send("playother");
    std::vector<bool> offered;
    for (const char *m : {"f1f2", "f2f1", "f1f2", "f2f1"}) {
        e->sync();
        const size_t from = e->position();
        e->send(std::string("usermove ") + m);
        ASSERT_TRUE(e->waitFor(isMoveLine));
        offered.push_back(countFrom(*e, from, "offer draw") == 1);
    }
    // Engine moves: Kh8 (first), Kg8 (second time), Kh8 (second), Kg8 (third).
    EXPECT_EQ(offered, (std::vector<bool>{false, false, false, true}));

    for (const auto &[clock, offer] : {std::pair{"98", false}, {"99", true}}) {
        e->send("new");
        e->send("sd 2");
        e->send(std::string("setboard 7k/8/6K1/8/8/8/8/5R2 b - - ") + clock + " 80");
        e->sync();
        const size_t from = e->position();
        e->send("go");
        ASSERT_TRUE(e->waitFor(isMoveLine));
        EXPECT_EQ(countFrom(*e, from, "offer draw"), offer ? 1u : 0u) << clock;
    }
    quit(*e);
}

// Auto mode plays both sides, one move per input line: the next search starts only
// when the loop has read another line. It stops at mate with the result, and "force"
// ends it.
TEST(AutoMode, OneMovePerLineUntilMateOrForce) {
    auto e = protocolEngine();
    e->send("new");
    e->send("sd 2");
    e->send("auto");
    for (int move = 0; move < 3; ++move) {
        const size_t from = e->position();
        ASSERT_TRUE(e->waitFor(isMoveLine)) << move;
        e->drain(700ms);  // no further move without a line
        EXPECT_EQ(countFrom(*e, from, "move "), 1u) << move;
        e->send("ping 1");
    }
    ASSERT_TRUE(e->waitFor(isMoveLine));
    e->drain(300ms);
    e->send("force");
    for (int i = 0; i < 3; ++i) e->sync();
    e->drain(700ms);
    const size_t afterForce = e->position();
    e->sync();
    EXPECT_EQ(countFrom(*e, afterForce, "move "), 0u);

    // Mate in one, then the loser would be to move: the result line and no more moves.
    e->send("setboard 6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1");
    e->send("auto");
    const auto mate = e->waitFor(isMoveLine);
    ASSERT_TRUE(mate);
    EXPECT_EQ(*mate, "move d1d8");
    EXPECT_TRUE(e->waitForLine("1-0 {White wins by checkmate}"));
    for (int i = 0; i < 3; ++i) e->sync();
    e->drain(500ms);
    EXPECT_EQ(std::count_if(e->lines().begin(), e->lines().end(), isMoveLine), 5);
    quit(*e);
}

int depthOf(const std::string &thinking) { return std::stoi(thinking); }

// A tool command whose count is refused fails without touching the analysis: it goes
// on deepening instead of starting again from depth 1.
TEST(Analysis, RefusedRandgamesLeavesTheAnalysisRunning) {
    auto e = protocolEngine();
    e->send("new");
    e->send("post");
    e->send("analyze");
    auto last = e->waitFor(isThinkingLine);
    ASSERT_TRUE(last);
    for (const std::string command : {"randgames 0", "randgames abc"}) {
        e->send(command);
        const auto got = e->sync();
        EXPECT_NE(std::find(got.begin(), got.end(), "# command \"" + command + "\" returned an error code "),
                  got.end());
        EXPECT_EQ(std::find_if(got.begin(), got.end(), [](auto &l) { return l.rfind("# Playing", 0) == 0; }),
                  got.end());
        int before = depthOf(*last);
        for (const std::string &l : got)
            if (isThinkingLine(l)) {
                EXPECT_GE(depthOf(l), before) << command;
                before = depthOf(l);
            }
        last = e->waitFor(isThinkingLine, 60s);
        ASSERT_TRUE(last) << command;
        EXPECT_GE(depthOf(*last), before) << command;
    }
    e->send("exit");
    quit(*e);
}

}  // namespace
