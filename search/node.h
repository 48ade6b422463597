// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The routines inside the search tree, one body per side to move. Internal to search/.
#pragma once

#include "board/movegen.h"
#include "search/search.h"

// The full-width node: depth >= 1, side to move not in check.
template <Colour Us>
int searchNode(SearchState &st, int alpha, int beta, int ply, int depth, PrincipalVariation &pv);
// The node of a position in check; checkers are the pieces giving it.
template <Colour Us>
int searchInCheck(SearchState &st, const AttackInfo &checkers, int alpha, int beta, int ply, int quietChecksDone,
                  int depth, PrincipalVariation &pv);
// Chooses the routine for the reply after a move was made; Us is the side to move in
// the child, and the score returned is the parent's.
template <Colour Us>
int searchChild(SearchState &st, const AttackInfo &checkers, int alpha, int beta, int ply, int quietChecksDone,
                int depth, int moveNumber, PrincipalVariation &pv);
template <Colour Us>
int quiesce(SearchState &st, int alpha, int beta, int ply, int quietChecksDone, PrincipalVariation &pv);

// Makes m, searches the reply (with the late-move reduction when allowed) and takes
// m back. Returns the score from the mover's point of view.
template <Colour Us>
int searchMove(SearchState &st, Move m, int alpha, int beta, int ply, int depth, int moveNumber,
               int quietChecksDone, bool mayReduce, PrincipalVariation &childPv);

// Late-move reduction candidates: quiet moves, except pawn moves to the seventh rank,
// which are one step from promotion.
template <Colour Us> bool isReducible(const Board_BB64 &b, Move m) {
    if (b.pieceOn[moveTo(m)] != 0 || moveKind(m) == PROMOTION || moveKind(m) == EN_PASSANT) return false;
    return !(b.pieceOn[moveFrom(m)] == PAWN && relativeRank(Us, rankOf(moveTo(m))) == RANK_7);
}

// No move can be made once the history stack is full (a game over 1000 plies long with
// the search on top); such a node keeps its static evaluation.
inline bool historyFull(const Board_BB64 &b) { return b.historyIndex + 1 >= uint32_t(HISTORY_SIZE); }

// Tablebases are loaded and the position has no more men than the largest table: the
// cheap test before a probe, which alone knows whether a table covers the position.
inline bool tablebaseMayCover(const SearchState &st) {
    return st.tablebase && popCount(st.board.occupied()) <= st.tbUse.men;
}

// Bookkeeping of a beta cutoff by m, the moveNumber-th move searched: the counters,
// the killer and the table entry (bounds and window are the node's).
void recordCutoff(SearchState &st, const MateBounds &bounds, int alpha, int beta, int ply, int depth, Move m,
                  int moveNumber, int score);

// Thread 0 asks the player whether time is up and stops itself if so.
bool timeIsUp(SearchState &st);
