// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// Starting and ending the engine in protocol mode, for the tests that play through it.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/xboard/engine_session.h"

inline const std::string SMALL_TABLES = "ttHashSizeMB = 8\npawnHashSizeMB = 1\n";

// An engine in protocol mode that has finished its feature list.
inline std::unique_ptr<EngineSession> protocolEngine(const std::vector<std::string> &args = {}) {
    auto e = std::make_unique<EngineSession>(args, SMALL_TABLES);
    e->send("xboard");
    e->send("protover 2");
    EXPECT_TRUE(e->waitForLine("feature done=1"));
    return e;
}

inline void quit(EngineSession &e) {
    e.send("quit");
    EXPECT_EQ(e.waitExit(), 0);
}
