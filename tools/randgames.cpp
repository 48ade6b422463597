// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Random games: every move is drawn uniformly from the legal moves, and each game ends
// at mate, stalemate or the first draw the board's draw test reports.
#include "tools/randgames.h"

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <memory>

#include "board/movegen.h"
#include "tools/randpos.h"
#include "platform/random.h"

namespace {

constexpr int LENGTH_BIN = 20;
constexpr int LENGTH_BINS = 40;

// Counts a move by its kind, from the pieces that stood on its squares before it.
void countMove(Move m, int moving, int onTarget, RandomGameStats &s) {
    ++s.positions;
    ++s.movesByPiece[moving - 1];
    switch (moveKind(m)) {
    case PROMOTION:
        // A capturing promotion counts as a promotion only.
        ++s.promotions;
        ++s.promotionsToPiece[promotionPiece(m) - 1];
        break;
    case CASTLING: ++s.castlings; break;
    case EN_PASSANT:
        ++s.epCaptures;
        ++s.capturesOfPiece[PAWN - 1];
        break;
    default:
        if (onTarget) {
            ++s.captures;
            ++s.capturesOfPiece[onTarget - 1];
        } else if (moveExtra(m) == 1) {
            ++s.doubleSteps;
        }
    }
}

void countPosition(const Board_BB64 &b, RandomGameStats &s) {
    for (Colour c : {WHITE, BLACK}) {
        ++s.piecesCount[c][popCount(b.pieces(c))];
        for (int pt = PAWN; pt <= KING; ++pt)
            for (Bitboard bb = b.pieces(c, pt); bb;) ++s.presence[c][pt - 1][popLsb(bb)];
    }
}

void playOneGame(Board_BB64 &b, const RandomGameHooks &hooks, RandomGameStats &s) {
    hooks.startGame();
    for (;;) {
        MoveList list;
        generateAllLegal(b, list);
        if (list.size() == 0) break;
        const Move m = list[uint32_t(nextRandom() & 0x7FFFFFFF) % list.size()];
        const int moving = b.pieceOn[moveFrom(m)], onTarget = b.pieceOn[moveTo(m)];
        // A move the record has no room for is neither made nor counted.
        if (!hooks.recordMove(m)) break;
        countMove(m, moving, onTarget, s);
        countPosition(b, s);
        // The first repetition already ends the game, as it ends a search line.
        int reason;
        if (isDraw(b, reason)) break;
    }
    ++s.games;
    ++s.lengths[std::min<uint32_t>(b.historyIndex, RandomGameStats::MAX_LENGTH - 1)];
}

double perGame(uint64_t total, uint64_t games) { return games ? double(total) / double(games) : 0.0; }
double percent(uint64_t count, uint64_t whole) { return whole ? double(count) * 100.0 / double(whole) : 0.0; }

void printPerPiece(FILE *out, const char *label, const uint64_t (&counts)[6], uint64_t games) {
    std::fprintf(out, "%s", label);
    for (int i = 0; i < 6; ++i) std::fprintf(out, i ? " %6.2f" : "%6.2f", perGame(counts[i], games));
    std::fprintf(out, "\n");
}

// One board of percentages per colour and piece type, rank 8 first, with the total
// share in brackets (100 for kings: one stands in every position).
void printPresence(FILE *out, const RandomGameStats &s) {
    for (unsigned c = 0; c < 2; ++c)
        for (unsigned pt = PAWN; pt <= KING; ++pt) {
            const uint64_t whole = maxPieceCount[pt] * s.positions;
            const uint64_t(&counts)[64] = s.presence[c][pt - 1];
            std::fprintf(out, "Avg. presence of %u %u:\n", c, pt);
            uint64_t sum = 0;
            for (int rank = 7; rank >= 0; --rank)
                for (int file = 0; file < 8; ++file) {
                    const uint64_t n = counts[makeSquare(file, rank)];
                    sum += n;
                    std::fprintf(out, file ? " %5.1f" : "%5.1f", percent(n, whole));
                    if (file == 7) std::fprintf(out, "\n");
                }
            std::fprintf(out, "[%5.1f]\n", percent(sum, whole));
        }
}

void printPieceCounts(FILE *out, const RandomGameStats &s) {
    for (int c = 0; c < 2; ++c) {
        std::fprintf(out, "Frequency of positions with given number of %s pieces:\n", c ? "black" : "white");
        for (int k = 1; k <= 16; ++k) {
            std::fprintf(out, k % 8 == 1 ? "%5.1f" : " %5.1f", percent(s.piecesCount[c][k], s.positions));
            if (k % 8 == 0) std::fprintf(out, "\n");
        }
        std::fprintf(out, "\n");
    }
}

void printLengths(FILE *out, const RandomGameStats &s) {
    std::fprintf(out, "Game length:\n");
    for (int bin = 0; bin < LENGTH_BINS; ++bin) {
        // The last bin takes every longer game too.
        const int lo = bin * LENGTH_BIN, hi = bin == LENGTH_BINS - 1 ? RandomGameStats::MAX_LENGTH : lo + LENGTH_BIN;
        uint64_t n = 0;
        for (int len = lo; len < hi; ++len) n += s.lengths[len];
        std::fprintf(out, "%4u .. %4u: %5.2f\n", unsigned(lo), unsigned(lo + LENGTH_BIN - 1), percent(n, s.games));
    }
}

}  // namespace

