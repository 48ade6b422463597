// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "tests/test_support.h"

#include <cstdlib>
#include <filesystem>

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
