// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Scaling factor for drawish endings and the mop-up evaluation without pawns.
#include "tests/board/case_file.h"
#include "tests/eval/eval_helpers.h"

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
    evalOf("PPPPk3/8/8/8/8/8/8/pppPK3 b - - 0 1");  // pawns on the back ranks: no crash
    // Defender on b2: one square from the light bishop's corner a1, six from a dark one's.
    EXPECT_EQ(evalOf("8/8/8/8/8/2K5/1k6/2NB4 w - - 0 1") - evalOf("8/8/8/8/8/2K5/1k6/2BN4 w - - 0 1"), -16 * (6 - 1));
}

}  // namespace
