// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Speed of the random tools: random games per second (the "randgames" statistics run)
// and random positions per second ("randpos").
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "board/board.h"
#include "tools/randgames.h"
#include "tools/randpos.h"
#include "platform/random.h"

namespace {

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char **argv) {
    const int games = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int positions = argc > 2 ? std::atoi(argv[2]) : 100000;
    Board_BB64 b;
    // A fixed seed makes the work the same from run to run.
    seedRandom(20261206);

    auto stats = std::make_unique<RandomGameStats>();
    auto start = std::chrono::steady_clock::now();
    playRandomGames(b, uint64_t(games), {}, *stats);
    double seconds = secondsSince(start);
    std::printf("random games:     %d games, %lu moves in %.2f s: %.0f games/s, %.2f M moves/s\n", games,
                static_cast<unsigned long>(stats->positions), seconds, games / seconds,
                double(stats->positions) / seconds / 1e6);

    start = std::chrono::steady_clock::now();
    size_t characters = 0;
    generateRandomFens(b, positions, [&characters](const char *fen) { characters += std::strlen(fen); });
    seconds = secondsSince(start);
    std::printf("random positions: %d FENs in %.2f s: %.2f M positions/s\n", positions, seconds,
                positions / seconds / 1e6);
    return 0;
}
