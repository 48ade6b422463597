// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 The GrelvinBB authors
// The configuration file and the command line.
#include "xboard/config.h"

#include <cstring>
#include <string>

#include "engine/player.h"
#include "xboard/output.h"
#include "platform/text_line.h"

namespace {

std::string trimmed(const std::string &text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A setting of the file: numbers outside the setting's range are reported and left
// alone (a thread count only below one: the machine caps it); other keys are skipped.
void applySetting(const std::string &key, const std::string &value, ChessPlayer &player) {
    const Setting *s = findSetting(key);
    if (!s) return;
    const SettingOutcome o = player.applySetting(s->id, value, {.outOfRange = OutOfRange::REFUSE, .startUp = true});
    if (s->id == THREADS) {
        if (o.accepted) printCores(o.cores);
        else std::printf("# WARNING: %s = %s out of range in ini file (min = 1)\n", key.c_str(), value.c_str());
    } else if (!o.accepted && o.value.clamped) {
        std::printf("# WARNING: %s = %s out of range in ini file (min = %u, max = %u)\n", key.c_str(), value.c_str(),
                    unsigned(s->min), unsigned(s->max));
    }
    std::fflush(stdout);
}

void readConfigLine(char *line, ChessPlayer &player) {
    trimLineEnd(line);
    const char *text = line;
    while (*text == ' ') ++text;
    if (*text == '#') return;
    const char *equals = std::strchr(text, '=');
    if (!equals) return;
    const std::string key = trimmed(std::string(text, equals));
    std::string value = trimmed(std::string(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    applySetting(key, value, player);
}

}  // namespace

void readConfigFile(std::FILE *file, ChessPlayer &player) {
    // 1023 characters a line; the rest of a longer line is read as lines of its own.
    char line[1024];
    while (std::fgets(line, sizeof line, file)) readConfigLine(line, player);
}

void readCommandLine(int argc, const char *const argv[], ChessPlayer &player) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-cores") != 0) {
            std::printf("# warning: found unknown command line option \"%s\"\n", argv[i]);
        } else if (i + 1 >= argc) {
            std::printf("# warning: missing argument for command line option \"-cores\"\n");
        } else {
            const SettingOutcome o = player.applySetting(THREADS, argv[++i], {.startUp = true});
            if (!o.accepted)
                std::printf("# warning: found bad argument \"%d\" for command line option \"-cores\", must be a "
                            "positive number\n",
                            o.value.written);
            else printCores(o.cores);
        }
        std::fflush(stdout);
    }
}
