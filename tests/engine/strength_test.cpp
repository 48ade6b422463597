// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The levels of a chosen strength, and how a level picks its move among its lines.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "engine/strength.h"

// A higher Elo never searches less or strays further; outside the range the nearest
// level plays.
TEST(Strength, LevelsGrowWithTheElo) {
    StrengthLevel previous = strengthLevel(STRENGTH_ELO_MIN);
    EXPECT_GT(previous.nodes, 0u);
    for (int elo = STRENGTH_ELO_MIN + 10; elo <= STRENGTH_ELO_MAX; elo += 10) {
        const StrengthLevel l = strengthLevel(elo);
        EXPECT_GE(l.nodes, previous.nodes) << elo;
        EXPECT_LE(l.marginCp, previous.marginCp) << elo;
        previous = l;
    }
    EXPECT_GT(strengthLevel(STRENGTH_ELO_MAX).nodes, 50 * strengthLevel(STRENGTH_ELO_MIN).nodes);
    EXPECT_EQ(strengthLevel(0).nodes, strengthLevel(STRENGTH_ELO_MIN).nodes);
    EXPECT_EQ(strengthLevel(5000).marginCp, strengthLevel(STRENGTH_ELO_MAX).marginCp);
}

// The margin bounds how much worse the chosen line may be; within it every line is
// chosen now and then, and one seed and position always give the same choice.
TEST(Strength, ChoiceStaysWithinTheMarginAndRepeatsWithTheSeed) {
    const std::vector<LineChoice> lines = {
        {Move(1), NO_MOVE, 50}, {Move(2), NO_MOVE, 30}, {Move(3), NO_MOVE, 0}, {Move(4), NO_MOVE, -300}};
    std::set<int> chosen;
    for (uint64_t key = 0; key < 2000; ++key) {
        const int i = chooseLine(lines, 80, 7, key);
        EXPECT_EQ(i, chooseLine(lines, 80, 7, key));
        EXPECT_LT(lines[0].score - lines[i].score, 80);
        chosen.insert(i);
        EXPECT_EQ(chooseLine(lines, 0, 7, key), 0);
    }
    EXPECT_EQ(chosen, (std::set<int>{0, 1, 2}));
    // Another seed chooses otherwise in some positions.
    int differs = 0;
    for (uint64_t key = 0; key < 100; ++key) differs += chooseLine(lines, 80, 7, key) != chooseLine(lines, 80, 8, key);
    EXPECT_GT(differs, 10);
}
