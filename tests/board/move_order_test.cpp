// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Generation order (divide lines, picker ties), checker recording order, odd boards.
#include <gtest/gtest.h>

#include <string>

#include "board/movegen.h"
#include "tests/test_support.h"

namespace {

std::string texts(const MoveList &list) {
    std::string out;
    for (const ScoredMove &sm : list) {
        char text[6];
        moveToText(sm.move, text);
        out.append(out.empty() ? "" : " ").append(text);
    }
    return out;
}

std::string recorded(const AttackInfo &info) {
    std::string out;
    for (int i = 0; i < info.count; ++i) out.append(i ? " " : "").append(std::to_string(info.squares[i]));
    return out;
}

}  // namespace

TEST(MoveOrder, LegalMovesAndEvasionsComeInCategoryOrder) {
    for (const CaseFields &c : readCases("board/move_order.txt")) {
        Board_BB64 b;
        ASSERT_TRUE(b.setFromFEN(c[0].c_str())) << c[0];
        MoveList list;
        CheckInfo info;
        computeCheckInfo(b, info);
        if (info.inCheck()) generateEvasions<WHITE>(b, info, list);
        else generateAllLegal(b, list);
        EXPECT_EQ(texts(list), c[1]) << c[0];
    }
}

TEST(MoveOrder, AttackersAndCheckersAreRecordedInGroupOrder) {
    Board_BB64 b;
    AttackInfo info;
    // Pawn before rook although the rook stands lower; at most two recorded.
    ASSERT_TRUE(b.setFromFEN("k7/8/8/8/3P4/8/8/K3R3 w - - 0 1"));
    EXPECT_TRUE(isAttackedBy(b, WHITE, 36, info));
    EXPECT_EQ(recorded(info), "27 4");
    ASSERT_TRUE(b.setFromFEN("k7/8/8/8/3P4/5N2/8/K3R3 w - - 0 1"));
    info = AttackInfo{};
    EXPECT_TRUE(isAttackedBy(b, WHITE, 36, info));
    EXPECT_EQ(recorded(info), "27 21");

    for (const CaseFields &c : readCases("board/checkers.txt")) {
        ASSERT_TRUE(b.setFromFEN(c[0].c_str())) << c[0];
        Move m;
        ASSERT_TRUE(textToMove(b, c[1].c_str(), m)) << c[1];
        checkersAfter(b, m, info);
        EXPECT_EQ(recorded(info), c[2]) << c[0] << " " << c[1];
    }
}

// Moving on an odd board must not touch memory outside it.
TEST(MoveOrder, OddBoardsFromBadFens) {
    for (const CaseFields &c : readCases("board/odd_boards.txt")) {
        Board_BB64 b;
        const bool parses = c[1] == "1";
        ASSERT_EQ(b.setFromFEN(c[0].c_str()), parses) << c[0];
        MoveList list;
        generateAllLegal(b, list);
        EXPECT_EQ(list.size(), std::stoul(c[2])) << c[0];
        for (const ScoredMove &sm : list) {
            AttackInfo info;
            checkersAfter(b, sm.move, info);
            UndoInfo undo;
            b.makeMove(sm.move, undo);
            EXPECT_TRUE(b.isConsistent()) << c[0];
            b.unmakeMove(sm.move, undo);
        }
        EXPECT_TRUE(!parses || b.isConsistent()) << c[0];
        EXPECT_FALSE(isValidMove(b, MOVE_WHITE_OOO)) << c[0];
    }
}
