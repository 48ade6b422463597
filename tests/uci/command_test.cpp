// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "board/movegen.h"
#include "uci/command.h"
#include "uci/info.h"

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

// The words of "position": the base position's FEN fields, the move words, and notes
// for what is left over. Replaying them is the core's (tests/engine/replay_test.cpp).
TEST(UciCommand, PositionLines) {
    struct Case {
        const char *line;
        bool ok;
        const char *fen;
        const char *moves;  // joined by blanks
        const char *notes;  // what the notes must contain, "" for none
    } cases[] = {
        {"position startpos", true, START_FEN, "", ""},
        {"position startpos moves", true, START_FEN, "", ""},
        {"position  startpos\tmoves  e2e4 \r", true, START_FEN, "e2e4", ""},
        {"position", false, "", "", "startpos or fen expected"},
        {"position moves e2e4", false, "", "", "startpos or fen expected"},
        {"position fen", true, "", "", ""},
        {"position fen moves e2e4", true, "", "e2e4", ""},
        {"position fen 7k/8/8/8/8/8/8/K7", true, "7k/8/8/8/8/8/8/K7", "", ""},
        {"position fen\t7k/8/8/8/8/8/8/K7  b  -  - 3 9 moves h8g8", true, "7k/8/8/8/8/8/8/K7 b - - 3 9", "h8g8", ""},
        {"position fen 7k/8/8/8/8/8/8/K7 w - - 0 1 extra 7 moves a1b1", true, "7k/8/8/8/8/8/8/K7 w - - 0 1", "a1b1",
         "ignored: extra 7"},
        {"position startpos junk moves e2e4 e7e5", true, START_FEN, "e2e4 e7e5", "ignored: junk"},
        {"position startpos e2e4", true, START_FEN, "", "ignored: e2e4"},
    };
    for (const Case &c : cases) {
        const Tokens tokens = tokenize(c.line);
        const PositionCommand p = parsePosition(argsOf(tokens));
        EXPECT_EQ(p.ok, c.ok) << c.line;
        EXPECT_EQ(p.fen, c.fen) << c.line;
        std::string moves;
        for (std::string_view m : p.moves) moves += (moves.empty() ? "" : " ") + std::string(m);
        EXPECT_EQ(moves, c.moves) << c.line;
        const std::string notes = allNotes(p.notes);
        if (*c.notes) EXPECT_NE(notes.find(c.notes), std::string::npos) << c.line << " gave " << notes;
        else EXPECT_EQ(notes, "") << c.line;
    }
}

// Every "go" with a clock field gets a finite budget, whichever fields it names; our
// clock fields missing, the other side's stand in.
TEST(UciCommand, GoClockBudgets) {
    Board_BB64 board;
    board.setFromFEN(START_FEN);
    const struct {
        const char *line;
        Colour us;
        int64_t overhead;
        std::optional<int64_t> budget;
    } cases[] = {
        {"go", BLACK, 30, {}},  // searched until stopped
        {"go wtime 10000 winc 100", WHITE, 0, 368},
        {"go wtime 10000 winc 100", BLACK, 0, 368},
        {"go wtime 10000 winc 100 btime 2000", BLACK, 0, 143},  // our clock, their increment
        {"go btime 0", BLACK, 30, 1},
        {"go wtime -4000 winc -10", WHITE, 30, 1},
        {"go movestogo 0", WHITE, 30, 1},  // a move count with no clock: move at once
        {"go binc 1000", WHITE, 30, 1},
        {"go wtime 99999999999999999999 movestogo 99999999999999999999", WHITE, 0, 989560464},  // long, but it ends
        {"go wtime 10000 winc 100 btime 2000 movetime 1000", WHITE, 30, 970},  // a move time rules
    };
    for (const auto &c : cases) {
        const Tokens tokens = tokenize(c.line);
        EXPECT_EQ(clockBudgetMs(goClock(parseGo(argsOf(tokens), board), c.us), c.overhead), c.budget) << c.line;
    }
}

