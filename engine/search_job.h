// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The search threads: the pool, the job each thread runs when woken, what thread 0
// consults before searching (the book, a random move) and the search's callbacks,
// which it turns into the listener's reports. The threads reach the game board and the
// tables through their SearchState, set up at each start.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "board/relaxed.h"
#include "engine/listener.h"
#include "engine/strength.h"
#include "search/search.h"

class EngineTablebases;
class Game;
class HashTables;
class PolyglotBook;
class SettingValues;
class ThreadPool;
class TimeManager;

class SearchJob : public SearchInterface {
public:
    SearchJob(EngineListener *listener, Game &game, HashTables &tables, TimeManager &timeManager,
              SearchLimits *limits, const SettingValues &settings, EngineTablebases *tablebases);
    ~SearchJob() override;

    // The threads running (0: no pool) and the machine's.
    uint32_t threadCount() const { return currentThreads_; }
    uint32_t maxThreads() const { return maxThreads_; }
    // Builds the pool with threadCount() threads unless there is one.
    void buildPool();
    // Stops any search and lets every thread leave its loop; the next pool gets
    // nextThreads threads.
    void shutdownThreads(uint32_t nextThreads = 0);
    // Wakes every thread for a search of the game position; a level search (level)
    // runs on thread 0 alone.
    void start(bool level);
    bool busy() const;
    // Stops a running search without playing a move and waits until it has ended.
    void stop();
    ThreadPool *threads() { return pool_.get(); }

    // Switched by commands that run during a search, read by thread 0.
    void setRandomGameMode(bool on) { randomGameMode_ = on; }
    bool randomGameMode() const { return randomGameMode_; }
    // The book file setting changed: an open book takes the new name.
    void renameBook();
    LevelSearch &level() { return level_; }

    // Search callbacks (thread 0), passed on to the listener.
    bool timeOut() override;
    int64_t searchElapsedMs() override;
    void reportThinking(int depth, int score, const PrincipalVariation &pv) override;
    void reportLine(const LineReport &line) override;
    void reportCurrentMove(int depth, Move m, int number) override;
    void reportStop(StopReason reason, Move best, int plies) override;
    void searchFinished() override;
    void reportHashCollision(const Board_BB64 &b, Move m, bool pseudoLegal) override;

private:
    static void job(uint32_t index, void *searchJob);
    void runThreadZero();
    void helperJob(SearchState &st);
    bool bookMove(Move &move);
    // A root line to the listener.
    void showLine(const LineReport &line);
    IterationReport progress() const;

    EngineListener *listener_;
    Game &game_;
    HashTables &tables_;
    TimeManager &timeManager_;
    SearchLimits *const limits_;
    const SettingValues &settings_;
    EngineTablebases *tablebases_;
    Relaxed<bool> randomGameMode_ = false;
    LevelSearch level_;
    uint32_t maxThreads_;
    uint32_t currentThreads_ = 0;
    std::unique_ptr<ThreadPool> pool_;
    uint64_t helperNodes_ = 0;  // thread 0's last reading of the helpers' node counters
    // Created by thread 0 at the first timed search with the book on; renamed by the
    // command loop: the pointer is guarded by bookMutex_.
    std::unique_ptr<PolyglotBook> book_;
    std::mutex bookMutex_;
};
