// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The staged move picker: hands out the moves of one node one at a time, most
// promising first, generating each group of moves only when it is reached.
#pragma once

#include "board/movegen.h"

class SearchInterface;

enum PickerKind : int {
    PICK_ALL_LEGAL = 0,   // every legal move, generation order
    PICK_EVASIONS = 1,    // legal check evasions, generation order
    PICK_IN_CHECK = 2,    // PV move, hash move, scored evasions
    PICK_FULL_WIDTH = 3,  // PV move, hash move, good captures, killers, quiets and bad captures
    PICK_QUIESCENCE = 4   // PV move, captures and queen promotions
};

constexpr uint32_t MAX_KILLERS = 4;
constexpr uint32_t MAX_BAD_CAPTURES = 63;

struct MovePicker {
    MoveList moves;  // the list of the current stage
    CheckInfo info;  // checkers copied from the caller, pins computed by initPicker
    Board_BB64 *board = nullptr;
    int kind = PICK_ALL_LEGAL;
    int stage = 0;  // index into the kind's stage sequence
    bool stageStarted = false;
    uint32_t cursor = 0;
    Move pvMove = NO_MOVE;
    Move hashMove = NO_MOVE;
    // Hears of a hash move that does not fit the position (a key collision); none by
    // default. Set like hashMove, after initPicker.
    SearchInterface *reporter = nullptr;
    ScoredMove killers[MAX_KILLERS];
    uint32_t killerCount = 0;
    ScoredMove badCaptures[MAX_BAD_CAPTURES];
    uint32_t badCaptureCount = 0;
};

// Resets the picker for the position on b (pvMove, hashMove and reporter become empty;
// the caller sets them afterwards) and computes the pins of the side to move.
void initPicker(MovePicker &p, int kind, Board_BB64 &b, const AttackInfo &checkers);
// The next move, or NO_MOVE when every stage is exhausted.
Move nextMove(MovePicker &p);
// Kinds 0 and 1: runs the generation stage and returns the number of moves; nextMove
// then hands them out.
uint32_t generateAndCount(MovePicker &p);
// The same number where only the number is needed: out of check the moves are counted
// without being listed, and the picker then hands out nothing.
uint32_t countMoves(MovePicker &p);

// 64 * V[victim] + 8 * V[promotion] - V[mover]; 63 for an en-passant capture.
// Exchange selection: every later entry that scores strictly higher than the one at
// the cursor trades places with it, so equal scores keep their generation order.
// Returns the move now at the cursor.
Move selectAt(ScoredMove *list, uint32_t count, uint32_t cursor);
int mvvLvaScore(const Board_BB64 &b, Move m);
// Middle-game piece-square gain of a quiet move, less the mover's ordering value.
int quietScore(const Board_BB64 &b, Move m);
// Killer update after a cutoff, once the move has been taken back.
void recordKiller(Board_BB64 &b, Move m);
