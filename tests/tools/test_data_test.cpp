// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The test data: the checkout carries the small set, and where the larger set is
// demanded (CI) it must be there, or the tests that extend over it would silently
// shrink to the small set.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/test_support.h"

TEST(TestData, SmallSetTravelsWithTheCheckoutAndTheLargerIsThereWhenDemanded) {
    for (const char *file : {"books/selfplay.bin", "books/lasker-trap.bin", "gaviota/kqk.gtb.cp4",
                             "perft/tricky.perft", "polyglot-random64.txt"})
        EXPECT_TRUE(std::filesystem::exists(inTreeDataDir() + "/" + file)) << file;
    if (testDataRequired()) EXPECT_NE(largerDataDir(), "") << "GRELVIN_REQUIRE_DATA=1 but no larger data set";
}
