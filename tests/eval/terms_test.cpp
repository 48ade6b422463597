// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Pawn, piece and king-safety terms on hand-built positions, one row of the printout each.
#include <algorithm>
#include <iterator>
#include <sstream>

#include "tests/eval/eval_helpers.h"
#include "tests/test_support.h"

namespace {

TEST(Terms, WorkedValues) {
    // The rows in the order of EvalTrace::Row.
    std::istringstream names("material pst passed weak pawns knights bishops rooks queens king tropism");
    std::vector<std::string> rows{std::istream_iterator<std::string>(names), std::istream_iterator<std::string>()};
    for (const CaseFields &c : readCases("eval/terms.txt")) {
        const auto row = std::find(rows.begin(), rows.end(), c[1]) - rows.begin();
        ASSERT_LT(row, int(rows.size())) << c[1];
        std::istringstream pair(c[3]);
        int mg = 0, eg = 0;
        pair >> mg >> eg;
        const Colour colour = c[2] == "white" ? WHITE : BLACK;
        eval::EvalTrace trace;
        evalOf(c[0].c_str(), &trace);
        EXPECT_EQ(trace.rows[row][colour], TermPair(mg, eg)) << c[0] << " " << c[1];
    }
}

}  // namespace
