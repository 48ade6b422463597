// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Evaluation speed: evaluations per second over a fixed set of positions from
// seeded random play, with a cold and a warm pawn hash.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "board/movegen.h"
#include "eval/evaluate.h"
#include "eval/pawnhash.h"

namespace {

constexpr int POSITIONS = 4000;
// Boards are large (their history is inline), so they are set up in small batches
// that stay in cache, as the one board of a search thread does.
constexpr int BATCH = 64;
constexpr int REPEATS = 5;

std::vector<std::string> samplePositions() {
    const char *starts[] = {
        START_FEN,
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "r1bq1rk1/pp2nppp/2n1p3/3pP3/2pP4/P1P2N2/2PB1PPP/R2QKB1R w KQ - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "2r3k1/5pp1/p3p2p/1p1nP3/3P4/P4N1P/1P3PP1/2R3K1 b - - 0 1",
    };
    std::mt19937 rng(20261206);
    std::vector<std::string> fens;
    Board_BB64 b;
    while (int(fens.size()) < POSITIONS)
        for (const char *fen : starts) {
            b.setFromFEN(fen);
            for (int ply = 0; ply < 120 && int(fens.size()) < POSITIONS; ++ply) {
                MoveList list;
                generateAllLegal(b, list);
                if (list.size() == 0) break;
                UndoInfo undo;
                b.makeMove(list[rng() % list.size()], undo);
                char text[128];
                b.toFEN(text);
                fens.emplace_back(text);
            }
        }
    return fens;
}

struct Timing {
    double seconds = 0;
    long long checksum = 0;
};

// Evaluates the batch once and adds the time taken.
void timeBatch(const std::vector<Board_BB64> &boards, int count, EvalTables &tables, int alpha, int beta,
               Timing &t) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < count; ++i) t.checksum += evaluate(boards[i], tables, alpha, beta);
    t.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void report(const char *what, const Timing &t, int evaluations, uint64_t hits) {
    std::printf("%-34s %10.0f evals/s  %7.1f ns/eval  pawn hash hits %9llu  checksum %lld\n", what,
                evaluations / t.seconds, t.seconds * 1e9 / evaluations, (unsigned long long)hits, t.checksum);
}

}  // namespace

int main() {
    initStaticTables();
    initEvaluationTables();
    const std::vector<std::string> fens = samplePositions();
    std::vector<Board_BB64> boards(BATCH);
    PawnHashTable table(32);
    auto tables = std::make_unique<EvalTables>();  // a search thread's own, as in a search
    tables->pawns = &table;

    // Each figure is the best of several full passes: the machine is often shared.
    Timing cold{1e9}, warm{1e9}, narrow{1e9};
    uint64_t coldHits = 0, warmHits = 0, narrowHits = 0;
    for (int repeat = 0; repeat < REPEATS; ++repeat) {
        table.clear();
        Timing c, w, n;
        coldHits = warmHits = narrowHits = 0;
        for (size_t first = 0; first < fens.size(); first += BATCH) {
            const int count = int(std::min(fens.size() - first, size_t(BATCH)));
            for (int i = 0; i < count; ++i) boards[i].setFromFEN(fens[first + i].c_str());
            uint64_t before = table.hits();
            timeBatch(boards, count, *tables, -INFINITE_SCORE, INFINITE_SCORE, c);
            coldHits += table.hits() - before;
            before = table.hits();
            timeBatch(boards, count, *tables, -INFINITE_SCORE, INFINITE_SCORE, w);
            warmHits += table.hits() - before;
            // A null window at 0, as most search nodes see: the lazy cut can fire.
            before = table.hits();
            timeBatch(boards, count, *tables, -1, 0, n);
            narrowHits += table.hits() - before;
        }
        if (c.seconds < cold.seconds) cold = c;
        if (w.seconds < warm.seconds) warm = w;
        if (n.seconds < narrow.seconds) narrow = n;
    }
    const int evaluations = int(fens.size());
    std::printf("# %d positions, best of %d passes\n", evaluations, REPEATS);
    report("cold pawn hash, full window", cold, evaluations, coldHits);
    report("warm pawn hash, full window", warm, evaluations, warmHits);
    report("warm pawn hash, null window at 0", narrow, evaluations, narrowHits);
    return 0;
}
