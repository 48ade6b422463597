// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Cases kept as text: in a file under tests/, a line of input, then "> " and the answer
// it must give; "; " lines are comments. Returns how many cases were checked.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>

inline int checkTextCases(const std::string &file, const std::function<std::string(const std::string &)> &answer) {
    std::ifstream in(std::string(GRELVIN_SOURCE_DIR) + "/tests/" + file);
    std::string input;
    int cases = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("> ", 0) == 0) {
            EXPECT_EQ(answer(input), line.substr(2)) << file << ": " << input;
            ++cases;
        } else if (!line.empty() && line.rfind("; ", 0) != 0) {
            input = line;
        }
    }
    EXPECT_GT(cases, 0) << file << " has no cases";
    return cases;
}
