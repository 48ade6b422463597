// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Helpers shared by the unit tests: where the test data lives.
#pragma once

#include <string>

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
