// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The UCI command loop on arbitrary input, searches included (timing varies between runs):
// every "isready" must get its "readyok" and every "go" its "bestmove".
#include "tests/fuzz/command_filter.h"
#include "uci/command.h"
#include "uci/uci_engine.h"

namespace {

bool contains(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

// Left out: bench, "go perft", deep perft, large tables, more threads, options that open
// files. Names in any letter case, as the engine reads them; a setoption's number is its last word.
bool worthRunningUci(std::string_view line) {
    std::string text;
    for (char c : line) text += c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    while (!text.empty() && (text.back() == '\r' || text.back() == ' ' || text.back() == '\t')) text.pop_back();
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return false;
    const std::string_view command = std::string_view(text).substr(first);
    if (command.starts_with("bench")) return false;
    // "perft N" and "go … perft N": every depth named must be small.
    const Tokens words = tokenize(command);
    for (size_t i = 0; i < words.size(); ++i) {
        if (words[i] == "perft" && words[0] == "go") return false;
        if (words[i] == "perft" && i + 1 < words.size() && readDecimal(words[i + 1]).value > 3) return false;
    }
    if (!command.starts_with("setoption")) return true;
    if (contains(command, "gaviota") || contains(command, "book")) return false;
    const size_t last = command.find_last_of(" \t");
    const int64_t value = readDecimal(command.substr(last + 1)).value;
    if (contains(command, "hash")) return value <= 8;
    if (contains(command, "threads")) return value <= 2;
    return true;
}

// Input lines before the first "quit" starting with the word; output lines starting with the answer.
size_t countOwed(std::string_view text, std::string_view word) {
    size_t n = 0;
    for (size_t start = 0; start < text.size();) {
        const size_t end = text.find('\n', start);
        const Tokens words = tokenize(text.substr(start, end - start + 1));
        start = end + 1;
        if (!words.empty() && words[0] == "quit") break;
        n += !words.empty() && words[0] == word;
    }
    return n;
}

size_t countAnswers(std::string_view output, std::string_view answer) {
    size_t n = output.starts_with(answer);
    for (size_t at = output.find('\n'); at != std::string_view::npos; at = output.find('\n', at + 1))
        n += output.substr(at + 1).starts_with(answer);
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::prepareProcess();

    const std::string_view input(reinterpret_cast<const char *>(data), size);
    // Split as the loop splits: at line feeds, carriage returns and NUL bytes.
    using namespace std::string_view_literals;
    std::string text = fuzzing::keptLines(input, fuzzing::MAX_LINES, worthRunningUci, "\n\r\0"sv);
    if (text.empty()) return 0;
    // The engine still answers at the end of whatever came before.
    text += "isready\n";

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
    fuzzing::expectCount("readyok", countOwed(text, "isready"), countAnswers(output, "readyok\n"), output);
    fuzzing::expectCount("bestmove", countOwed(text, "go"), countAnswers(output, "bestmove "), output);
    return 0;
}
