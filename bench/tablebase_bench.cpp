// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Tablebase probe speed over random legal 4-men positions: cache-cold (every block read
// and decoded from the file), cache-warm (the same positions again, all blocks cached but
// found at the far end of the most-recently-used list), and warm over 16 positions
// repeated, as a search probes.
// Usage: tablebase_bench [gaviota-dir] [positions]
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "board/movegen.h"
#include "tablebase/probe.h"

namespace {

struct ProbeInput {
    int side;
    Square squares[2][5];
    uint8_t codes[2][5];
};

bool exists(const std::string &path) {
    struct stat st{};
    return stat(path.c_str(), &st) == 0;
}

// A random legal position of the endgame `name` in the probe's form.
bool randomPosition(const char *name, std::mt19937 &rng, Board_BB64 &b, ProbeInput &out) {
    b.clear();
    int side = -1, n[2] = {0, 0};
    for (const char *c = name; *c; ++c) {
        if (*c == 'k') ++side;
        const int pt = int(std::string_view(".pnbrqk").find(*c));
        const Square s = Square(rng() % 64);
        if (b.pieceOn[s] || (pt == PAWN && (rankOf(s) == RANK_1 || rankOf(s) == RANK_8))) return false;
        b.putPieceQuiet(Colour(side), pt, s);
        out.squares[side][n[side]] = s;
        out.codes[side][n[side]++] = uint8_t(pt);
    }
    for (int c = 0; c < 2; ++c) out.squares[c][n[c]] = NO_SQUARE, out.codes[c][n[c]] = 0;
    out.side = int(rng() % 2);
    b.sideToMove = uint8_t(out.side);
    return !isAttackedBy(b, Colour(out.side), b.kingSquare(Colour(out.side ^ 1)));
}

double timeProbes(GaviotaTables &tables, const std::vector<ProbeInput> &inputs, long long &checksum, int &failures) {
    const auto start = std::chrono::steady_clock::now();
    for (const ProbeInput &p : inputs) {
        unsigned info = 0, plies = 0;
        if (tables.probe(p.side, NO_SQUARE, p.squares[0], p.squares[1], p.codes[0], p.codes[1], true, info, plies))
            checksum += info * 1000 + plies;
        else
            ++failures;
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char **argv) {
    const char *env = std::getenv("GRELVIN_DATA");
    const std::string dir = argc > 1 ? argv[1] : env ? std::string(env) + "/gaviota" : "../shared/data/gaviota";
    const int count = argc > 2 ? std::atoi(argv[2]) : 2000;
    initStaticTables();
    std::vector<std::string> names;
    for (const char *name : {"kqkq", "kqkr", "kqkb", "kqkn", "krkr", "krkb", "krkn", "kbkb", "kbkn", "knkn", "kqqk",
                             "kqrk", "kqbk", "kqnk", "krrk", "krbk", "krnk", "kbbk", "kbnk", "knnk", "kqkp", "krkp",
                             "kbkp", "knkp", "kqpk", "krpk", "kbpk", "knpk", "kppk", "kpkp"})
        if (exists(dir + "/" + name + ".gtb.cp4")) names.push_back(name);
    if (names.empty()) {
        std::printf("# no 4-men files in %s\n", dir.c_str());
        return 1;
    }
    std::mt19937 rng(20261206);
    Board_BB64 board;
    std::vector<ProbeInput> inputs;
    while (int(inputs.size()) < count) {
        ProbeInput p{};
        if (randomPosition(names[rng() % names.size()].c_str(), rng, board, p)) inputs.push_back(p);
    }
    // Large enough that the warm pass finds every block it needs in the cache.
    GaviotaTables tables;
    if (!tables.open(4, {dir}) || !tables.setCache(1024)) return 1;
    long long checksum = 0;
    int failures = 0;
    const double cold = timeProbes(tables, inputs, checksum, failures);
    const TbStatistics afterCold = tables.statistics();
    const double warm = timeProbes(tables, inputs, checksum, failures);
    const TbStatistics afterWarm = tables.statistics();
    // A search probes a few blocks over and over; the most recently used are found first.
    std::vector<ProbeInput> few;
    while (few.size() < inputs.size()) few.push_back(inputs[few.size() % 16]);
    const double local = timeProbes(tables, few, checksum, failures);
    const TbStatistics afterLocal = tables.statistics();
    std::printf("# %zu endgames, %d random 4-men positions, checksum %lld, failed probes %d\n", names.size(), count,
                checksum, failures);
    std::printf("Cache-cold: %.0f probes/s (%llu blocks decoded, %.1f MB read)\n", count / cold,
                (unsigned long long)afterCold.blocksLoaded, afterCold.bytesRead / 1e6);
    std::printf("Cache-warm: %.0f probes/s (%llu blocks decoded, %.0f list comparisons per probe)\n", count / warm,
                (unsigned long long)(afterWarm.blocksLoaded - afterCold.blocksLoaded),
                double(afterWarm.comparisons - afterCold.comparisons) / count);
    std::printf("Cache-warm, 16 positions: %.0f probes/s (%.1f list comparisons per probe)\n", count / local,
                double(afterLocal.comparisons - afterWarm.comparisons) / count);
    return 0;
}
