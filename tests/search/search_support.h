// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// One search thread on small tables of its own, and an interface that records its reports.
#pragma once

#include <memory>
#include <string>

#include "board/movegen.h"
#include "eval/evaluate.h"
#include "eval/pawnhash.h"
#include "search/search.h"
#include "search/tt.h"

void initSearchTestTables();
std::string moveText(Move m);

class RecordingInterface : public SearchInterface {
public:
    bool timeOut() override { return false; }
    void reportThinking(int depth, int score, const PrincipalVariation &pv) override {
        ++reports;
        lastDepth = depth;
        lastScore = score;
        lastPv = pv;
    }
    // One line per reason: "mate 3 d1d8".
    void reportStop(StopReason reason, Move best, int plies) override;
    void searchFinished() override { ++finished; }

    int reports = 0, finished = 0, lastDepth = -1, lastScore = 0;
    std::string stops;
    PrincipalVariation lastPv;
};

struct SearchFixture {
    SearchFixture();
    // Fixed-depth search of fen.
    SearchResult search(const char *fen, int depth);
    Board_BB64 &board(const char *fen);

    std::unique_ptr<TranspositionTable> tt;
    std::unique_ptr<PawnHashTable> pawnHash;
    std::unique_ptr<SearchState> state = std::make_unique<SearchState>();
    std::unique_ptr<Board_BB64> game = std::make_unique<Board_BB64>();
    SearchLimits limits;
    RecordingInterface player;
};
