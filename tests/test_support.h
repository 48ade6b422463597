// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Helpers shared by the unit tests: where the test data lives.
#pragma once

#include <functional>
#include <string>
#include <vector>

// The test data travels in two sets with the same layout (gaviota/, books/, perft/ …):
// a small one in the checkout's tests/data, which every test can rely on, and the
// larger one in $GRELVIN_DATA, else ../shared/data beside the checkout.
//
// The folder a test reads: the larger set where it exists, so that tests which run
// over every file of a kind extend over it; otherwise the checkout's own.
std::string testDataDir();
// The checkout's own set, for data that only it holds (the books made from the
// engine's own games).
std::string inTreeDataDir();
// The larger set's folder, empty when it does not exist.
std::string largerDataDir();
// True when CI demands the larger set (GRELVIN_REQUIRE_DATA=1).
bool testDataRequired();

// Skip the test (or fail it in CI) when a data file is missing.
#define GRELVIN_REQUIRE_DATA_FILE(path)                                                    \
    do {                                                                                   \
        if (!std::filesystem::exists(path)) {                                              \
            if (testDataRequired()) FAIL() << "test data missing: " << (path);             \
            GTEST_SKIP() << "test data missing: " << (path) << " (set GRELVIN_DATA)";      \
        }                                                                                  \
    } while (0)

// Cases kept as text in a file under tests/: one case a line, lines that are empty or
// start with '#' skipped; readCases splits each at '|'. Fails the test on a missing or
// empty file.
std::vector<std::string> readCaseLines(const std::string &name);
using CaseFields = std::vector<std::string>;
std::vector<CaseFields> readCases(const std::string &name);
// Pairs of lines: an input, then "> " and the answer it must give. Returns the count.
int checkTextCases(const std::string &name, const std::function<std::string(const std::string &)> &answer);
