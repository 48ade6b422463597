// The command loop's line handling fed with arbitrary lines: each input is split into
// lines and run through a fresh engine, as the loop would after trimming the line end.
//
// The engine never starts a search here (only the loop between lines does that), and
// lines that would only make a run slow or touch the file system are dropped: deep
// perft, the self-test, test and random-position files, many random games, large
// tables, more threads and the tablebase paths. What stays is the parsing and every
// handler's checks of its arguments on whatever position earlier lines left.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "board/board.h"
#include "engine/wbengine.h"
#include "eval/evaluate.h"

namespace {

constexpr size_t MAX_LINES = 64;

bool startsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// The first argument read as the engine reads numbers, for the bounded commands.
int firstNumber(std::string_view line) {
    const size_t blank = line.find(' ');
    if (blank == std::string_view::npos) return 0;
    return std::atoi(std::string(line.substr(blank + 1)).c_str());
}

bool worthRunning(std::string_view line) {
    if (startsWith(line, "perft ") || startsWith(line, "divide ")) return firstNumber(line) <= 3;
    if (startsWith(line, "randgames ")) return firstNumber(line) <= 3;
    if (startsWith(line, "cores ")) return firstNumber(line) <= 2;
    if (startsWith(line, "randpos")) return line == "randpos";
    if (startsWith(line, "option ")) {
        if (line.find("gtb") != std::string_view::npos) return false;
        const size_t equals = line.find('=');
        if (line.find("HashSizeMB") != std::string_view::npos && equals != std::string_view::npos)
            return std::atoi(std::string(line.substr(equals + 1)).c_str()) <= 8;
        return true;
    }
    return !startsWith(line, "selftest") && !startsWith(line, "test") && !startsWith(line, "egtpath");
}

// The loop's own trimming: one line feed, one carriage return, then trailing blanks.
std::string trimmed(std::string_view line) {
    std::string text(line);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (!text.empty() && text.back() == '\r') text.pop_back();
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const bool ready = [] {
        initStaticTables();
        initEvaluationTables();
        // The engine's printout is not what is checked here.
        return std::freopen("/dev/null", "w", stdout) != nullptr;
    }();
    (void)ready;

    WBEngine engine;
    engine.player.perftHashSizeMB = 1;
    engine.executeLine("option ttHashSizeMB=1");
    engine.executeLine("option pawnHashSizeMB=1");
    engine.player.prepareSearch(false);
    engine.setUpStartPosition();

    const std::string_view input(reinterpret_cast<const char *>(data), size);
    size_t start = 0;
    for (size_t lines = 0; start < input.size() && lines < MAX_LINES && !engine.quitRequested; ++lines) {
        size_t end = input.find('\n', start);
        if (end == std::string_view::npos) end = input.size();
        // The loop reads at most 1023 characters at a time and stops a line at a NUL.
        std::string line = trimmed(input.substr(start, std::min<size_t>(end - start, 1023)));
        line.resize(std::strlen(line.c_str()));
        start = end + 1;
        if (worthRunning(line)) engine.executeLine(line.c_str());
    }
    return 0;
}
