// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "board/movegen.h"
#include "uci/command.h"
#include "uci/info.h"
#include "tests/test_support.h"

namespace {

// The arguments of a command line: the words after the command word.
TokenSpan argsOf(const Tokens &tokens) { return TokenSpan(tokens).subspan(tokens.empty() ? 0 : 1); }

std::string allNotes(const Notes &notes) {
    std::string out;
    for (const std::string &n : notes) out += n + "|";
    return out;
}

Move moveIn(const char *fen, const char *text) {
    Board_BB64 b;
    Move m = NO_MOVE;
    EXPECT_TRUE(b.setFromFEN(fen) && textToMove(b, text, m)) << fen << " " << text;
    return m;
}

}  // namespace

TEST(UciCommand, Tokenize) {
    EXPECT_EQ(tokenize("  go\t\tdepth  5 \t\r"), (Tokens{"go", "depth", "5"}));
    EXPECT_EQ(tokenize("isready\r\n"), (Tokens{"isready"}));
    EXPECT_TRUE(tokenize(" \t \r").empty());
    // A NUL byte or another control character separates words like a blank.
    EXPECT_EQ(tokenize(std::string_view("go\0depth\x1b" "5\x7f", 12)), (Tokens{"go", "depth", "5"}));
    EXPECT_TRUE(equalsIgnoreCase("Clear Hash", "clear HASH"));
    EXPECT_FALSE(equalsIgnoreCase("Hash", "Hash2"));
    EXPECT_FALSE(equalsIgnoreCase("Hash", "Cash"));
}

// The words of "position", "go" and "setoption" as the parsers read them (commands.txt;
// "\t" and "\r" there stand for those characters).
std::string parsed(const std::string &line, Board_BB64 &board) {
    const Tokens tokens = tokenize(line);
    std::string out;
    if (tokens[0] == "position") {
        const PositionCommand p = parsePosition(argsOf(tokens));
        out = std::string(p.ok ? "ok" : "refused") + " fen=" + p.fen + " moves=";
        for (std::string_view m : p.moves) out += std::string(m) + " ";
        return out + "notes=" + allNotes(p.notes);
    }
    if (tokens[0] == "setoption") {
        const SetOptionCommand s = parseSetOption(argsOf(tokens));
        return "name=" + s.name + " value=" + s.value.value_or("<none>") + " notes=" + allNotes(s.notes);
    }
    const GoCommand go = parseGo(argsOf(tokens), board);
    const std::pair<const char *, const std::optional<int64_t> &> numbers[] = {
        {"wtime", go.timeMs[WHITE]}, {"btime", go.timeMs[BLACK]}, {"winc", go.incMs[WHITE]},
        {"binc", go.incMs[BLACK]},   {"movestogo", go.movesToGo}, {"depth", go.depth},
        {"nodes", go.nodes},         {"movetime", go.moveTimeMs}, {"mate", go.mate},
        {"perft", go.perftDepth}};
    for (const auto &[name, value] : numbers)
        if (value) out += std::string(name) + " " + std::to_string(*value) + " ";
    out += std::string(go.infinite ? "infinite " : "") + (go.ponder ? "ponder " : "");
    for (const Move m : go.searchMoves) {
        char text[6];
        moveToText(m, text);
        out += std::string(text) + " ";
    }
    // Every clock gives a finite budget (ms, a move overhead of 30), for either side.
    for (const Colour us : {WHITE, BLACK}) {
        const std::optional<int64_t> budget = clockBudgetMs(goClock(go, us), 30);
        out += (us == WHITE ? "budget " : "/") + (budget ? std::to_string(*budget) : "none");
    }
    return out + " notes=" + allNotes(go.notes);
}

TEST(UciCommand, LinesAsTheParsersReadThem) {
    Board_BB64 board;
    board.setFromFEN(START_FEN);
    EXPECT_GT(checkTextCases("uci/commands.txt", [&](std::string line) {
        for (const auto &[from, to] : {std::pair{"\\t", "\t"}, {"\\r", "\r"}})
            for (size_t at; (at = line.find(from)) != std::string::npos;) line.replace(at, 2, to);
        return parsed(line, board);
    }), 40);
    EXPECT_TRUE(board.isConsistent());
}

// The lines the face writes: scores, info fields in their order, the move and strings.
TEST(UciInfo, ScoresInfoLinesAndMoves) {
    const std::pair<int, const char *> scores[] = {
        {35, "cp 35"},           {0, "cp 0"},           {-120, "cp -120"},       {20000, "cp 20000"},
        {-20000, "cp -20000"},   {MATE_SCORE - 1, "mate 1"}, {MATE_SCORE - 3, "mate 2"}, {MATE_SCORE - 5, "mate 3"},
        {20001, "mate 6000"},    {2 - MATE_SCORE, "mate -1"}, {4 - MATE_SCORE, "mate -2"}, {-MATE_SCORE, "mate 0"},
    };
    for (const auto &[score, text] : scores) EXPECT_EQ(scoreText(score), text) << score;

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
    const std::vector<Move> pv = {MOVE_WHITE_OO, moveIn("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7b8q")};
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

    const Move e2e4 = moveIn(START_FEN, "e2e4");
    const Move e7e5 = moveIn("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1", "e7e5");
    EXPECT_EQ(bestMoveLine(e2e4, e7e5), "bestmove e2e4 ponder e7e5");
    EXPECT_EQ(bestMoveLine(e2e4, NO_MOVE), "bestmove e2e4");
    EXPECT_EQ(bestMoveLine(NO_MOVE, e7e5), "bestmove 0000");
    EXPECT_EQ(infoStringLine("bad\tFEN\r\nx"), "info string bad?FEN??x");
}
