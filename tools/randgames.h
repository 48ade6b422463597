// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Statistics over games of uniformly random legal moves from the start position: how
// long games last, how often each kind of move occurs, where the pieces stand.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>

#include "board/move.h"

class Board_BB64;

struct RandomGameStats {
    static constexpr int MAX_LENGTH = 1024;  // the board's history bounds a game

    uint64_t games = 0;
    uint64_t positions = 0;  // moves made in all games
    uint64_t captures = 0;   // normal captures; en passant and capturing promotions apart
    uint64_t promotions = 0;
    uint64_t castlings = 0;
    uint64_t epCaptures = 0;
    uint64_t doubleSteps = 0;
    uint64_t movesByPiece[6] = {};       // by moving piece type - 1
    uint64_t capturesOfPiece[6] = {};    // by captured piece type - 1, en passant included
    uint64_t promotionsToPiece[6] = {};  // by promoted piece type - 1
    uint64_t piecesCount[2][17] = {};    // positions with k pieces of the colour
    uint64_t presence[2][6][64] = {};    // positions with that piece on that square
    uint64_t lengths[MAX_LENGTH] = {};   // games by final length in plies
};

// How a game is played out. The engine plugs in its game record; the defaults (see
// runRandomGames) play on the board alone.
struct RandomGameHooks {
    // Sets the start position on the board with an empty game record.
    std::function<void()> startGame;
    // Records m as a game move and makes it on the board; false when the record is full,
    // which ends the game.
    std::function<bool(Move)> recordMove;
};

// Plays n games on b through the hooks, adding to stats, and writes a "#" to progress
// (when not null) after every (n / 50)-th game; fewer than 50 games get no marks.
void playRandomGames(Board_BB64 &b, uint64_t n, const RandomGameHooks &hooks, RandomGameStats &stats,
                     FILE *progress);

// The averages and tables of a finished run.
void printRandomGameStats(const RandomGameStats &stats, FILE *out);

// The random-games command: a count below 1 gives false with nothing printed; otherwise
// the header, the progress marks and the statistics go to out, the board is left at the
// start position (hooks.startGame) and the result is true.
bool runRandomGames(Board_BB64 &b, int n, const RandomGameHooks &hooks, FILE *out = stdout);
// The same on b alone: start position from FEN, moves made with b's own history.
bool runRandomGames(Board_BB64 &b, int n, FILE *out = stdout);
