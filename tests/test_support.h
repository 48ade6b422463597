// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Helpers shared by the unit tests: where the test data lives.
#pragma once

#include <functional>
#include <string>
#include <vector>

// Two data sets of the same layout: the checkout's tests/data and the larger one in
// $GRELVIN_DATA, else ../shared/data. testDataDir() is the larger where it exists.
std::string testDataDir();
std::string inTreeDataDir();
// Empty when the larger set does not exist.
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
// Every occurrence of from in text replaced by to (none when from is empty).
std::string replaceAll(std::string text, const std::string &from, const std::string &to);
