// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// A game as a face hands it over: a start position in FEN and the moves played from
// it. Replaying checks both and finds what the game record keeps, however long the
// game: the board's history holds 1024 plies, so a long game keeps only the plies
// since the last capture or pawn move, which are all that a repetition can reach.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "board/board.h"

// The board history holds 1024 plies from the last set-up; a game may use 768 of them
// so that the deepest search line still fits on top of the longest game. No real game
// gets near it (the fifty-move rule and repetitions end games long before).
constexpr uint32_t GAME_RECORD_CAPACITY = 768;

// The FEN with the usual defaults for missing trailing fields, as other engines read
// them: White to move, no castling, no en-passant square, halfmove clock 0, move
// number 1 (a fifth field is the halfmove clock); a move number of 0, which some tools
// write, reads as 1. Runs of blanks between fields become one; fields past the sixth
// are dropped.
std::string completeFen(std::string_view fen);

// How a face hands a position over. A lenient FEN is completed first (completeFen); a
// strict one is read as written. What a refused FEN leaves: the board as the FEN reader
// left it, or no position at all (an empty board, which nothing searches or counts).
struct SetupRules {
    bool lenientFen = false;
    bool keepRefusedBoard = false;
};

enum class ReplayOutcome : uint8_t {
    PLAYED,        // the position and every move
    ILLEGAL_MOVE,  // the position and the moves before the first that is not legal
    UNPLAYABLE,    // nothing: the FEN reads, but its board cannot be played on
    BAD_FEN        // nothing: the FEN does not read
};

struct GameReplay {
    ReplayOutcome outcome = ReplayOutcome::BAD_FEN;
    std::string fen;                 // the FEN as read, defaults filled in
    std::vector<Move> moves;         // every legal move played from it
    std::string illegalMove;         // ILLEGAL_MOVE: the first move that is not legal
    std::string recordFen;           // where the game record starts
    std::vector<Move> recordMoves;   // the moves the record keeps (fewer than GAME_RECORD_CAPACITY)
    int fullMoveNumber = 1;          // of the position reached, counted from the FEN's own
};

// Plays the moves (coordinate notation) from the FEN; stops at the first that is not
// legal.
GameReplay replayGame(std::string_view fen, std::span<const std::string_view> moves,
                      SetupRules rules = {.lenientFen = true});
