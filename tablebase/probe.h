// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The tablebase module: initialisation from a directory list, the probe of a position,
// statistics and tear-down. One tablebase set per process; probes may come from any
// number of threads, initialisation and tear-down only while nobody probes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "board/types.h"
#include "tablebase/dtm_cache.h"

// Result codes of a probe.
enum TbResult : unsigned { TB_DRAW = 0, TB_WHITE_MATES = 1, TB_BLACK_MATES = 2, TB_FORBIDDEN = 3 };

// scheme 0 reads uncompressed ".gtb" files, N the ".gtb.cpN" family (the engine uses 4).
// openFileLimit 0 takes the limit from the process; tests pass their own.
void tbInitModule(int scheme, const std::vector<std::string> &directories, int openFileLimit = 0);
// Cache of gtbCacheSizeMB megabytes (low 12 bits); false if the memory cannot be had.
bool tbInitCache(int megabytes);
void tbTearDown();

// Squares are lists ended by 64 and codes (1 pawn .. 6 king) lists ended by 0, in the
// same order, each side's king included. epSquare is 64 for none. Without
// mayReadFiles only the cache can answer. On success writes the result code and the
// distance to mate in plies. Fails (code 3) for material with no endgame and for a
// placement without an index; fails without an answer on a cache miss it may not fill
// or a file it cannot read.
bool tbProbe(int sideToMove, int epSquare, const Square *whiteSquares, const Square *blackSquares,
             const uint8_t *whitePieces, const uint8_t *blackPieces, bool mayReadFiles, unsigned &info,
             unsigned &plies);

TbStatistics tbStatistics();
void tbResetStatistics();
