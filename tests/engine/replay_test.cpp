// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Replaying a game from a FEN and its moves, as the UCI face hands it over.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "board/movegen.h"
#include "engine/replay.h"
#include "tests/test_support.h"

namespace {

std::vector<std::string_view> wordsOf(const std::string &text) {
    std::vector<std::string_view> words;
    for (size_t i = 0; i < text.size();) {
        const size_t end = std::min(text.find(' ', i), text.size());
        if (end > i) words.push_back(std::string_view(text).substr(i, end - i));
        i = end + 1;
    }
    return words;
}

// The position the game record stands for: its start and its moves.
std::unique_ptr<Board_BB64> recordBoard(const GameReplay &g) {
    auto b = std::make_unique<Board_BB64>();
    EXPECT_TRUE(b->setFromFEN(g.recordFen.c_str())) << g.recordFen;
    UndoInfo undo;
    for (Move m : g.recordMoves) {
        b->history[b->historyIndex].movePlayed = m;
        b->makeMove(m, undo);
    }
    return b;
}

// The FEN less its move number, which the board counts from its own set-up.
std::string placeOf(const Board_BB64 &b) {
    char text[128];
    b.toFEN(text);
    const std::string fen = text;
    return fen.substr(0, fen.rfind(' '));
}

}  // namespace

// Missing trailing fields take the usual defaults; a fifth field is the halfmove clock.
TEST(Replay, FenDefaultsForMissingFields) {
    EXPECT_EQ(completeFen("7k/8/8/8/8/8/8/K7"), "7k/8/8/8/8/8/8/K7 w - - 0 1");
    EXPECT_EQ(completeFen("7k/8/8/8/8/8/8/K7  b"), "7k/8/8/8/8/8/8/K7 b - - 0 1");
    EXPECT_EQ(completeFen("7k/8/8/8/8/8/8/K7 b -"), "7k/8/8/8/8/8/8/K7 b - - 0 1");
    EXPECT_EQ(completeFen("7k/8/8/8/8/8/8/K7 w - - 12"), "7k/8/8/8/8/8/8/K7 w - - 12 1");
    EXPECT_EQ(completeFen("7k/8/8/8/8/8/8/K7\tw - - 3 40 extra"), "7k/8/8/8/8/8/8/K7 w - - 3 40");
    EXPECT_EQ(completeFen("7k/8/8/8/8/8/8/K7 w - - 3 0"), "7k/8/8/8/8/8/8/K7 w - - 3 1");
    EXPECT_EQ(completeFen("  "), "");
}

TEST(Replay, RefusedPositionsAndMoves) {
    checkTextCases("engine/replays.txt", [](const std::string &line) {
        static const char *const OUTCOMES[] = {"played", "illegal move", "unplayable", "bad FEN"};
        const size_t bar = line.find(" |");
        const std::string moves = line.substr(bar + 2);
        const GameReplay g = replayGame(line.substr(0, bar), wordsOf(moves));
        return std::string(OUTCOMES[size_t(g.outcome)]) + ", illegal=" + g.illegalMove +
               " played=" + std::to_string(g.moves.size());
    });
    // Read as written, a FEN keeps its faults: missing move counters are fine, a move
    // number 0 is not.
    constexpr SetupRules strict{.lenientFen = false};
    EXPECT_EQ(replayGame("7k/8/8/8/8/8/8/K7 w - -", {}, strict).outcome, ReplayOutcome::PLAYED);
    EXPECT_EQ(replayGame("7k/8/8/8/8/8/8/K7 w - - 0 0", {}, strict).outcome, ReplayOutcome::BAD_FEN);
    EXPECT_EQ(replayGame("7k/8/8/8/8/8/8/K7 w", {}, strict).outcome, ReplayOutcome::BAD_FEN);

    // Castling and a promotion in coordinate text; the move number goes on from the FEN's.
    const GameReplay g = replayGame("r3k3/8/8/8/8/8/1p6/4K2R b Kq - 0 35", wordsOf("e8c8 e1g1 b2b1q"));
    ASSERT_EQ(g.outcome, ReplayOutcome::PLAYED);
    EXPECT_EQ(placeOf(*recordBoard(g)), "2kr4/8/8/8/8/8/8/1q3RK1 w - - 0");
    EXPECT_EQ(g.fullMoveNumber, 37);
}

namespace {

constexpr const char *SHUFFLE = " g1f3 g8f6 f3g1 f6g8";

}  // namespace

// Games longer than the board's history keep their position, and the plies since the
// last pawn move with the game's own keys, so repetitions are seen.
TEST(Replay, LongGamesKeepTheirPositionAndRepetitions) {
    for (int cycles : {100, 250, 750}) {
        std::string moves = "";
        for (int i = 0; i < cycles; ++i) moves += SHUFFLE;
        moves += " e2e4";
        const GameReplay g = replayGame(START_FEN, wordsOf(moves));
        ASSERT_EQ(g.outcome, ReplayOutcome::PLAYED) << cycles;
        EXPECT_EQ(g.moves.size(), size_t(cycles) * 4 + 1);
        EXPECT_TRUE(g.recordMoves.empty()) << cycles;
        EXPECT_EQ(placeOf(*recordBoard(g)), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0") << cycles;
        EXPECT_EQ(g.fullMoveNumber, cycles * 2 + 1);
    }

    const char *white[] = {"a2a3", "b2b3", "c2c3", "d2d3", "e2e3", "h2h3", "a3a4", "b3b4", "c3c4", "d3d4", "e3e4", "h3h4"};
    const char *black[] = {"a7a6", "b7b6", "c7c6", "d7d6", "e7e6", "h7h6", "a6a5", "b6b5", "c6c5", "d6d5", "e6e5", "h6h5"};
    std::string moves;
    for (int i = 0; i < 12; ++i) {
        moves += std::string(" ") + white[i] + " " + black[i];
        for (int k = 0; k < 15; ++k) moves += SHUFFLE;
    }
    // 744 plies so far; 26 more pass the history limit, the last pawn move 86 plies back.
    for (int k = 0; k < 6; ++k) moves += SHUFFLE;
    moves += " g1f3 g8f6";
    const GameReplay g = replayGame(START_FEN, wordsOf(moves));
    ASSERT_EQ(g.outcome, ReplayOutcome::PLAYED);
    ASSERT_EQ(g.moves.size(), 770u);
    EXPECT_EQ(g.recordMoves.size(), 86u);
    const auto board = recordBoard(g);
    EXPECT_EQ(placeOf(*board), "rnbqkb1r/5pp1/5n2/ppppp2p/PPPPP2P/5N2/5PP1/RNBQKB1R w KQkq - 86");

    // The same game played straight through: it still fits the history whole.
    auto whole = std::make_unique<Board_BB64>();
    whole->setFromFEN(START_FEN);
    UndoInfo undo;
    for (Move m : g.moves) whole->makeMove(m, undo);
    for (uint32_t back = 0; back <= board->halfmoveClock; ++back)
        EXPECT_EQ(board->history[board->historyIndex - back].key, whole->history[whole->historyIndex - back].key)
            << back;
    int reason = DRAW_NONE;
    EXPECT_TRUE(isDraw(*board, reason));
}
