// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Scaling factor for drawish endings and the mop-up evaluation without pawns.
#include "tests/eval/eval_helpers.h"
#include "tests/test_support.h"

namespace {

TEST(ScalingFactor, EndingsAndTheFiftyMoveClock) {
    for (const CaseFields &c : readCases("eval/scaling.txt")) {
        Board_BB64 b = boardFromFen(c[0].c_str());
        b.halfmoveClock = uint8_t(std::stoi(c[1]));
        EXPECT_EQ(scalingFactor(b, computeMaterial(b)), std::stoi(c[2])) << c[0] << " " << c[1];
    }
}

TEST(Pawnless, MopUpDrivesTheWeakerKing) {
    for (const CaseFields &c : readCases("eval/pawnless.txt")) EXPECT_EQ(evalOf(c[0].c_str()), std::stoi(c[1])) << c[0];
}

}  // namespace
