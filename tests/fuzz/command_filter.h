// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// What the command fuzz targets leave out of their input (lines that are only slow or touch
// files), and how they read back what the engine printed.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>

#include "board/board.h"
#include "eval/evaluate.h"
#include "platform/text_line.h"
#include "xboard/wbengine.h"

namespace fuzzing {

constexpr size_t MAX_LINES = 64;  // of a fuzz input

// Up to maxLines lines split at lineEnds that keep(line) accepts; over 1000 characters the
// loop would read a line in pieces keep never saw, so those are left out.
template <class Keep>
std::string keptLines(std::string_view input, size_t maxLines, Keep keep, std::string_view lineEnds = "\n") {
    std::string text;
    size_t kept = 0;
    for (size_t start = 0; start < input.size() && kept < maxLines;) {
        size_t end = input.find_first_of(lineEnds, start);
        if (end == std::string_view::npos) end = input.size();
        const std::string_view line = input.substr(start, end - start);
        start = end + 1;
        if (line.size() > 1000 || !keep(line)) continue;
        text.append(line).push_back('\n');
        ++kept;
    }
    return text;
}

// The number after the separator, read as the engine reads it (a "randgames" of two
// billion games once slipped through another reading).
inline int numberAfter(std::string_view line, char separator) {
    const size_t at = line.find(separator);
    return at == std::string_view::npos ? 0 : parseInteger(line.substr(at + 1));
}

inline bool worthRunning(std::string_view line) {
    if (line.starts_with("perft ") || line.starts_with("divide ")) return numberAfter(line, ' ') <= 3;
    if (line.starts_with("randgames ")) return numberAfter(line, ' ') <= 3;
    if (line.starts_with("cores ")) return numberAfter(line, ' ') <= 2;
    if (line.starts_with("randpos")) return line == "randpos";
    if (line.starts_with("option ")) {
        if (line.find("gtb") != std::string_view::npos) return false;
        if (line.find("HashSizeMB") != std::string_view::npos) return numberAfter(line, '=') <= 8;
        return true;
    }
    return !line.starts_with("selftest") && !line.starts_with("test") && !line.starts_with("egtpath");
}

// A line as the loop reads it: up to a NUL byte, without line end and trailing blanks.
inline std::string loopLine(std::string_view line) {
    std::string text(line);
    text.resize(trimLineEnd(text.data()));
    return text;
}

// The static tables, built once per process; the printout goes nowhere.
inline void prepareProcess() {
    static const bool ready = [] {
        initStaticTables();
        initEvaluationTables();
        return std::freopen("/dev/null", "w", stdout) != nullptr;
    }();
    (void)ready;
}

#ifndef _WIN32
// Stdout into a scratch file emptied before every run (POSIX only, like fmemopen).
inline void startCapture() {
    static const bool redirected = [] {
        std::FILE *scratch = std::tmpfile();
        return scratch && dup2(fileno(scratch), fileno(stdout)) >= 0;
    }();
    std::fflush(stdout);
    if (!redirected || ftruncate(fileno(stdout), 0) != 0) std::abort();
    lseek(fileno(stdout), 0, SEEK_SET);
}

inline std::string capturedOutput() {
    std::fflush(stdout);
    std::string text;
    char chunk[4096];
    for (ssize_t n; (n = pread(fileno(stdout), chunk, sizeof chunk, off_t(text.size()))) > 0;) text.append(chunk, size_t(n));
    return text;
}
#endif

// A broken promise of the protocol: report to stderr and abort, so the fuzzer keeps the input.
inline void expectCount(const char *what, size_t expected, size_t got, const std::string &output) {
    if (expected == got) return;
    std::fprintf(stderr, "%s: %zu expected, %zu printed\n--- output ---\n%s\n", what, expected, got,
                 output.c_str());
    std::abort();
}

// An engine with the smallest tables, set up as start-up leaves it.
inline void prepareSmallEngine(WBEngine &engine) {
    engine.executeLine("option ttHashSizeMB=1");
    engine.executeLine("option pawnHashSizeMB=1");
    engine.startUp();
}

}  // namespace fuzzing
