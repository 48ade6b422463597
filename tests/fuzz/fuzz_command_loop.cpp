// The whole command loop on arbitrary input, searches included: the input is read from
// memory by the loop itself, which starts the engine's search between lines whenever
// the engine is to move, and stops it for the commands that stop searches and at the
// end of the input. A search therefore lasts only as long as the rest of the input
// takes to read. Thread timing varies, so an input may not fail the same way twice;
// the sanitizers still name the fault.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "tests/fuzz/command_filter.h"

namespace {

constexpr size_t MAX_LINES = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    fuzzing::prepareProcess();

    std::string text;
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    size_t kept = 0;
    for (size_t start = 0; start < input.size() && kept < MAX_LINES;) {
        size_t end = input.find('\n', start);
        if (end == std::string_view::npos) end = input.size();
        const std::string_view line = input.substr(start, end - start);
        start = end + 1;
        // The loop would read a longer line in pieces, each a command the filter never saw.
        if (line.size() > 1000) continue;
        // Lines the filter keeps go in unchanged (NUL bytes and all), for the loop to read.
        std::string plain = fuzzing::trimmed(line);
        plain.resize(std::strlen(plain.c_str()));
        if (!fuzzing::worthRunning(plain)) continue;
        text.append(line).push_back('\n');
        ++kept;
    }
    if (text.empty()) return 0;

    WBEngine engine;
    fuzzing::prepareSmallEngine(engine);
    std::FILE *file = fmemopen(text.data(), text.size(), "r");
    if (!file) return 0;
    engine.commandLoop(file);
    std::fclose(file);
    return 0;
}
