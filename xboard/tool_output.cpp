// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The XBoard face's texts for the developer tools.
#include "xboard/tool_output.h"

#include <cinttypes>
#include <cstdio>
#include <string>

#include "board/movegen.h"
#include "eval/breakdown.h"
#include "tools/perft.h"
#include "tools/randgames.h"
#include "tools/randpos.h"
#include "tools/selftest.h"

namespace {

uint64_t rate(uint64_t count, uint32_t timeCs) { return timeCs ? count * 100 / timeCs : 0; }

void printPerftTable(const PerftHash::Prepared &table) {
    if (!table.made) return;
    std::printf("# new size of Perft hash: %u MB\n", table.sizeMB);
    if (!table.allocated) std::printf("# failed to allocate the Perft hash, counting without it\n");
}

}  // namespace

bool printPerftRun(const PerftRun &run, int depth, bool divide, const MoveNotation &notation) {
    switch (run.status) {
    case PerftStatus::NO_DEPTH: return false;
    case PerftStatus::ILLEGAL_POSITION: std::printf("Error (illegal position for perft)\n"); return false;
    case PerftStatus::TOO_DEEP: std::printf("Error (depth too large for perft): %d\n", depth); return false;
    case PerftStatus::COUNTED: break;
    }
    printPerftTable(run.table);
    char text[6];
    for (const RootMoveCount &c : run.rootCounts) {
        moveToText(c.move, notation, text);
        std::printf("%s %" PRIu64 "\n", text, c.leaves);
    }
    const char *prefix = divide ? "" : "# ";
    std::printf("%sTotal leaves: %" PRIu64 "\n", prefix, run.leaves);
    std::printf("%sTotal nodes:  %" PRIu64 "\n", prefix, run.nodes);
    std::printf("%sTime elapsed: %u.%02u s\n", prefix, run.elapsedCs / 100, run.elapsedCs % 100);
    std::printf("%sNodes/second: %" PRIu64 "\n", prefix, rate(run.nodes, run.elapsedCs));
    std::printf("# perftHashFull%%:  %g\n", run.hashFillPercent);
    std::fflush(stdout);
    return true;
}

void printSelfTestResult(const SelfTestResult &r) {
    printPerftTable(r.table);
    switch (r.status) {
    case SelfTestStatus::ILLEGAL_FEN: std::printf("# Self-test no. %u FAILED  (illegal FEN)\n", r.number); break;
    case SelfTestStatus::FAILED:
        std::printf("# Self-test no. %u FAILED  (expected %" PRIu64 ", got %" PRIu64 ")\n", r.number, r.expectedLeaves,
                    r.leaves);
        break;
    case SelfTestStatus::PASSED:
        std::printf("# Self-test no. %u passed: n=%" PRIu64 ", t=%u, lps=%" PRIu64 ", nps=%" PRIu64 "\n", r.number,
                    r.leaves, r.timeCs, rate(r.leaves, r.timeCs), rate(r.nodes, r.timeCs));
        break;
    }
    std::fflush(stdout);
}

// The summary's n= is the node total, where each record's is its leaf count.
void printSelfTestSummary(const SelfTestSummary &s) {
    std::printf("%u tests passed, %u tests failed, 0 tests skipped, total %u tests run:\n", s.passed, s.failed,
                s.passed + s.failed);
    std::printf("n=%" PRIu64 ", t=%u, lps=%" PRIu64 ", nps=%" PRIu64 "\n", s.nodes, s.timeCs, rate(s.leaves, s.timeCs),
                rate(s.nodes, s.timeCs));
    std::fflush(stdout);
}

void printTestFileLine(const TestFileLine &line) {
    std::printf("Running test no. %u for FEN:\n%s\n\n", line.number, line.text);
    if (!line.parsed) std::printf("# ERROR: illegal FEN: \"%s\"\n", line.text);
    std::printf("\n");
    std::fflush(stdout);
}

// Written with one call: "eval" may come while the engine thinks, and its thinking
// lines must not land inside the table.
void printEvalBreakdown(const EvalBreakdown &e) {
    const std::string rule(78, '=');
    std::string out = rule + "\nEvaluation part                    w-MG w-EG (wTot)   b-MG b-EG (bTot)   Total\n" + rule +
                      "\n";
    char line[128];
    for (const EvalBreakdownRow &r : e.rows) {
        std::snprintf(line, sizeof line, "%-32s   %4d %4d (%4d)   %4d %4d (%4d)   %4d\n", r.name, r.white.mg(),
                      r.white.eg(), r.whiteTotal, r.black.mg(), r.black.eg(), r.blackTotal, r.total);
        out += line;
    }
    std::snprintf(line, sizeof line, "Phase = %3d          Scaling factor = %3.2f          Total evaluation = %6d\n",
                  e.phase, e.scalingPercent / 100.0, e.total);
    out += rule + "\n" + line + rule + "\n";
    std::fputs(out.c_str(), stdout);
    std::fflush(stdout);
}

