// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The UCI face: reads the GUI's commands, drives the engine player and turns the
// core's reports into UCI output lines. The command loop never waits for a search.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

#include "engine/player.h"
#include "tools/perft.h"

// Current-move lines start this long into a search (centiseconds).
constexpr int32_t CURRMOVE_AFTER_CS = 300;

class UciEngine : public EngineListener {
public:
    UciEngine();
    ~UciEngine() override;

    void onIteration(const IterationReport &r) override;
    void onLine(const IterationReport &r) override;
    void onCurrentMove(int depth, Move move, int number, int32_t elapsedCs) override;
    void onStopReason(StopReason reason, Move, int plies) override;
    void onTimeout() override;
    void onSearchFinished(const SearchSummary &s) override;
    void onBudget(const BudgetReport &) override {}
    void onBudgetChange(BudgetChange, int32_t) override {}
    void onTableSize(const TableSizeReport &r) override;
    void onHashCollision(const Board_BB64 &b, Move m, bool pseudoLegal) override;
    void onBookError(int errorNumber) override;
    void onBestMove(const SearchResult &r, bool analysis) override;

    // Reads and runs commands until "quit" or the end of the input.
    void commandLoop(std::FILE *input);
    // One input line; false after "quit".
    bool executeLine(std::string_view line);
    // The search benchmark; prints the node count and speed as its last line.
    void bench();

private:
    void emit(const std::string &line);
    // An "info string" line that only "debug on" asks for.
    void diagnostic(const std::string &text);
    void stop();
    // Makes what the settings and "ucinewgame" asked for and waits until it is in
    // memory: the answer to "isready" means the next "go" waits for nothing.
    void ready();
    void ponderHit();
    void uci();
    void position(const std::string_view *args, size_t n);
    void go(const std::string_view *args, size_t n);
    void setOption(const std::string_view *args, size_t n);
    void diagram();
    void perft(int depth);
    void evaluation();

    ChessPlayer player_;
    PerftHash perftHash_;  // made by the first perft
    std::mutex outputMutex_;
    // "go infinite" (and "go ponder"): the best move waits for "stop" even when the
    // search ends by itself. Guarded by outputMutex_.
    bool holdBestMove_ = false;
    std::string heldBestMove_;
    Move rootMove_ = NO_MOVE;  // a legal move of the searched position, if any
    MoveNotation notation_;    // of the searched position's game: Chess960 castles as e1h1
    // The move number of the position set, counted from the FEN's own: the game record
    // holds only the moves since the last irreversible one.
    int fullMoveNumber_ = 1;
    // Why the last "position" left nothing to search (empty: a position is set).
    std::string noPosition_;
    Relaxed<bool> debug_ = false;  // read by thread 0's reports
    // A "go ponder" search waiting for "ponderhit", and whether it was also "infinite".
    bool pondering_ = false;
    bool ponderInfinite_ = false;
};