// "go" lines, whole and odd: every field they set, in a fixed order, and the notes.
TEST(UciCommand, GoLines) {
    Board_BB64 board;
    board.setFromFEN(START_FEN);
    const struct {
        const char *line, *fields, *notes;
    } cases[] = {
        {"go ponder wtime 300000 btime 290000 winc 2000 binc 1000 movestogo 40 depth 12 nodes 1000000 movetime 5000 "
         "mate 3 infinite searchmoves e2e4 d2d4 perft 5",
         "wtime 300000 btime 290000 winc 2000 binc 1000 movestogo 40 depth 12 nodes 1000000 movetime 5000 mate 3 "
         "perft 5 infinite ponder e2e4 d2d4 ", ""},
        {"go wtime -500 depth -2", "wtime 0 depth 0 ", ""},
        {"go wtime 99999999999999999999999", "wtime 9223372036854775807 ", ""},
        {"go depth", "", "depth without a number"},
        {"go depth infinite", "infinite ", "depth without a number"},
        {"go depth 5x wtime 10", "wtime 10 ", "depth without a number, ignored|ignored: 5x"},
        {"go bogus depth 3", "depth 3 ", "ignored: bogus"},
        {"go depth 3 depth 4", "depth 4 ", ""},
        {"go searchmoves", "", "all moves searched"},
        {"go searchmoves e7e5 zz depth 2", "depth 2 ",
         "not a legal move: e7e5|searchmoves: not a legal move: zz|searchmoves: no legal move given"},
        {"go searchmoves e2e4 e2e4 e7e5 infinite", "infinite e2e4 ", "not a legal move: e7e5"},
    };
    for (const auto &c : cases) {
        const Tokens tokens = tokenize(c.line);
        const GoCommand go = parseGo(argsOf(tokens), board);
        const std::pair<const char *, const std::optional<int64_t> &> numbers[] = {
            {"wtime", go.timeMs[WHITE]}, {"btime", go.timeMs[BLACK]}, {"winc", go.incMs[WHITE]},
            {"binc", go.incMs[BLACK]},   {"movestogo", go.movesToGo}, {"depth", go.depth},
            {"nodes", go.nodes},         {"movetime", go.moveTimeMs}, {"mate", go.mate},
            {"perft", go.perftDepth}};
        std::string fields;
        for (const auto &[name, value] : numbers)
            if (value) fields += std::string(name) + " " + std::to_string(*value) + " ";
        fields += std::string(go.infinite ? "infinite " : "") + (go.ponder ? "ponder " : "");
        for (const Move m : go.searchMoves) {
            char text[6];
            moveToText(m, text);
            fields += std::string(text) + " ";
        }
        EXPECT_EQ(fields, c.fields) << c.line;
        const std::string notes = allNotes(go.notes);
        if (*c.notes) EXPECT_NE(notes.find(c.notes), std::string::npos) << c.line << " gave " << notes;
        else EXPECT_EQ(notes, "") << c.line;
    }
    EXPECT_TRUE(board.isConsistent());
}

TEST(UciCommand, SetOptionLines) {
    struct Case {
        const char *line;
        const char *name;
        std::optional<std::string> value;
        bool noted;
    } cases[] = {
        {"setoption name Hash value 128", "Hash", "128", false},
        {"setoption name Clear Hash", "Clear Hash", {}, false},
        {"setoption  name  Book \t File\tvalue  /data/my  books/x.bin \r", "Book File", "/data/my books/x.bin", false},
        {"setoption name Piece Value value 3", "Piece Value", "3", false},
        {"setoption name Hash value", "Hash", "", false},
        {"setoption name Hash value 1 value 2", "Hash", "1 value 2", false},
        {"setoption extra name Hash value 1", "Hash", "1", true},
        {"setoption Hash value 1", "", {}, true},
        {"setoption name", "", {}, true},
        {"setoption name value 5", "", "5", true},
    };
    for (const Case &c : cases) {
        const Tokens tokens = tokenize(c.line);
        const SetOptionCommand s = parseSetOption(argsOf(tokens));
        EXPECT_EQ(s.name, c.name) << c.line;
        EXPECT_EQ(s.value, c.value) << c.line;
        EXPECT_EQ(!s.notes.empty(), c.noted) << c.line << ": " << allNotes(s.notes);
    }
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
