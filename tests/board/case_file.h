// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Test cases kept as data: one case a line under tests/, fields split at '|', lines
// that are empty or start with '#' skipped.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using CaseFields = std::vector<std::string>;

inline std::vector<CaseFields> readCases(const char *name) {
    std::ifstream in(std::filesystem::path(GRELVIN_SOURCE_DIR) / "tests" / name);
    EXPECT_TRUE(in.is_open()) << name;
    std::vector<CaseFields> cases;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        CaseFields fields(1);
        for (char c : line) {
            if (c == '|') fields.emplace_back();
            else fields.back() += c;
        }
        cases.push_back(fields);
    }
    EXPECT_FALSE(cases.empty()) << name;
    return cases;
}
