// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "tablebase/endgames.h"

#include <array>
#include <atomic>
#include <cstring>

namespace {

constexpr const char *ENDGAME_NAMES[TB_ENDGAME_COUNT] = {
    "kqk",   "krk",   "kbk",   "knk",   "kpk",   "kqkq",  "kqkr",  "kqkb",  "kqkn",  "krkr",  "krkb",  "krkn",
    "kbkb",  "kbkn",  "knkn",  "kqqk",  "kqrk",  "kqbk",  "kqnk",  "krrk",  "krbk",  "krnk",  "kbbk",  "kbnk",
    "knnk",  "kqkp",  "krkp",  "kbkp",  "knkp",  "kqpk",  "krpk",  "kbpk",  "knpk",  "kppk",  "kpkp",  "kqqqk",
    "kqqrk", "kqqbk", "kqqnk", "kqrrk", "kqrbk", "kqrnk", "kqbbk", "kqbnk", "kqnnk", "krrrk", "krrbk", "krrnk",
    "krbbk", "krbnk", "krnnk", "kbbbk", "kbbnk", "kbnnk", "knnnk", "kqqkq", "kqqkr", "kqqkb", "kqqkn", "kqrkq",
    "kqrkr", "kqrkb", "kqrkn", "kqbkq", "kqbkr", "kqbkb", "kqbkn", "kqnkq", "kqnkr", "kqnkb", "kqnkn", "krrkq",
    "krrkr", "krrkb", "krrkn", "krbkq", "krbkr", "krbkb", "krbkn", "krnkq", "krnkr", "krnkb", "krnkn", "kbbkq",
    "kbbkr", "kbbkb", "kbbkn", "kbnkq", "kbnkr", "kbnkb", "kbnkn", "knnkq", "knnkr", "knnkb", "knnkn", "kqqpk",
    "kqrpk", "kqbpk", "kqnpk", "krrpk", "krbpk", "krnpk", "kbbpk", "kbnpk", "knnpk", "kqppk", "krppk", "kbppk",
    "knppk", "kqpkq", "kqpkr", "kqpkb", "kqpkn", "krpkq", "krpkr", "krpkb", "krpkn", "kbpkq", "kbpkr", "kbpkb",
    "kbpkn", "knpkq", "knpkr", "knpkb", "knpkn", "kppkq", "kppkr", "kppkb", "kppkn", "kqqkp", "kqrkp", "kqbkp",
    "kqnkp", "krrkp", "krbkp", "krnkp", "kbbkp", "kbnkp", "knnkp", "kqpkp", "krpkp", "kbpkp", "knpkp", "kppkp",
    "kpppk"};

constexpr auto makeTable() {
    std::array<TablebaseEndgame, TB_ENDGAME_COUNT + 1> rows{};
    for (int i = 0; i < TB_ENDGAME_COUNT; ++i)
        rows[i] = {ENDGAME_NAMES[i], 0, 0, nullptr, nullptr, i + 1};
    rows[TB_ENDGAME_COUNT] = {nullptr, 0, 0, nullptr, nullptr, 0};
    return rows;
}

// Probing threads share the hint without a lock; a stale value only costs a longer walk.
std::atomic<int> lastFound{0};

}  // namespace

TablebaseEndgame tablebaseEndgames[TB_ENDGAME_COUNT + 1];

int findEndgame(const char *name) {
    const int hint = lastFound.load(std::memory_order_relaxed);
    if (std::strcmp(ENDGAME_NAMES[hint], name) == 0) return hint;
    for (int i = 0; i < TB_ENDGAME_COUNT; ++i) {
        if (std::strcmp(ENDGAME_NAMES[i], name) == 0) {
            lastFound.store(i, std::memory_order_relaxed);
            return i;
        }
    }
    return -1;
}

bool attachIndexClasses() {
    static constexpr auto INITIAL = makeTable();
    bool complete = true;
    for (int i = 0; i <= TB_ENDGAME_COUNT; ++i) tablebaseEndgames[i] = INITIAL[i];
    for (int i = 0; i < TB_ENDGAME_COUNT; ++i) {
        TablebaseEndgame &row = tablebaseEndgames[i];
        const TbIndexClass *cls = tbIndexClass(row.name);
        if (!cls || !cls->encode || !cls->decode || cls->positionsPerSide == 0) {
            complete = false;
            continue;
        }
        row.positionsPerSide = cls->positionsPerSide;
        row.pawnSlots = cls->pawnSlots;
        row.encode = cls->encode;
        row.decode = cls->decode;
    }
    return complete;
}
