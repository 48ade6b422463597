// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "board/movegen.h"
#include "uci/command.h"

namespace {

// The arguments of a command line: the words after the command word.
TokenSpan argsOf(const Tokens &tokens) { return TokenSpan(tokens).subspan(tokens.empty() ? 0 : 1); }

// The FEN less its move number, which a long game's board no longer counts.
std::string fenOf(const Board_BB64 &b) {
    char buf[128];
    b.toFEN(buf);
    std::string fen = buf;
    return fen.substr(0, fen.rfind(' '));
}

std::string allNotes(const Notes &notes) {
    std::string out;
    for (const std::string &n : notes) out += n + "|";
    return out;
}

Move moveOf(Board_BB64 b, const char *text) {
    Move m = NO_MOVE;
    EXPECT_TRUE(textToMove(b, text, m)) << text;
    return m;
}

const char *const AFTER_E4 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0";
const char *const START = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0";

}  // namespace

TEST(UciCommand, Tokenize) {
    EXPECT_EQ(tokenize("  go\t\tdepth  5 \t\r"), (Tokens{"go", "depth", "5"}));
    EXPECT_EQ(tokenize("isready\r\n"), (Tokens{"isready"}));
    EXPECT_TRUE(tokenize(" \t \r").empty());
    EXPECT_TRUE(equalsIgnoreCase("Clear Hash", "clear HASH"));
    EXPECT_FALSE(equalsIgnoreCase("Hash", "Hash2"));
    EXPECT_FALSE(equalsIgnoreCase("Hash", "Cash"));
}

// Each line is read onto a board that held the position after 1. e4; a line that
// fails must leave it there.
TEST(UciCommand, PositionLines) {
    struct Case {
        const char *line;
        bool ok;
        const char *fen;  // without the move number
        size_t moves;
        const char *notes;  // what the notes must contain, "" for none
    } cases[] = {
        {"position startpos", true, START, 0, ""},
        {"position startpos moves", true, START, 0, ""},
        {"position  startpos\tmoves  e2e4 \r", true, AFTER_E4, 1, ""},
        {"position", false, AFTER_E4, 0, "startpos or fen expected"},
        {"position moves e2e4", false, AFTER_E4, 0, "startpos or fen expected"},
        {"position fen", false, AFTER_E4, 0, "bad FEN"},
        {"position fen moves e2e4", false, AFTER_E4, 0, "bad FEN"},
        {"position fen 8/8/8/8 w - - 0 1", false, AFTER_E4, 0, "bad FEN 8/8/8/8 w - - 0 1"},
        {"position fen 8/8/8/8/8/8/8/8 w - - 0 1", false, AFTER_E4, 0, "bad FEN"},  // no kings
        {"position fen 4k3/8/8/8/8/8/8/4R2K w - - 0 1", false, AFTER_E4, 0, "bad FEN"},  // king en prise
        {"position fen 4k3/8/8/8/8/8/8/4R2K b - - 0 1", true, "4k3/8/8/8/8/8/8/4R2K b - - 0", 0, ""},
        {"position fen 7k/8/8/8/8/8/8/K7 w - -", true, "7k/8/8/8/8/8/8/K7 w - - 0", 0, ""},
        {"position fen\t7k/8/8/8/8/8/8/K7  b  -  - 3 9 moves h8g8", true, "6k1/8/8/8/8/8/8/K7 w - - 4", 1, ""},
        {"position fen 7k/8/8/8/8/8/8/K7 w - - 0 1 extra 7 moves a1b1", true, "7k/8/8/8/8/8/8/1K6 b - - 1", 1,
         "ignored: extra 7"},
        {"position startpos junk moves e2e4", true, AFTER_E4, 1, "ignored: junk"},
        {"position startpos e2e4", true, START, 0, "ignored: e2e4"},
        {"position startpos moves e2e4 e2e4 e7e5", true, AFTER_E4, 1, "illegal move e2e4"},
        {"position startpos moves e2e4 xyz e7e5", true, AFTER_E4, 1, "illegal move xyz"},
        {"position startpos moves e2e4 0000", true, AFTER_E4, 1, "illegal move 0000"},
        {"position fen 7k/P7/8/8/8/8/8/K7 w - - 0 1 moves a7a8qq", true, "7k/P7/8/8/8/8/8/K7 w - - 0", 0,
         "illegal move a7a8qq"},
        {"position fen 7k/P7/8/8/8/8/8/K7 w - - 0 1 moves a7a8", true, "7k/P7/8/8/8/8/8/K7 w - - 0", 0,
         "illegal move a7a8"},
    };
    for (const Case &c : cases) {
        Board_BB64 board;
        board.setFromFEN("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1");
        const Tokens tokens = tokenize(c.line);
        const PositionResult r = parsePosition(argsOf(tokens), board);
        EXPECT_EQ(r.ok, c.ok) << c.line;
        EXPECT_EQ(fenOf(board), c.fen) << c.line;
        EXPECT_EQ(r.moves.size(), c.moves) << c.line;
        const std::string notes = allNotes(r.notes);
        if (*c.notes) EXPECT_NE(notes.find(c.notes), std::string::npos) << c.line << " gave " << notes;
        else EXPECT_EQ(notes, "") << c.line;
    }
}

