// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
#include "tests/test_support.h"

#include <cstdlib>
#include <filesystem>

std::string testDataDir() {
    if (const char *env = std::getenv("GRELVIN_DATA"); env && *env) return env;
    // The checkout's folder is the source dir; the data sits beside it.
    const std::filesystem::path beside = std::filesystem::path(GRELVIN_SOURCE_DIR) / ".." / "shared" / "data";
    return beside.lexically_normal().string();
}

std::string bundledDataDir() { return GRELVIN_SOURCE_DIR "/tests/data"; }

bool testDataRequired() {
    const char *env = std::getenv("GRELVIN_REQUIRE_DATA");
    return env && std::string(env) == "1";
}
