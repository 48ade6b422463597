// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The UCI command loop on arbitrary input, searches included: the loop reads the input
// from memory, "go" starts a search that runs while the following lines are read, and
// the commands that stop searches and the end of the input end it. Every search
// therefore lasts only as long as the rest of the input takes to read; only "bench"
// would run on by itself, and it is left out. Thread timing varies, so an input may not
// fail the same way twice; the sanitizers still name the fault. Whatever the input, every
// "isready" gets its "readyok" and every "go" its "bestmove": a run that breaks that
// promise stops as a fault.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tests/fuzz/command_filter.h"
#include "uci/command.h"
#include "uci/uci_engine.h"

namespace {

constexpr size_t MAX_LINES = 64;

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// The number of a word, saturated as the engine saturates what it reads.
long long numberOf(std::string_view word) { return std::strtoll(std::string(word).c_str(), nullptr, 10); }

// Left out: the benchmark, perft within "go" (which answers with counts, not a move),
// deep perft, large tables, more threads, and the options that open files (tablebases,
// book). Option names are matched in any letter case, as the
// engine does; the number of a "setoption" is its last word.
bool worthRunningUci(std::string_view line) {
    std::string text;
    for (char c : line) text += c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    while (!text.empty() && (text.back() == '\r' || text.back() == ' ' || text.back() == '\t')) text.pop_back();
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return false;
    const std::string_view command = std::string_view(text).substr(first);
    if (fuzzing::startsWith(command, "bench")) return false;
    // "perft N" and "go … perft N": every depth named must be small.
    const Tokens words = tokenize(command);
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i] == "perft" && words[0] == "go") return false;
        if (words[i] == "perft" && i + 1 < words.size() && numberOf(words[i + 1]) > 3) return false;
    }
    if (!fuzzing::startsWith(command, "setoption")) return true;
    if (contains(command, "gaviota") || contains(command, "book")) return false;
    const size_t last = command.find_last_of(" \t");
    const long long value = numberOf(command.substr(last + 1));
    if (contains(command, "hash")) return value <= 8;
    if (contains(command, "threads")) return value <= 2;
    return true;
}

// The answers the engine owes for the lines it runs: up to the first "quit".
struct Owed {
    size_t readyok = 0, bestmove = 0;
};

Owed owedFor(std::string_view text) {
    Owed owed;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find('\n', start);
        const Tokens words = tokenize(text.substr(start, end - start + 1));
        start = end + 1;
        if (words.empty()) continue;
        if (words[0] == "quit") break;
        owed.readyok += words[0] == "isready";
        owed.bestmove += words[0] == "go";
    }
    return owed;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::prepareProcess();

    const std::string_view input(reinterpret_cast<const char *>(data), size);
    // Split as the loop splits: at line feeds, carriage returns and NUL bytes.
    using namespace std::string_view_literals;
    std::string text = fuzzing::keptLines(input, MAX_LINES, worthRunningUci, "\n\r\0"sv);
    if (text.empty()) return 0;
    // The engine still answers at the end of whatever came before.
    text += "isready\n";

    // The smallest tables: the engine builds them when a game needs them.
    fuzzing::startCapture();
    {
        UciEngine engine;
        engine.executeLine("setoption name Hash value 1");
        engine.executeLine("setoption name PawnHash value 1");
        std::FILE *file = fmemopen(text.data(), text.size(), "r");
        if (!file) return 0;
        engine.commandLoop(file);
        std::fclose(file);
    }
    const std::string output = fuzzing::capturedOutput();
    const Owed owed = owedFor(text);
    fuzzing::expectCount("readyok", owed.readyok, fuzzing::countLines(output, "readyok", true), output);
    fuzzing::expectCount("bestmove", owed.bestmove, fuzzing::countLines(output, "bestmove ", false), output);
    return 0;
}