// Castling, en passant and promotions arrive in coordinate text, promotions in lower case.
TEST(UciCommand, PositionSpecialMoves) {
    struct Case {
        const char *line;
        const char *fen;
    } cases[] = {
        {"position startpos moves e2e4 e7e5 g1f3 b8c6 f1c4 g8f6 e1g1",
         "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQ1RK1 b kq - 5"},
        {"position fen r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1 moves e8c8 e1g1", "2kr3r/8/8/8/8/8/8/R4RK1 b - - 2"},
        {"position startpos moves e2e4 a7a6 e4e5 d7d5 e5d6",
         "rnbqkbnr/1pp1pppp/p2P4/8/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0"},
        {"position fen 4k3/1P6/8/8/8/8/8/4K3 w - - 0 1 moves b7b8n", "1N2k3/8/8/8/8/8/8/4K3 b - - 0"},
        {"position fen r3k3/1P6/8/8/8/8/8/4K3 w q - 0 1 moves b7a8q", "Q3k3/8/8/8/8/8/8/4K3 b - - 0"},
        {"position fen 4k3/8/8/8/8/8/p7/4K3 b - - 0 1 moves a2a1r", "4k3/8/8/8/8/8/8/r3K3 w - - 0"},
    };
    for (const Case &c : cases) {
        Board_BB64 board;
        const Tokens tokens = tokenize(c.line);
        const PositionResult r = parsePosition(argsOf(tokens), board);
        EXPECT_TRUE(r.ok && r.notes.empty()) << c.line << ": " << allNotes(r.notes);
        EXPECT_EQ(fenOf(board), c.fen) << c.line;
        EXPECT_TRUE(board.isConsistent()) << c.line;
    }
    Board_BB64 board;
    const Tokens tokens = tokenize(cases[0].line);
    const PositionResult r = parsePosition(argsOf(tokens), board);
    ASSERT_EQ(r.moves.size(), 7u);
    EXPECT_EQ(r.moves.back(), MOVE_WHITE_OO);
}

namespace {

constexpr const char *SHUFFLE = " g1f3 g8f6 f3g1 f6g8";

std::string fieldsOf(const Board_BB64 &b, int count) {
    std::string fen = fenOf(b);
    size_t end = 0;
    for (int i = 0; i < count && end != std::string::npos; ++i) end = fen.find(' ', end + 1);
    return fen.substr(0, end);
}

}  // namespace

