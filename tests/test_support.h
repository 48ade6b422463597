// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Helpers shared by the unit tests: where the shared test data lives.
#pragma once

#include <string>

// Folder of the shared test data: $GRELVIN_DATA, else ../shared/data beside the checkout.
// Empty when it does not exist.
std::string testDataDir();
// Folder of the small data files kept with the tests (tests/data), always present.
std::string bundledDataDir();
// True when CI demands the data (GRELVIN_REQUIRE_DATA=1): a missing folder then fails.
bool testDataRequired();

// Skip the test (or fail it in CI) when the data folder or file is missing.
#define GRELVIN_REQUIRE_DATA_FILE(path)                                                    \
    do {                                                                                   \
        if (!std::filesystem::exists(path)) {                                              \
            if (testDataRequired()) FAIL() << "test data missing: " << (path);             \
            GTEST_SKIP() << "test data missing: " << (path) << " (set GRELVIN_DATA)";      \
        }                                                                                  \
    } while (0)