namespace {

constexpr int LENGTH_BIN = 20;
constexpr int LENGTH_BINS = 40;

double perGame(uint64_t total, uint64_t games) { return games ? double(total) / double(games) : 0.0; }
double percent(uint64_t count, uint64_t whole) { return whole ? double(count) * 100.0 / double(whole) : 0.0; }

void printPerPiece(const char *label, const uint64_t (&counts)[6], uint64_t games) {
    std::printf("%s", label);
    for (int i = 0; i < 6; ++i) std::printf(i ? " %6.2f" : "%6.2f", perGame(counts[i], games));
    std::printf("\n");
}

// One board of percentages per colour and piece type, rank 8 first, with the total
// share in brackets (100 for kings: one stands in every position).
void printPresence(const RandomGameStats &s) {
    for (unsigned c = 0; c < 2; ++c)
        for (unsigned pt = PAWN; pt <= KING; ++pt) {
            const uint64_t whole = maxPieceCount[pt] * s.positions;
            const uint64_t(&counts)[64] = s.presence[c][pt - 1];
            std::printf("Avg. presence of %u %u:\n", c, pt);
            uint64_t sum = 0;
            for (int rank = 7; rank >= 0; --rank)
                for (int file = 0; file < 8; ++file) {
                    const uint64_t n = counts[makeSquare(file, rank)];
                    sum += n;
                    std::printf(file ? " %5.1f" : "%5.1f", percent(n, whole));
                    if (file == 7) std::printf("\n");
                }
            std::printf("[%5.1f]\n", percent(sum, whole));
        }
}

void printPieceCounts(const RandomGameStats &s) {
    for (int c = 0; c < 2; ++c) {
        std::printf("Frequency of positions with given number of %s pieces:\n", c ? "black" : "white");
        for (int k = 1; k <= 16; ++k) {
            std::printf(k % 8 == 1 ? "%5.1f" : " %5.1f", percent(s.piecesCount[c][k], s.positions));
            if (k % 8 == 0) std::printf("\n");
        }
        std::printf("\n");
    }
}

void printLengths(const RandomGameStats &s) {
    std::printf("Game length:\n");
    for (int bin = 0; bin < LENGTH_BINS; ++bin) {
        // The last bin takes every longer game too.
        const int lo = bin * LENGTH_BIN, hi = bin == LENGTH_BINS - 1 ? RandomGameStats::MAX_LENGTH : lo + LENGTH_BIN;
        uint64_t n = 0;
        for (int len = lo; len < hi; ++len) n += s.lengths[len];
        std::printf("%4u .. %4u: %5.2f\n", unsigned(lo), unsigned(lo + LENGTH_BIN - 1), percent(n, s.games));
    }
}

}  // namespace

void printRandomGameStats(const RandomGameStats &s) {
    const uint64_t g = s.games;
    std::printf("Total games:                        %10lu\n", static_cast<unsigned long>(g));
    std::printf("Total positions:                    %10lu\n", static_cast<unsigned long>(s.positions));
    std::printf("Avg. moves/game:                    %6.2f\n", perGame(s.positions, g));
    std::printf("Avg. captures/game:                 %6.2f\n", perGame(s.captures, g));
    std::printf("Avg. promotions/game:               %6.2f\n", perGame(s.promotions, g));
    std::printf("Avg. castlings/game:                %6.2f\n", perGame(s.castlings, g));
    std::printf("Avg. ep captures/game:              %6.2f\n", perGame(s.epCaptures, g));
    std::printf("Avg. double steps/game:             %6.2f\n", perGame(s.doubleSteps, g));
    printPerPiece("Avg. moves of piece/game:           ", s.movesByPiece, g);
    printPerPiece("Avg. captures of piece/game:        ", s.capturesOfPiece, g);
    printPerPiece("Avg. promotions into piece/game:    ", s.promotionsToPiece, g);
    printPresence(s);
    printPieceCounts(s);
    printLengths(s);
    std::fflush(stdout);
}
