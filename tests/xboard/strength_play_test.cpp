// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// A chosen strength in the XBoard face, from the ini file or "option"; analysis ignores it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/strength.h"
#include "tests/xboard/xboard_session.h"

namespace {

// The node count of the statistics line of the search that ends with a move.
uint64_t nodesOfMove(EngineSession &e) {
    uint64_t nodes = 0;
    const auto move = e.waitFor([&](const std::string &l) {
        if (l.rfind("# total nodes = ", 0) == 0) nodes = std::stoull(l.substr(16));
        return l.rfind("move ", 0) == 0;
    }, 30s);
    return move ? nodes : 0;
}

// The deepest iteration of a thinking line ("depth score time nodes pv") from line
// `from` on.
int deepestThinking(const EngineSession &e, size_t from) {
    int deepest = 0;
    for (size_t i = from; i < e.lines().size(); ++i)
        if (const std::string &l = e.lines()[i]; !l.empty() && l[0] >= '1' && l[0] <= '9')
            deepest = std::max(deepest, std::stoi(l));
    return deepest;
}

}  // namespace

TEST(StrengthPlay, IniAndOptionSetTheLevelAndAnalysisIgnoresIt) {
    auto e = std::make_unique<EngineSession>(std::vector<std::string>{},
                                             SMALL_TABLES + "limitStrength=1\nstrengthElo=1000\n");
    e->send("xboard");
    e->send("protover 2");
    ASSERT_TRUE(e->waitForLine("feature done=1"));
    e->send("new");
    e->send("post");
    e->send("level 0 5 0");
    e->send("go");
    const uint64_t weak = nodesOfMove(*e);
    EXPECT_GT(weak, 0u);
    EXPECT_LE(weak, strengthLevel(1000).nodes + 16);

    e->send("option limitStrength=maybe");
    EXPECT_TRUE(e->waitForLine("Error (illegal value for 'limitStrength' option): maybe"));
    e->send("option strengthElo=2400");
    e->send("go");
    const uint64_t stronger = nodesOfMove(*e);
    EXPECT_GT(stronger, weak);
    EXPECT_LE(stronger, strengthLevel(2400).nodes + 16);

    // Analysis searches on past the level's budget.
    e->send("option strengthElo=1000");
    e->send("force");
    e->sync();
    const size_t analysis = e->lines().size();
    e->send("analyze");
    e->drain(1500ms);
    EXPECT_GE(deepestThinking(*e, analysis), 8);
    e->send("exit");
    quit(*e);
}
