// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Syzygy speed: registering a folder of tables, and WDL and DTZ probes of random legal
// positions of every table found, first with the files cold (each table mapped and
// parsed on first use, pages read from disk), then again with everything in memory.
// Usage: syzygy_bench [syzygy-folders] [positions per table]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "board/movegen.h"
#include "tablebase/syzygy_probe.h"

namespace {

using Clock = std::chrono::steady_clock;

double microsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

bool randomPosition(Board_BB64 &b, const SzMaterial &m, std::mt19937 &rng) {
    b.clear();
    for (int side = 0; side < 2; ++side)
        for (int pt = PAWN; pt <= KING; ++pt)
            for (int i = 0; i < m.count[side][pt]; ++i) {
                const Square s = Square(rng() % 64);
                if (b.pieceOn[s] || (pt == PAWN && (rankOf(s) == RANK_1 || rankOf(s) == RANK_8))) return false;
                b.putPieceQuiet(Colour(side), pt, s);
            }
    b.sideToMove = uint8_t(rng() & 1);
    b.rebuildKeys();
    return !isAttackedBy(b, b.side(), b.kingSquare(opposite(b.side())));
}

// Probes every position with f; returns the mean time per probe in microseconds.
template <class F> double timed(std::vector<Board_BB64> &boards, F f, int &failures) {
    const auto start = Clock::now();
    for (Board_BB64 &b : boards) failures += !f(b);
    return microsSince(start) / double(boards.size());
}

}  // namespace

int main(int argc, char **argv) {
    const char *data = std::getenv("GRELVIN_DATA");
    const std::string folders = argc > 1 ? argv[1] : std::string(data ? data : "../shared/data") + "/syzygy";
    const int perTable = argc > 2 ? std::atoi(argv[2]) : 2000;
    initStaticTables();
    SyzygyTables tables;
    auto start = Clock::now();
    const int count = tables.load(folders);
    std::printf("folder %s: %d tables, up to %d men, registered in %.1f ms\n", folders.c_str(), count,
                tables.maxMen(), microsSince(start) / 1000);
    if (count == 0) return 1;

    std::mt19937 rng(7);
    std::vector<Board_BB64> boards;
    for (const auto &entry : std::filesystem::directory_iterator(folders.substr(0, folders.find(SZ_PATH_SEPARATOR)))) {
        SzMaterial m;
        if (entry.path().extension() != ".rtbw" || !szParseName(entry.path().stem().string(), m)) continue;
        for (int n = 0; n < perTable;) n += randomPosition(boards.emplace_back(), m, rng) ? 1 : (boards.pop_back(), 0);
    }
    std::shuffle(boards.begin(), boards.end(), rng);
    int failures = 0, wdl = 0, dtz = 0;
    auto probeWdl = [&](Board_BB64 &b) { return szProbeWdl(tables, b, wdl); };
    auto probeDtz = [&](Board_BB64 &b) { return szProbeDtz(tables, b, dtz); };
    auto rawWdl = [&](Board_BB64 &b) { return tables.tableWdl(b, wdl) == SzLookup::FOUND; };
    const double coldWdl = timed(boards, probeWdl, failures);
    const double warmWdl = timed(boards, probeWdl, failures);
    const double warmRaw = timed(boards, rawWdl, failures);
    const double coldDtz = timed(boards, probeDtz, failures);
    const double warmDtz = timed(boards, probeDtz, failures);
    std::printf("%zu positions (%d per table), %d probes failed\n", boards.size(), perTable, failures);
    std::printf("WDL probe   cold %8.2f us  in memory %8.2f us  (table lookup alone %.2f us)\n", coldWdl, warmWdl,
                warmRaw);
    std::printf("DTZ probe   cold %8.2f us  in memory %8.2f us\n", coldDtz, warmDtz);
    for (const std::string &p : tables.takeProblems()) std::printf("%s\n", p.c_str());
    return failures ? 1 : 0;
}
