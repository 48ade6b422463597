// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Random games: every move is drawn uniformly from the legal moves, and each game ends
// at mate, stalemate or the first draw the board's draw test reports.
#include "tools/randgames.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>

#include "board/movegen.h"
#include "platform/random.h"

namespace {

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

void startGame(Board_BB64 &b, bool chess960) {
    char fen[100];
    if (!chess960 || !chess960Fen(int(nextRandom() % 960), FenStyle::X_FEN, fen)) std::strcpy(fen, START_FEN);
    b.setFromFEN(fen);
}

void playOneGame(Board_BB64 &b, const RandomGameOptions &options, RandomGameStats &s) {
    startGame(b, options.chess960);
    // Nothing is taken back, so one undo record serves every move.
    UndoInfo undo;
    for (uint32_t plies = 0;; ++plies) {
        MoveList list;
        generateAllLegal(b, list);
        if (list.size() == 0) break;
        const Move m = list[uint32_t(nextRandom() & 0x7FFFFFFF) % list.size()];
        const int moving = b.pieceOn[moveFrom(m)], onTarget = b.pieceOn[moveTo(m)];
        // A move beyond the game's bound is neither made nor counted.
        if (plies >= options.maxPlies || b.historyIndex + 1 >= HISTORY_SIZE) break;
        b.history[b.historyIndex].movePlayed = m;
        b.makeMove(m, undo);
        countMove(m, moving, onTarget, s);
        countPosition(b, s);
        // The first repetition already ends the game, as it ends a search line.
        int reason;
        if (isDraw(b, reason)) break;
    }
    ++s.games;
    ++s.lengths[std::min<uint32_t>(b.historyIndex, RandomGameStats::MAX_LENGTH - 1)];
}

}  // namespace

void playRandomGames(Board_BB64 &b, uint64_t n, const RandomGameOptions &options, RandomGameStats &stats,
                     const std::function<void()> &progress) {
    const uint64_t markEvery = n / 50;
    for (uint64_t game = 0; game < n; ++game) {
        playOneGame(b, options, stats);
        if (progress && markEvery && game % markEvery == 0) progress();
    }
}