void playRandomGames(Board_BB64 &b, uint64_t n, const RandomGameHooks &hooks, RandomGameStats &stats,
                     FILE *progress) {
    const uint64_t markEvery = n / 50;
    for (uint64_t game = 0; game < n; ++game) {
        playOneGame(b, hooks, stats);
        if (progress && markEvery && game % markEvery == 0) {
            std::fputc('#', progress);
            std::fflush(progress);
        }
    }
}

void printRandomGameStats(const RandomGameStats &s, FILE *out) {
    const uint64_t g = s.games;
    std::fprintf(out, "Total games:                        %10lu\n", static_cast<unsigned long>(g));
    std::fprintf(out, "Total positions:                    %10lu\n", static_cast<unsigned long>(s.positions));
    std::fprintf(out, "Avg. moves/game:                    %6.2f\n", perGame(s.positions, g));
    std::fprintf(out, "Avg. captures/game:                 %6.2f\n", perGame(s.captures, g));
    std::fprintf(out, "Avg. promotions/game:               %6.2f\n", perGame(s.promotions, g));
    std::fprintf(out, "Avg. castlings/game:                %6.2f\n", perGame(s.castlings, g));
    std::fprintf(out, "Avg. ep captures/game:              %6.2f\n", perGame(s.epCaptures, g));
    std::fprintf(out, "Avg. double steps/game:             %6.2f\n", perGame(s.doubleSteps, g));
    printPerPiece(out, "Avg. moves of piece/game:           ", s.movesByPiece, g);
    printPerPiece(out, "Avg. captures of piece/game:        ", s.capturesOfPiece, g);
    printPerPiece(out, "Avg. promotions into piece/game:    ", s.promotionsToPiece, g);
    printPresence(out, s);
    printPieceCounts(out, s);
    printLengths(out, s);
}

bool runRandomGames(Board_BB64 &b, int n, const RandomGameHooks &hooks, FILE *out) {
    if (n < 1) return false;
    std::fprintf(out, "# Playing %lu random games ...\n", static_cast<unsigned long>(n));
    std::fflush(out);
    // About 15 KB of counters, kept off the stack.
    auto stats = std::make_unique<RandomGameStats>();
    playRandomGames(b, uint64_t(n), hooks, *stats, out);
    std::fprintf(out, "\ncalculate average values ...\n");
    printRandomGameStats(*stats, out);
    std::fflush(out);
    hooks.startGame();
    return true;
}

bool runRandomGames(Board_BB64 &b, int n, FILE *out) {
    // Nothing is taken back, so one undo record serves every move; a game stops one
    // ply short of the end of the board's history.
    UndoInfo undo;
    const RandomGameHooks hooks{
        [&b] { b.setFromFEN(START_FEN); },
        [&b, &undo](Move m) {
            if (b.historyIndex + 1 >= HISTORY_SIZE) return false;
            b.history[b.historyIndex].movePlayed = m;
            b.makeMove(m, undo);
            return true;
        }};
    return runRandomGames(b, n, hooks, out);
}
