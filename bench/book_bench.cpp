// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Book probe speed on a large book: every probe opens the file, searches it, reads the
// position's moves and closes it again, as the engine does once per move.
// Usage: book_bench [book file]   (default: the shared performance.bin)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "board/movegen.h"
#include "book/book.h"
#include "platform/random.h"

namespace {

constexpr int LINES = 40;
constexpr int PLIES_PER_LINE = 12;
constexpr int ROUNDS = 25;

std::string defaultBookPath() {
    if (const char *data = std::getenv("GRELVIN_DATA"); data && *data) return std::string(data) + "/books/performance.bin";
    return "../shared/data/books/performance.bin";
}

// Positions along book lines (hits) and along random play from the start (misses, after
// the first few plies).
void collectPositions(PolyglotBook &book, std::vector<Board_BB64> &hits, std::vector<Board_BB64> &misses) {
    std::mt19937 rng(20261206);
    for (int line = 0; line < LINES; ++line) {
        Board_BB64 b;
        b.setFromFEN(START_FEN);
        Move m;
        for (int ply = 0; ply < PLIES_PER_LINE && book.probeBook(b, m); ++ply) {
            hits.push_back(b);
            UndoInfo undo;
            b.makeMove(m, undo);
        }
        b.setFromFEN(START_FEN);
        for (int ply = 0; ply < PLIES_PER_LINE; ++ply) {
            MoveList list;
            generateAllLegal(b, list);
            if (list.size() == 0) break;
            UndoInfo undo;
            b.makeMove(list[rng() % list.size()], undo);
            if (ply >= 6 && !book.probeBook(b, m)) misses.push_back(b);
        }
    }
}

// Probes every position ROUNDS times; returns seconds per probe and the hit count.
double timeProbes(PolyglotBook &book, const std::vector<Board_BB64> &boards, long &found) {
    const auto start = std::chrono::steady_clock::now();
    for (int round = 0; round < ROUNDS; ++round)
        for (const Board_BB64 &b : boards) {
            Move m;
            found += book.probeBook(b, m);
        }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return seconds / (double(ROUNDS) * double(boards.size()));
}

void report(const char *what, double secondsPerProbe, size_t positions, long found) {
    std::printf("%-8s %5zu positions: %9.0f probes/s, %6.2f us per probe (%ld found)\n", what, positions,
                1.0 / secondsPerProbe, secondsPerProbe * 1e6, found);
}

}  // namespace

int main(int argc, char **argv) {
    const std::string path = argc > 1 ? argv[1] : defaultBookPath();
    PolyglotBook book(path.c_str());
    if (book.entryCount() == 0) {
        std::fprintf(stderr, "no entries in %s\n", path.c_str());
        return 1;
    }
    seedRandom(1);
    std::vector<Board_BB64> hits, misses;
    collectPositions(book, hits, misses);
    std::printf("%s: %llu entries\n", path.c_str(), static_cast<unsigned long long>(book.entryCount()));
    long hitFound = 0, missFound = 0;
    // Best of three passes: the machine is shared.
    double hitTime = 1e9, missTime = 1e9;
    for (int pass = 0; pass < 3; ++pass) {
        hitFound = missFound = 0;
        hitTime = std::min(hitTime, timeProbes(book, hits, hitFound));
        missTime = std::min(missTime, timeProbes(book, misses, missFound));
    }
    report("in book", hitTime, hits.size(), hitFound);
    report("not in", missTime, misses.size(), missFound);
    return 0;
}
