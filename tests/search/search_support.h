// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Shared set-up of the search tests: tables built once, a state wired to fresh
// tables, and a SearchInterface that records what the search reports.
#pragma once

#include <memory>
#include <string>

#include "eval/evaluate.h"
#include "eval/pawnhash.h"
#include "search/search.h"
#include "search/tt.h"

void initSearchTestTables();

class RecordingInterface : public SearchInterface {
public:
    bool timeOut() override { return false; }
    void reportThinking(int depth, int score, const PrincipalVariation &pv) override {
        ++reports;
        lastDepth = depth;
        lastScore = score;
        lastPv = pv;
    }
    // The reasons, one line each ("forced mate in 3 plies: e2e4").
    void reportStop(StopReason reason, Move best, int plies) override;
    void searchFinished() override { ++finished; }

    int reports = 0, finished = 0, lastDepth = -1, lastScore = 0;
    std::string stops;
    PrincipalVariation lastPv;
};

// One search thread with its own small tables.
struct SearchFixture {
    SearchFixture();
    // Fixed-depth timed search of fen; the stop reasons go to output.
    SearchResult search(const char *fen, int depth);
    Board_BB64 &board(const char *fen);

    std::unique_ptr<TranspositionTable> tt;
    std::unique_ptr<PawnHashTable> pawnHash;
    std::unique_ptr<SearchState> state;
    std::unique_ptr<Board_BB64> game;
    SearchLimits limits;
    RecordingInterface player;
    std::string output;
};

// Smallest number of plies (odd, at most maxPlies) in which the side to move forces
// mate, by plain exhaustive search; 0 if there is none within maxPlies.
int forcedMatePlies(Board_BB64 &b, int maxPlies);
