// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The levels of a chosen strength, and how a level picks its move among its lines.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "engine/strength.h"

// The measured ladder, between its points (nodes geometric, margin linear) and beyond
// its ends, where the nearest level plays.
TEST(Strength, LevelsOfTheLadder) {
    const struct {
        int elo;
        uint64_t nodes;
        int marginCp;
    } cases[] = {{0, 964, 99},        {1000, 964, 99},      {1099, 1500, 80},      {1500, 4386, 52},
                 {1854, 15800, 29},   {2000, 43662, 9},     {2400, 207782, 0},     {5000, 207782, 0}};
    for (const auto &c : cases) {
        EXPECT_EQ(strengthLevel(c.elo).nodes, c.nodes) << c.elo;
        EXPECT_EQ(strengthLevel(c.elo).marginCp, c.marginCp) << c.elo;
    }
}

// The margin bounds how much worse the chosen line may be; within it every line is
// chosen now and then, and another seed chooses otherwise in some positions.
TEST(Strength, ChoiceStaysWithinTheMargin) {
    const std::vector<LineChoice> lines = {
        {Move(1), NO_MOVE, 50}, {Move(2), NO_MOVE, 30}, {Move(3), NO_MOVE, 0}, {Move(4), NO_MOVE, -300}};
    std::set<int> chosen;
    int differs = 0;
    for (uint64_t key = 0; key < 2000; ++key) {
        const int i = chooseLine(lines, 80, 7, key);
        EXPECT_LT(lines[0].score - lines[i].score, 80);
        chosen.insert(i);
        differs += i != chooseLine(lines, 80, 8, key);
        EXPECT_EQ(chooseLine(lines, 0, 7, key), 0);
    }
    EXPECT_EQ(chosen, (std::set<int>{0, 1, 2}));
    EXPECT_GT(differs, 200);
}
