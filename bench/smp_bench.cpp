// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Two search threads against one: nodes per second and time to a fixed depth over a
// list of positions, through the engine's own player and thread pool.
//
//   build/search_bench --fens | build/smp_bench [depth] [threads]   (default 12, 2)
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "engine/player.h"
#include "engine/threads.h"
#include "eval/evaluate.h"

namespace {

// The figures are read from the thread pool: the reports go nowhere.
class QuietListener : public EngineListener {
public:
    void onIteration(const IterationReport &) override {}
    void onStopReason(StopReason, Move, int) override {}
    void onTimeout() override {}
    void onSearchFinished(const SearchSummary &) override {}
    void onBudget(const BudgetReport &) override {}
    void onBudgetChange(BudgetChange, int32_t) override {}
    void onTableSize(const TableSizeReport &) override {}
    void onBestMove(const SearchResult &, bool) override {}
};

struct Run {
    uint64_t nodes = 0;
    double seconds = 0;
};

// One fixed-depth search of the position with n threads and fresh tables.
Run search(ChessPlayer &p, const std::string &fen, int depth, uint32_t threads) {
    p.applySetting(THREADS, std::to_string(threads));
    p.prepareSearch(true);
    p.game().setGame(fen);
    SearchClock clock;
    clock.sessions = true;
    clock.sessionMs = int64_t(100) * 3600 * 1000;  // no clock limit in practice
    clock.depth = depth;
    p.setClock(clock);
    p.setBookEnabled(false);
    const auto start = std::chrono::steady_clock::now();
    p.startSearch();
    // Blocks like the command loop does: a polling main thread would take turns on
    // the cores the search threads need.
    for (uint32_t i = 0; i < p.search().threads()->size(); ++i) (*p.search().threads())[i].waitUntilIdle();
    Run r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.nodes = p.search().threads()->totalNodes();
    return r;
}

}  // namespace

int main(int argc, char *argv[]) {
    const int depth = argc > 1 ? std::atoi(argv[1]) : 12;
    const uint32_t threads = argc > 2 ? uint32_t(std::atoi(argv[2])) : 2;
    std::vector<std::string> fens;
    char line[256];
    while (std::fgets(line, sizeof line, stdin)) {
        std::string fen(line);
        while (!fen.empty() && (fen.back() == '\n' || fen.back() == '\r')) fen.pop_back();
        if (!fen.empty()) fens.push_back(fen);
    }
    std::FILE *out = stdout;
    initStaticTables();
    initEvaluationTables();
    QuietListener listener;
    auto player = std::make_unique<ChessPlayer>(&listener);
    player->applySetting(TT_HASH_MB, "64");
    player->applySetting(PAWN_HASH_MB, "8");

    Run one, many;
    for (const std::string &fen : fens) {
        const Run a = search(*player, fen, depth, 1), b = search(*player, fen, depth, threads);
        one.nodes += a.nodes, one.seconds += a.seconds;
        many.nodes += b.nodes, many.seconds += b.seconds;
        std::fprintf(out, "%-70s 1: %6.2fs %10" PRIu64 "  %u: %6.2fs %10" PRIu64 "\n", fen.c_str(), a.seconds,
                     a.nodes, threads, b.seconds, b.nodes);
        std::fflush(out);
    }
    const double nps1 = double(one.nodes) / one.seconds, npsN = double(many.nodes) / many.seconds;
    std::fprintf(out, "depth %d, %zu positions\n", depth, fens.size());
    std::fprintf(out, "1 thread:  %.2f s, %" PRIu64 " nodes, %.0f nodes/s\n", one.seconds, one.nodes, nps1);
    std::fprintf(out, "%u threads: %.2f s, %" PRIu64 " nodes, %.0f nodes/s\n", threads, many.seconds, many.nodes,
                 npsN);
    std::fprintf(out, "nodes/s ratio %.2f, time-to-depth ratio %.2f\n", npsN / nps1, one.seconds / many.seconds);
    player.reset();
    return 0;
}
