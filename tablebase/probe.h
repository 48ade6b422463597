// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// One set of Gaviota tables: set up from a directory list, the probe of a position,
// statistics and tear-down. Probes may come from any number of threads; open, setCache
// and close only while nobody probes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "board/types.h"
#include "tablebase/dtm_cache.h"

class Board_BB64;
struct TbModule;

// Result codes of a probe.
enum TbResult : unsigned { TB_DRAW = 0, TB_WHITE_MATES = 1, TB_BLACK_MATES = 2, TB_FORBIDDEN = 3 };

class GaviotaTables {
public:
    GaviotaTables();
    ~GaviotaTables();
    GaviotaTables(const GaviotaTables &) = delete;
    GaviotaTables &operator=(const GaviotaTables &) = delete;

    // scheme 0 reads uncompressed ".gtb" files, N the ".gtb.cpN" family (the engine uses
    // 4). openFileLimit 0 takes the limit from the process; tests pass their own. False,
    // with nothing set up, when the index tables cannot be built.
    bool open(int scheme, const std::vector<std::string> &directories, int openFileLimit = 0);
    // Cache of gtbCacheSizeMB megabytes (low 12 bits); false if the memory cannot be had.
    bool setCache(int megabytes);
    void close();

    // Squares are lists ended by 64 and codes (1 pawn .. 6 king) lists ended by 0, in the
    // same order, each side's king included. epSquare is 64 for none. Without
    // mayReadFiles only the cache can answer. On success writes the result code and the
    // distance to mate in plies. Fails (code 3) for material with no endgame and for a
    // placement without an index; fails without an answer on a cache miss it may not
    // fill or a file it cannot read.
    bool probe(int sideToMove, int epSquare, const Square *whiteSquares, const Square *blackSquares,
               const uint8_t *whitePieces, const uint8_t *blackPieces, bool mayReadFiles, unsigned &info,
               unsigned &plies);
    // The same for a board of at most five men (castling rights are the caller's business).
    bool probe(const Board_BB64 &board, bool mayReadFiles, unsigned &info, unsigned &plies);

    TbStatistics statistics();
    void resetStatistics();
    // The state behind the probes (files, statuses, cache), for the module's tests.
    TbModule &module() { return *m_; }

private:
    std::unique_ptr<TbModule> m_;
};
