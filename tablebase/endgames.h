// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The fixed table of the 145 endgames the tablebase files cover, one row per endgame,
// and the lookup of a material name in it.
#pragma once

#include <cstdint>

#include "tablebase/index.h"

constexpr int TB_ENDGAME_COUNT = 145;
// Status of a row in one set of tables: read through files and cache, or unavailable
// after a failed read.
constexpr int32_t TB_STATUS_FILES = 0;
constexpr int32_t TB_STATUS_UNAVAILABLE = 4;

struct TablebaseEndgame {
    const char *name;  // "kqkr": White's pieces then Black's, each led by its king
    uint32_t positionsPerSide;
    uint32_t pawnSlots;
    TbDecoder decode;
    TbEncoder encode;
    int number;  // 1..145
};

// Rows 0-4 three men, 5-34 four men, 35-144 five men, then an empty row.
extern TablebaseEndgame tablebaseEndgames[TB_ENDGAME_COUNT + 1];

// Row of an endgame name, or -1. The row found last is tried first, since a search
// probes the same material over and over.
int findEndgame(const char *name);

// Copy each row's index class (sizes and index functions) from the index module; rows
// whose class is missing keep no encoder, so nothing is probed there. Returns false if
// any was missing.
bool attachIndexClasses();
