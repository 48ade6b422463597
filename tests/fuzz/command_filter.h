// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// What the command-line fuzz targets leave out of their input, and the loop's trimming.
//
// Dropped are lines that would only make a run slow or touch the file system: deep
// perft, the self-test, test and random-position files, many random games, large
// tables, more threads and the tablebase paths. What stays is the parsing and every
// handler's checks of its arguments on whatever position earlier lines left.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>

#include "board/board.h"
#include "eval/evaluate.h"
#include "platform/text_line.h"
#include "xboard/wbengine.h"

namespace fuzzing {

// The lines of a fuzz input that keep(line) accepts, at most maxLines, each with a line
// end: the text a command loop is then given. Lines end at any of the characters in
// lineEnds, as the loop splits them. Lines over 1000 characters are left out, as the
// loop would read them in pieces, each a command keep never saw.
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

inline bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The number after the first separator, read as the engine reads it: a number too
// large for the filter's reading but not for the engine's would slip through (a
// "randgames" of two billion games once did).
inline int numberAfter(std::string_view line, char separator) {
    const size_t at = line.find(separator);
    if (at == std::string_view::npos) return 0;
    return parseInteger(std::string(line.substr(at + 1)).c_str());
}

inline bool worthRunning(std::string_view line) {
    if (startsWith(line, "perft ") || startsWith(line, "divide ")) return numberAfter(line, ' ') <= 3;
    if (startsWith(line, "randgames ")) return numberAfter(line, ' ') <= 3;
    if (startsWith(line, "cores ")) return numberAfter(line, ' ') <= 2;
    if (startsWith(line, "randpos")) return line == "randpos";
    if (startsWith(line, "option ")) {
        if (line.find("gtb") != std::string_view::npos) return false;
        if (line.find("HashSizeMB") != std::string_view::npos) return numberAfter(line, '=') <= 8;
        return true;
    }
    return !startsWith(line, "selftest") && !startsWith(line, "test") && !startsWith(line, "egtpath");
}

// The loop's own trimming: one line feed, one carriage return, then trailing blanks.
inline std::string trimmed(std::string_view line) {
    std::string text(line);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (!text.empty() && text.back() == '\r') text.pop_back();
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

// A line as the loop reads it: it ends at a NUL byte, then is trimmed ("quit " followed
// by NUL bytes is a quit).
inline std::string loopLine(std::string_view line) {
    std::string text(line);
    text.resize(std::strlen(text.c_str()));
    return trimmed(text);
}

// The static tables, built once per fuzzing process; the engine's printout is not what
// is checked, so it goes nowhere.
inline void prepareProcess() {
    static const bool ready = [] {
        initStaticTables();
        initEvaluationTables();
        return std::freopen("/dev/null", "w", stdout) != nullptr;
    }();
    (void)ready;
}

#ifndef _WIN32
// The command-loop targets read back what the engine printed: stdout goes to a scratch
// file that every run empties first. They feed the engine from memory (fmemopen), so
// they are POSIX-only, and so is this.
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

// How many output lines are exactly `line` (whole == true) or start with it.
inline size_t countLines(std::string_view output, std::string_view line, bool whole) {
    size_t n = 0;
    for (size_t start = 0; start < output.size();) {
        size_t end = output.find('\n', start);
        if (end == std::string_view::npos) end = output.size();
        const std::string_view l = output.substr(start, end - start);
        if (whole ? l == line : startsWith(l, line)) ++n;
        start = end + 1;
    }
    return n;
}

// A broken promise of the protocol: the counts and the output go to stderr, and the
// run stops as a fault so that the fuzzer keeps the input.
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
