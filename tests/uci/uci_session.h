// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// A grelvin-uci process for the engine tests, and what they look for in its output.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/xboard/engine_session.h"

inline bool isBestMove(const std::string &l) { return l.rfind("bestmove ", 0) == 0; }

// The move of a "bestmove" line.
inline std::string bestMoveOf(const std::string &line) {
    const size_t from = std::string("bestmove ").size();
    return line.substr(from, line.find(' ', from) - from);
}

// The number after " key " in a line, or -1.
inline long long field(const std::string &line, const std::string &key) {
    const size_t at = line.find(" " + key + " ");
    return at == std::string::npos ? -1 : std::atoll(line.c_str() + at + key.size() + 2);
}

// The engine with small tables.
inline std::unique_ptr<EngineSession> uciEngine(const std::vector<std::string> &args = {}) {
    auto e = std::make_unique<EngineSession>(GRELVIN_UCI_BINARY, args);
    e->send("setoption name Hash value 8");
    e->send("setoption name PawnHash value 1");
    return e;
}

inline void quitUci(EngineSession &e) {
    e.send("quit");
    EXPECT_EQ(e.waitExit(), 0);
}

// Everything up to the answer to "isready".
inline std::vector<std::string> syncReady(EngineSession &e) {
    const size_t from = e.position();
    e.send("isready");
    if (!e.waitForLine("readyok", 20s)) return {"<no readyok>"};
    return std::vector<std::string>(e.lines().begin() + long(from), e.lines().begin() + long(e.position() - 1));
}

inline long countLines(const std::vector<std::string> &lines, bool (*match)(const std::string &)) {
    return std::count_if(lines.begin(), lines.end(), match);
}

// The move answering go (empty if none comes), and the lines the search printed.
inline std::string searchMove(EngineSession &e, const std::string &go, std::vector<std::string> *lines = nullptr) {
    const size_t from = e.position();
    e.send(go);
    const auto best = e.waitFor(isBestMove, 30s);
    if (lines) lines->assign(e.lines().begin() + long(from), e.lines().begin() + long(e.position()));
    return best ? bestMoveOf(*best) : "";
}
