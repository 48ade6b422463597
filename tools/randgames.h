// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Statistics over games of uniformly random legal moves from the start position: how
// long games last, how often each kind of move occurs, where the pieces stand. The
// faces word them.
#pragma once

#include <cstdint>
#include <functional>

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

// How the games are played: from the standard start position or from a random
// Chess960 one each, and at most maxPlies moves a game (the board's history bounds it
// too).
struct RandomGameOptions {
    bool chess960 = false;
    uint32_t maxPlies = RandomGameStats::MAX_LENGTH;
};

// Plays n games on b, adding to stats, and calls progress (when set) after every
// (n / 50)-th game: fewer than 50 games get no calls. b is left at the last game's end.
void playRandomGames(Board_BB64 &b, uint64_t n, const RandomGameOptions &options, RandomGameStats &stats,
                     const std::function<void()> &progress = {});