// Games longer than the board's history: the position must still be the game's.
TEST(UciCommand, PositionLongShuffles) {
    for (int cycles : {100, 250, 750}) {
        std::string line = "position startpos moves";
        for (int i = 0; i < cycles; ++i) line += SHUFFLE;
        line += " e2e4";
        const Tokens tokens = tokenize(line);
        Board_BB64 board;
        const PositionResult r = parsePosition(argsOf(tokens), board);
        EXPECT_TRUE(r.ok && r.notes.empty()) << cycles << ": " << allNotes(r.notes);
        EXPECT_EQ(r.moves.size(), size_t(cycles) * 4 + 1);
        EXPECT_EQ(fieldsOf(board, 4), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -") << cycles;
        EXPECT_LE(board.historyIndex, POSITION_MAX_PLIES) << cycles;
        EXPECT_TRUE(board.isConsistent()) << cycles;
    }
}

// A game past the history limit: the board's history still reaches back to the last
// pawn move, with the game's own keys, so repetitions are seen as in a shorter game.
TEST(UciCommand, PositionLongGameKeepsRepetitions) {
    const char *white[] = {"a2a3", "b2b3", "c2c3", "d2d3", "e2e3", "h2h3",
                           "a3a4", "b3b4", "c3c4", "d3d4", "e3e4", "h3h4"};
    const char *black[] = {"a7a6", "b7b6", "c7c6", "d7d6", "e7e6", "h7h6",
                           "a6a5", "b6b5", "c6c5", "d6d5", "e6e5", "h6h5"};
    std::string line = "position startpos moves";
    for (int i = 0; i < 12; ++i) {
        line += std::string(" ") + white[i] + " " + black[i];
        for (int k = 0; k < 15; ++k) line += SHUFFLE;
    }
    // 744 plies so far; 26 more pass the history limit, the last pawn move 86 plies back.
    for (int k = 0; k < 6; ++k) line += SHUFFLE;
    line += " g1f3 g8f6";
    const Tokens tokens = tokenize(line);
    Board_BB64 board;
    const PositionResult r = parsePosition(argsOf(tokens), board);
    ASSERT_TRUE(r.ok && r.notes.empty()) << allNotes(r.notes);
    ASSERT_EQ(r.moves.size(), 770u);
    EXPECT_EQ(fenOf(board), "rnbqkb1r/5pp1/5n2/ppppp2p/PPPPP2P/5N2/5PP1/RNBQKB1R w KQkq - 86");

    // The same game played straight through: it still fits the history whole.
    Board_BB64 whole;
    whole.setFromFEN(START_FEN);
    UndoInfo undo;
    for (Move m : r.moves) whole.makeMove(m, undo);
    ASSERT_GE(board.historyIndex, uint32_t(board.halfmoveClock));
    for (uint32_t back = 0; back <= board.halfmoveClock; ++back)
        EXPECT_EQ(board.history[board.historyIndex - back].key, whole.history[whole.historyIndex - back].key) << back;
    int reason = DRAW_NONE;
    EXPECT_TRUE(isDraw(board, reason));
}

TEST(UciCommand, GoEveryField) {
    Board_BB64 board;
    board.setFromFEN(START_FEN);
    const Tokens tokens = tokenize("go ponder wtime 300000 btime 290000 winc 2000 binc 1000 movestogo 40 depth 12 "
                                   "nodes 1000000 movetime 5000 mate 3 infinite searchmoves e2e4 d2d4 perft 5");
    const GoCommand go = parseGo(argsOf(tokens), board);
    EXPECT_EQ(go.timeMs[WHITE], 300000);
    EXPECT_EQ(go.timeMs[BLACK], 290000);
    EXPECT_EQ(go.incMs[WHITE], 2000);
    EXPECT_EQ(go.incMs[BLACK], 1000);
    EXPECT_EQ(go.movesToGo, 40);
    EXPECT_EQ(go.depth, 12);
    EXPECT_EQ(go.nodes, 1000000);
    EXPECT_EQ(go.moveTimeMs, 5000);
    EXPECT_EQ(go.mate, 3);
    EXPECT_EQ(go.perftDepth, 5);
    EXPECT_TRUE(go.infinite && go.ponder);
    EXPECT_EQ(go.searchMoves, (std::vector<Move>{moveOf(board, "e2e4"), moveOf(board, "d2d4")}));
    EXPECT_TRUE(go.notes.empty()) << allNotes(go.notes);
}

// Odd "go" lines: what each field ends up holding and what the notes say.
TEST(UciCommand, GoOddLines) {
    constexpr int64_t TOP = std::numeric_limits<int64_t>::max();
    Board_BB64 board;
    board.setFromFEN(START_FEN);
    const Move e2e4 = moveOf(board, "e2e4");
    struct Case {
        const char *line;
        std::optional<int64_t> wtime, depth;
        bool infinite;
        std::vector<Move> searchMoves;
        const char *notes;
    } cases[] = {
        {"go wtime -500 depth -2", 0, 0, false, {}, ""},
        {"go wtime 99999999999999999999999", TOP, {}, false, {}, ""},
        {"go depth", {}, {}, false, {}, "depth without a number"},
        {"go depth infinite", {}, {}, true, {}, "depth without a number"},
        {"go depth 5x wtime 10", 10, {}, false, {}, "depth without a number, ignored|ignored: 5x"},
        {"go bogus depth 3", {}, 3, false, {}, "ignored: bogus"},
        {"go depth 3 depth 4", {}, 4, false, {}, ""},
        {"go searchmoves", {}, {}, false, {}, "all moves searched"},
        {"go searchmoves e7e5 zz depth 2", {}, 2, false, {},
         "not a legal move: e7e5|searchmoves: not a legal move: zz|searchmoves: no legal move given"},
        {"go searchmoves e2e4 e2e4 e7e5 infinite", {}, {}, true, {e2e4}, "not a legal move: e7e5"},
    };
    for (const Case &c : cases) {
        const Tokens tokens = tokenize(c.line);
        const GoCommand go = parseGo(argsOf(tokens), board);
        EXPECT_EQ(go.timeMs[WHITE], c.wtime) << c.line;
        EXPECT_EQ(go.depth, c.depth) << c.line;
        EXPECT_EQ(go.infinite, c.infinite) << c.line;
        EXPECT_EQ(go.searchMoves, c.searchMoves) << c.line;
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
        {"setoption  name  Book File\tvalue  /data/my  books/x.bin \r", "Book File", "/data/my  books/x.bin", false},
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
