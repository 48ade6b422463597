// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "tests/test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

std::string inTreeDataDir() { return (std::filesystem::path(GRELVIN_SOURCE_DIR) / "tests" / "data").string(); }

std::string largerDataDir() {
    std::filesystem::path dir;
    if (const char *env = std::getenv("GRELVIN_DATA"); env && *env)
        dir = env;
    else
        dir = (std::filesystem::path(GRELVIN_SOURCE_DIR) / ".." / "shared" / "data").lexically_normal();
    std::error_code error;
    return std::filesystem::is_directory(dir, error) ? dir.string() : std::string();
}

std::string testDataDir() {
    const std::string larger = largerDataDir();
    return larger.empty() ? inTreeDataDir() : larger;
}

bool testDataRequired() {
    const char *env = std::getenv("GRELVIN_REQUIRE_DATA");
    return env && std::string(env) == "1";
}

std::vector<std::string> readCaseLines(const std::string &name) {
    std::ifstream in(std::filesystem::path(GRELVIN_SOURCE_DIR) / "tests" / name);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] != '#') lines.push_back(line);
    }
    EXPECT_FALSE(lines.empty()) << name << " has no cases";
    return lines;
}

std::vector<CaseFields> readCases(const std::string &name) {
    std::vector<CaseFields> cases;
    for (const std::string &line : readCaseLines(name)) {
        CaseFields &fields = cases.emplace_back(1);
        for (char c : line) {
            if (c == '|') fields.emplace_back();
            else fields.back() += c;
        }
    }
    return cases;
}

int checkTextCases(const std::string &name, const std::function<std::string(const std::string &)> &answer) {
    std::string input;
    int cases = 0;
    for (const std::string &line : readCaseLines(name)) {
        if (line.rfind("> ", 0) == 0) {
            EXPECT_EQ(answer(input), line.substr(2)) << name << ": " << input;
            ++cases;
        } else {
            input = line;
        }
    }
    return cases;
}

std::string replaceAll(std::string text, const std::string &from, const std::string &to) {
    if (from.empty()) return text;
    for (size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) text.replace(at, from.size(), to);
    return text;
}
